// Pictures that a page shows smaller than their own pixels are stored at the size they are drawn
// at.
#include "pagefile/image_reduction.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pagefile/device_units.h"
#include "pagefile/emf_reader.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_images.h"
#include "tests/support/emf_commands.h"

namespace vm {
namespace {

using test::CommandsOf;

// A bilevel picture from rows of '#' (black) and '.' (white).
EncodedImage Picture(const std::vector<std::string>& rows) {
    EncodedImage image;
    image.format = EncodedImage::Format::Bilevel;
    image.width = static_cast<int>(rows.at(0).size());
    image.height = static_cast<int>(rows.size());
    const size_t rowBytes = (static_cast<size_t>(image.width) + 7) / 8;
    image.data.assign(rowBytes * rows.size(), 0);
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#') {
                image.data[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return image;
}

std::vector<std::string> Rows(const EncodedImage& image) {
    std::vector<std::string> rows;
    const size_t rowBytes = (static_cast<size_t>(image.width) + 7) / 8;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t byte = image.data[static_cast<size_t>(y) * rowBytes + x / 8];
            row += ((byte >> (7 - x % 8)) & 1) ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

// A 170 x 136 picture: a frame 5 pixels wide, as the report's line drawings have their strokes.
EncodedImage Frame() {
    std::vector<std::string> rows(136, std::string(170, '.'));
    for (int y = 0; y < 136; ++y) {
        for (int x = 0; x < 170; ++x) {
            if (x < 5 || x >= 165 || y < 5 || y >= 131) {
                rows[y][x] = '#';
            }
        }
    }
    return Picture(rows);
}

TEST(ImageReduction, StoredAtHalfTheDrawnPixelsOnlyWhenDrawnSmaller) {
    const EncodedImage frame = Frame();
    const struct {
        int deviceWidth, deviceHeight;
        std::optional<std::pair<int, int>> stored;
    } cases[] = {
        {400, 200, std::nullopt},  // drawn larger: kept as it is
        {170, 136, std::nullopt},  // drawn at its own size
        {79, 55, std::pair{40, 28}},
        {400, 100, std::pair{170, 50}},  // smaller down only: never more pixels across than it has
        {1, 1, std::pair{1, 1}},
        {0, 55, std::nullopt},  // not drawn at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.deviceWidth) + " x " + std::to_string(c.deviceHeight));
        const std::optional<StoredSize> size = ReducedSize(frame, c.deviceWidth, c.deviceHeight);
        ASSERT_EQ(size.has_value(), c.stored.has_value());
        if (size) {
            EXPECT_EQ(size->width, c.stored->first);
            EXPECT_EQ(size->height, c.stored->second);
        }
    }
    EncodedImage colour{EncodedImage::Format::Bgr24, 2, 1, {0, 0, 0, 255, 255, 255}};
    EXPECT_FALSE(ReducedSize(colour, 1, 1));
}

TEST(ImageReduction, EachNewPixelBlackWhenHalfTheOldOnesItCoversAre) {
    const struct {
        const char* name;
        std::vector<std::string> picture;
        int width, height;
        std::vector<std::string> reduced;
    } cases[] = {
        {"a stroke of one pixel in boxes of two stays",
         {".#..", ".#..", ".#..", ".#.."},
         2,
         2,
         {"#.", "#."}},
        {"a lone pixel in a box of four goes",
         {"....", ".#..", "....", "...."},
         2,
         2,
         {"..", ".."}},
        {"boxes of 2 and 3 pixels cover every old pixel once",
         {"#######", "#######", "#######", "#######", "#######"},
         3,
         2,
         {"###", "###"}},
        {"the same size is the picture itself", {"#..#", ".##."}, 4, 2, {"#..#", ".##."}},
        {"one pixel for the whole", {"##..", "##.."}, 1, 1, {"#"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<EncodedImage> reduced =
            ReduceBilevel(Picture(c.picture), c.width, c.height);
        ASSERT_TRUE(reduced);
        EXPECT_EQ(Rows(*reduced), c.reduced);
    }
    // Larger, empty or other pictures are not reduced.
    EXPECT_FALSE(ReduceBilevel(Picture({"#.", ".#"}), 3, 2));
    EXPECT_FALSE(ReduceBilevel(Picture({"#.", ".#"}), 0, 1));
    EncodedImage colour{EncodedImage::Format::Bgr24, 2, 1, {0, 0, 0, 255, 255, 255}};
    EXPECT_FALSE(ReduceBilevel(colour, 1, 1));
}

// A plan's seats drawn small cost a few hundred bytes each, and their frames survive.
TEST(ImageReduction, APageOfSmallPicturesGrowsByTheirStoredPixels) {
    NamedImageSource images;
    images.Add("fila", Frame());
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);  // no text: no fonts needed
    auto page = [&](int seats) {
        EXPECT_TRUE(canvas.StartPreviewPage(""));
        for (int i = 0; i < seats; ++i) {
            canvas.PrintImage("FILA", 30 + (i % 100) * 2.38, 20 + (i / 100) * 3.4, 2.38, 3.4);
        }
        EXPECT_TRUE(canvas.EndPreviewPage());
        return canvas.LastPageBytes();
    };
    const size_t one = page(1).size();
    const std::vector<uint8_t> bytes = page(1000);
    // The record (80 bytes), the bitmap's header and two colours (48) and 28 rows of 8 bytes, in
    // the clipping to its rectangle (44).
    EXPECT_EQ((bytes.size() - one) / 999, 80u + 48u + 28u * 8u + 44u);

    const std::optional<emf::Document> doc = emf::ParseEmf(bytes);
    ASSERT_TRUE(doc);
    const auto bits = CommandsOf<emf::StretchBits>(*doc);
    ASSERT_EQ(bits.size(), 1000u);
    EXPECT_EQ(CommandsOf<emf::IntersectClip>(*doc).size(), 1000u);
    EXPECT_EQ(bits[0].cxDest, 79);
    EXPECT_EQ(bits[0].cyDest, 55);
    EXPECT_EQ(bits[0].width, 40);
    EXPECT_EQ(bits[0].height, 28);
    // The frame is still whole: every row of the bitmap begins and ends black (a clear bit).
    const size_t stride = 8;
    for (int y = 0; y < 28; ++y) {
        const uint8_t* row = doc->bytes.data() + bits[0].bitsOffset + y * stride;
        EXPECT_EQ(row[0] & 0x80, 0) << "row " << y;
        EXPECT_EQ(row[4] & 0x01, 0) << "row " << y;  // pixel 39, the last
    }
}

}  // namespace
}  // namespace vm
