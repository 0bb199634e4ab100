// The two images compiled into the report, and their registration by name.

#include "report/report_images.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/page_images.h"

namespace vm {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReportImages, RegisteredByNameAsTheJpegFilesOfTheResources) {
    NamedImageSource images;
    ASSERT_TRUE(RegisterReportImages(images));
    struct Case {
        const char* lookup;  // names match without regard to case
        const char* file;
        int width, height;
    };
    for (const Case& c :
         {Case{"assento", "assento.jpg", 170, 230}, Case{"ASSENTO", "assento.jpg", 170, 230},
          Case{"Fila", "fila.jpg", 170, 136}}) {
        SCOPED_TRACE(c.lookup);
        const auto image = images.Find(c.lookup);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->format, EncodedImage::Format::Jpeg);
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
        const std::vector<uint8_t> file =
            ReadFile(std::string(VM_REPORT_IMAGES_DIR) + "/" + c.file);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(image->data, file) << "the embedded bytes are the file's";
    }
    EXPECT_FALSE(images.Find("figura").has_value());
}

}  // namespace
}  // namespace vm
