// The two images compiled into the report, and their registration by name.

#include "report/report_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "pagefile/page_images.h"

namespace vm {
namespace {

TEST(ReportImages, RegisteredByNameAsTheBilevelFilesOfTheResources) {
    NamedImageSource images;
    ASSERT_TRUE(RegisterReportImages(images));
    struct Case {
        const char* lookup;  // names match without regard to case
        const char* file;
        int width, height;
    };
    for (const Case& c :
         {Case{"assento", "assento.pbm", 170, 230}, Case{"ASSENTO", "assento.pbm", 170, 230},
          Case{"Fila", "fila.pbm", 170, 136}}) {
        SCOPED_TRACE(c.lookup);
        const auto image = images.Find(c.lookup);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->format, EncodedImage::Format::Bilevel);
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
        const std::vector<uint8_t> file =
            ReadWholeFileBytes(std::string(VM_REPORT_IMAGES_DIR) + "/" + c.file);
        // The rows are the file's last bytes, after its header; black line drawings on white.
        const size_t rows = size_t(c.width + 7) / 8 * size_t(c.height);
        ASSERT_EQ(image->data.size(), rows);
        ASSERT_GT(file.size(), rows);
        EXPECT_TRUE(std::equal(image->data.begin(), image->data.end(), file.end() - rows));
        size_t black = 0;
        for (uint8_t b : image->data) {
            black += static_cast<size_t>(std::popcount(b));
        }
        EXPECT_GT(black, rows * 8 / 20) << "lines are drawn";
        EXPECT_LT(black, rows * 8 / 3) << "mostly white";
    }
    EXPECT_FALSE(images.Find("figura").has_value());
}

}  // namespace
}  // namespace vm
