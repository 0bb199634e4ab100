// The millimetre canvas, the recorder for tests and the EMF page-file writer, checked through our
// reader and through emf2svg-conv, an EMF reader we did not write.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/platform_paths.h"
#include "core/whole_file.h"
#include "core/win1252.h"
#include "pagefile/canvas.h"
#include "pagefile/device_units.h"
#include "pagefile/emf_format.h"
#include "pagefile/emf_reader.h"
#include "pagefile/emf_writer.h"
#include "pagefile/font_metrics.h"
#include "pagefile/page_files.h"
#include "pagefile/page_images.h"
#include "pagefile/recording_canvas.h"
#include "pagefile/text_layout.h"
#include "tests/support/emf_commands.h"
#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::CommandsOf;

class InTempDir : public ::testing::Test {
protected:
    test::TempFolder m_folder{"vm_canvas"};
    const fs::path m_dir = m_folder.path();
};

// A face whose widths are simple numbers: at an em of 2048 pixels every character is 1139 pixels
// wide and a blank 569; the line height is 1854 + 434 = 2288.
class FixedFonts final : public FontProvider {
public:
    std::shared_ptr<const FontFace> Find(std::string_view, bool, bool) override {
        return ApproximateArialFace();
    }
};

// The <text> element of an SVG that holds `content`; empty when there is none.
std::string SvgTextElement(const std::string& svg, const std::string& content) {
    const size_t at = svg.find(content);
    if (at == std::string::npos) {
        return {};
    }
    const size_t begin = svg.rfind("<text", at);
    const size_t end = svg.find("</text>", at);
    return begin == std::string::npos || end == std::string::npos ? std::string()
                                                                  : svg.substr(begin, end - begin);
}

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// --- millimetres to device pixels -------------------------------------------------------------

TEST(MillimetreRule, ThousandthsOfAnInchTruncatedThenDevicePixels) {
    struct Case {
        double mm;
        int dpi;
        int64_t thou;
        int32_t pixels;
    };
    const Case cases[] = {
        {0.1, 600, 3, 1},        // 3.94 -> 3; 3 * 600 / 1000 = 1.8 -> 1
        {0.2, 600, 7, 4},        // 7.87 -> 7; 4.2 -> 4
        {0.1, 300, 3, 0},        // 0.9 -> 0: the thinnest line
        {25.4, 600, 1000, 600},  // exactly one inch
        {20, 600, 787, 472},     // 787.4 -> 787; 472.2 -> 472
        {210, 600, 8267, 4960},  // 8267.7 -> 8267; 4960.2 -> 4960
        {-0.1, 600, -3, -1},     // truncation towards zero on both steps
        {0, 600, 0, 0},
    };
    for (const Case& c : cases) {
        ReferenceDevice d;
        d.logPixelsX = d.logPixelsY = c.dpi;
        SCOPED_TRACE(testing::Message() << c.mm << " mm at " << c.dpi << " dpi");
        EXPECT_EQ(MmToThou(c.mm), c.thou);
        EXPECT_EQ(WidthToDevice(c.mm, d), c.pixels);
        EXPECT_EQ(HeightToDevice(c.mm, d), c.pixels);
        EXPECT_EQ(ColToDeviceX(c.mm, d), c.pixels);
        EXPECT_EQ(LineWidthToDevice(c.mm, d), c.pixels);
    }
}

TEST(MillimetreRule, PhysicalOffsetsMakeTheSheetCornerTheOrigin) {
    // 5 mm margins at 600 dpi: offsets of 118 pixels (5 / 25.4 * 600 = 118.1).
    const ReferenceDevice d = ReferenceDevice::ForSheet(600, 300, 210, 297, 5, 5, 5, 5);
    EXPECT_EQ(d.physicalOffsetX, 118);
    EXPECT_EQ(d.physicalOffsetY, 59);
    EXPECT_EQ(d.horzSizeMm, 200);
    EXPECT_EQ(d.vertSizeMm, 287);
    EXPECT_EQ(ColToDeviceX(20, d), 472 - 118);
    EXPECT_EQ(RowToDeviceY(20, d), 787 * 300 / 1000 - 59);
    // Widths and heights carry no offset.
    EXPECT_EQ(WidthToDevice(20, d), 472);
    EXPECT_EQ(HeightToDevice(20, d), 236);
}

TEST(MillimetreRule, DefaultLineWidthAndFontHeight) {
    const ReferenceDevice d = ReferenceDevice::A4();
    EXPECT_EQ(LineWidthToDevice(std::nullopt, d), 39 * 600 / 1000);  // 23 pixels, about 1 mm
    EXPECT_EQ(FontEmHeight(10, d), 83);                              // 10 * 600 / 72 = 83.3
    EXPECT_EQ(FontEmHeight(9, d), 75);
    EXPECT_EQ(FontEmHeight(6, d), 50);
}

TEST(Alignment, WordsInAnyCase) {
    const std::pair<const char*, Alignment> cases[] = {
        {"RIGHT", Alignment::Right},   {"right", Alignment::Right},   {"Right", Alignment::Right},
        {"CENTER", Alignment::Center}, {"center", Alignment::Center}, {"centre", Alignment::Left},
        {"", Alignment::Left},         {"LEFT", Alignment::Left},     {"RIGHT ", Alignment::Left},
    };
    for (const auto& [word, expected] : cases) {
        EXPECT_EQ(ParseAlignment(word), expected) << "\"" << word << "\"";
    }
}

// --- the recorder for tests -------------------------------------------------------------------

TEST(RecordingCanvas, KeepsPrimitivesPerPageWithDefaults) {
    RecordingCanvas canvas;
    canvas.PrintText(1, 1, "before any page", {});
    ASSERT_TRUE(canvas.StartPreviewPage("p1.Emf"));
    canvas.PrintText(12, 20, "Vistametra", {.bold = true, .alignment = "right"});
    canvas.PrintTextBox(70, 25, 80, 190, "Nesta configura\xe7\xe3o",
                        {.fontName = "Arial", .size = 9, .colour = {0, 0, 255}});
    canvas.PrintLine(10, 20, 10, 190);
    canvas.PrintRectangle(95, 20, 140, 190, 0.2, {255, 0, 0});
    canvas.PrintImage("assento", 100, 30, 8, 5);
    ASSERT_TRUE(canvas.EndPreviewPage());
    EXPECT_FALSE(canvas.EndPreviewPage());
    ASSERT_TRUE(canvas.StartPreviewPage("p2.Emf"));
    canvas.PrintText(30, 20, "second page", {.fontName = "Tahoma", .size = 8});
    canvas.EndPreviewPage();

    ASSERT_EQ(canvas.PageCount(), 2) << canvas.Dump();
    EXPECT_EQ(canvas.DroppedCalls(), 1);
    const RecordedPage& first = canvas.Page(0);
    EXPECT_EQ(first.fileName, "p1.Emf");
    EXPECT_EQ(first.Count(PrimitiveKind::Text), 1);
    EXPECT_EQ(first.Count(PrimitiveKind::Image), 1);
    const Primitive* title = first.FindText("Vistametra");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->fontName, "Arial");
    EXPECT_EQ(title->fontSize, 10);
    EXPECT_TRUE(title->bold);
    EXPECT_EQ(title->alignment, Alignment::Right);
    EXPECT_EQ(title->alignmentWord, "right");
    const Primitive& line = first.primitives[2];
    EXPECT_EQ(line.kind, PrimitiveKind::Line);
    EXPECT_FALSE(line.width.has_value());
    EXPECT_EQ(line.colour, kBlack);
    const Primitive& rect = first.primitives[3];
    EXPECT_EQ(rect.width, 0.2);
    EXPECT_EQ(rect.colour, (Color{255, 0, 0}));
    const Primitive& image = first.primitives[4];
    EXPECT_EQ(image.imageName, "assento");
    EXPECT_EQ(image.height, 8);
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(canvas.FindText("second")->fontName, "Tahoma");
    EXPECT_NE(canvas.Dump().find("Image (100, 30) \"assento\" 8 x 5"), std::string::npos)
        << canvas.Dump();
}

// --- text box layout --------------------------------------------------------------------------

std::vector<std::string> Layout(const std::string& text, int width, int height) {
    // Em 2048: characters 1139 wide, blanks 569, lines 2288 high.
    const ScaledFont font(ApproximateArialFace(), 2048);
    std::vector<std::string> lines;
    for (const std::u16string& line : LayoutTextBox(win1252ToUtf16(text), font, width, height)) {
        lines.push_back(Utf8(line));
    }
    return lines;
}

TEST(TextBoxLayout, WrapsBetweenWordsOnlyAndEllipsizesOnlyTheEndOfTheTextShown) {
    struct Case {
        const char* name;
        std::string text;
        int width;
        int height;
        std::vector<std::string> lines;
    };
    const int w3 = 3 * 1139;        // "abc"
    const int w7 = 6 * 1139 + 569;  // "abc abc"
    const int line = 2288;
    const std::vector<Case> cases = {
        {"fits on one line", "abc abc", w7, line, {"abc abc"}},
        {"breaks between words", "abc abc abc", w7, 2 * line, {"abc abc", "abc"}},
        {"one pixel too narrow", "abc abc", w7 - 1, 2 * line, {"abc", "abc"}},
        {"ampersand is literal", "a&b c", w7, line, {"a&b c"}},
        {"line ends start lines", "ab\r\ncd\nef", w7, 3 * line, {"ab", "cd", "ef"}},
        {"empty line kept", "ab\r\n\r\ncd", w7, 3 * line, {"ab", "", "cd"}},
        // Three lines of text, room for two: the second is cut to make room for "...".
        {"ellipsis on the last shown line",
         "abc abc abc",
         w3 + 1139,
         2 * line + line / 2,
         {"abc", "a..."}},
        {"only the ellipsis when nothing else fits", "abc abc abc", w3, 2 * line, {"abc", "..."}},
        {"ellipsis appended when it fits", "ab abc", w3 + 2 * 1139, line, {"ab..."}},
        {"a box lower than a line shows the first", "abc abc", w3 + 1139, line / 2, {"a..."}},
        // A word wider than the box stands whole on its own line; the clipping cuts it.
        {"a word wider than the box stays whole", "abcdefgh", w3 + 1139, line, {"abcdefgh"}},
        {"a wide word between others",
         "ab abcdefgh ab",
         w3 + 1139,
         3 * line,
         {"ab", "abcdefgh", "ab"}},
        {"a wide last word that is shown", "ab abcdefgh", w3, 2 * line, {"ab", "abcdefgh"}},
        {"a wide word before the text left over", "abcdefgh ab ab", w3 + 1139, line, {"a..."}},
        {"no width, no lines", "abc", 0, line, {}},
        {"empty text", "", w7, line, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Layout(c.text, c.width, c.height), c.lines) << c.name;
    }
}

// --- the EMF writer, read back ----------------------------------------------------------------

class EmfWriter : public InTempDir {};

TEST_F(EmfWriter, HeaderDescribesThePrinterAndTheTotals) {
    const ReferenceDevice device = ReferenceDevice::ForSheet(600, 600, 210, 297, 4, 4, 4, 4);
    FixedFonts fonts;
    EmfPageCanvas canvas(device, nullptr, &fonts);
    const fs::path file = m_dir / "page.Emf";
    ASSERT_TRUE(canvas.StartPreviewPage(file.string()));
    canvas.PrintText(20, 20, "one", {});
    canvas.PrintLine(30, 20, 30, 100, 0.5);
    canvas.PrintRectangle(40, 20, 60, 100);
    ASSERT_TRUE(canvas.EndPreviewPage());

    const std::vector<uint8_t> bytes = ReadWholeFileBytes(file);
    EXPECT_EQ(bytes, canvas.LastPageBytes());
    std::string error;
    const std::optional<emf::Document> doc = emf::ParseEmf(bytes, &error);
    ASSERT_TRUE(doc) << error;
    const emf::Header& h = doc->header;
    EXPECT_EQ(h.bytes, bytes.size());
    EXPECT_EQ(h.records, doc->commands.size() + 2);  // + header and end of file
    EXPECT_EQ(doc->skippedRecords, 0u);
    EXPECT_EQ(h.frame.right, 202 * 100);  // printable width 210 - 8 mm, in 0.01 mm
    EXPECT_EQ(h.frame.bottom, 289 * 100);
    EXPECT_EQ(h.deviceCx, device.horzRes);
    EXPECT_EQ(h.millimetersCx, 202);
    EXPECT_EQ(h.bounds.right, device.horzRes - 1);
    // Every object index used stays below Handles.
    for (const auto& pen : CommandsOf<emf::CreatePen>(*doc)) {
        EXPECT_LT(pen.index, h.handles);
    }
    for (const auto& font : CommandsOf<emf::CreateFont>(*doc)) {
        EXPECT_LT(font.index, h.handles);
    }
    // The last four bytes repeat the end-of-file record's size.
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(bytes[bytes.size() - 4], 20);
}

TEST_F(EmfWriter, TextIsPlacedByTheMillimetreRuleWithMeasuredAdvances) {
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintText(20, 20, "A&B",
                     {.colour = {10, 20, 30},
                      .bold = true,
                      .italic = true,
                      .underline = true,
                      .strikeOut = true});
    canvas.PrintText(30, 100, "mid", {.fontName = "Arial", .size = 12, .alignment = "Center"});
    canvas.PrintText(40, 190, "end", {.fontName = "Arial", .size = 12, .alignment = "right"});
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::optional<emf::Document> doc = emf::ParseEmf(canvas.LastPageBytes());
    ASSERT_TRUE(doc);

    const auto fontsMade = CommandsOf<emf::CreateFont>(*doc);
    ASSERT_EQ(fontsMade.size(), 3u);
    EXPECT_EQ(fontsMade[0].height, -83);  // 10 pt at 600 dpi, negative: the character height
    EXPECT_EQ(fontsMade[0].weight, 700);
    EXPECT_TRUE(fontsMade[0].italic && fontsMade[0].underline && fontsMade[0].strikeOut);
    EXPECT_EQ(Utf8(fontsMade[0].face), "Arial");
    EXPECT_EQ(fontsMade[1].height, -100);  // 12 pt
    EXPECT_EQ(fontsMade[1].weight, 400);

    const auto texts = CommandsOf<emf::TextOut>(*doc);
    ASSERT_EQ(texts.size(), 3u);
    // The reference point is on the baseline: the top of the text plus the ascent
    // (1854 / 2048 of the em, rounded: 75 pixels at 83, 91 at 100).
    EXPECT_EQ(Utf8(texts[0].text), "A&B");
    EXPECT_EQ(texts[0].reference.x, 472);
    EXPECT_EQ(texts[0].reference.y, 472 + 75);
    ASSERT_EQ(texts[0].dx.size(), 3u);
    // Advances of 1139 / 2048 em at 83 pixels placed on whole pixels: 46, 46, 46 (46.2, 92.3,
    // 138.5 -> 46, 92, 138).
    EXPECT_EQ(texts[0].dx, (std::vector<int32_t>{46, 46, 46}));
    EXPECT_EQ(texts[1].reference.x, 2362);  // 100 mm: 3937 thou -> 2362 pixels
    EXPECT_EQ(texts[1].reference.y, 708 + 91);
    EXPECT_EQ(texts[2].reference.x, 4488);  // 190 mm
    const auto aligns = CommandsOf<emf::SetTextAlign>(*doc);
    std::vector<uint32_t> used;
    for (const auto& a : aligns) {
        if (a.align != 0) {
            used.push_back(a.align);
        }
    }
    EXPECT_EQ(used, (std::vector<uint32_t>{emf::kTaBaseline, emf::kTaBaseline | emf::kTaCenter,
                                           emf::kTaBaseline | emf::kTaRight}));
    const auto colours = CommandsOf<emf::SetTextColor>(*doc);
    ASSERT_FALSE(colours.empty());
    EXPECT_EQ(colours[0].color, 0x001E140Au);  // COLORREF 0x00BBGGRR
}

TEST_F(EmfWriter, ShapesPensBrushesAndClipping) {
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintLine(10, 20, 50, 100, 0.2, {0, 0, 255});
    canvas.PrintRectangle(120, 190, 95, 20);  // corners in any order, default width
    canvas.PrintLine(10, 20, 10, 30, 0.01);   // 0 pixels: the thinnest pen
    canvas.PrintTextBox(70, 25, 80, 190, "x", {.fontName = "Arial", .size = 9});
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::optional<emf::Document> doc = emf::ParseEmf(canvas.LastPageBytes());
    ASSERT_TRUE(doc);

    const auto pens = CommandsOf<emf::CreatePen>(*doc);
    ASSERT_EQ(pens.size(), 3u);
    EXPECT_EQ(pens[0].width, 4);  // 0.2 mm at 600 dpi
    EXPECT_EQ(pens[0].color, 0x00FF0000u);
    EXPECT_EQ(pens[0].style, emf::kPsGeometricSolidFlatMiter);
    EXPECT_EQ(pens[1].width, 23);  // no width: 39 thousandths of an inch
    EXPECT_EQ(pens[2].width, 1);
    const auto moves = CommandsOf<emf::MoveTo>(*doc);
    const auto lines = CommandsOf<emf::LineTo>(*doc);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(moves[0].point.x, 472);
    EXPECT_EQ(moves[0].point.y, 235);  // 10 mm: 393 thou -> 235.8
    EXPECT_EQ(lines[0].point.x, 2362);
    EXPECT_EQ(lines[0].point.y, 1180);  // 50 mm: 1968 thou -> 1180.8
    const auto rects = CommandsOf<emf::DrawRectangle>(*doc);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].box.left, 472);
    EXPECT_EQ(rects[0].box.top, 2244);  // 95 mm: 3740 thou
    EXPECT_EQ(rects[0].box.right, 4488);
    EXPECT_EQ(rects[0].box.bottom, 2834);  // 120 mm: 4724 thou
    // The rectangle is drawn with the white brush selected.
    uint32_t brush = 0;
    for (const emf::Command& c : doc->commands) {
        if (const auto* s = std::get_if<emf::SelectObject>(&c);
            s != nullptr && s->index >= emf::kWhiteBrush && s->index <= emf::kNullBrush) {
            brush = s->index;
        }
        if (std::holds_alternative<emf::DrawRectangle>(c)) {
            EXPECT_EQ(brush, emf::kWhiteBrush);
        }
    }
    // The text box is clipped to its rectangle, in a saved state that is restored.
    const auto clips = CommandsOf<emf::IntersectClip>(*doc);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].clip.left, 590);
    EXPECT_EQ(clips[0].clip.top, 1653);
    EXPECT_EQ(clips[0].clip.right, 4488);
    EXPECT_EQ(clips[0].clip.bottom, 1889);
    EXPECT_EQ(CommandsOf<emf::SaveDc>(*doc).size(), CommandsOf<emf::RestoreDc>(*doc).size());
    const auto texts = CommandsOf<emf::TextOut>(*doc);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].options & emf::kEtoClipped, emf::kEtoClipped);
}

TEST_F(EmfWriter, ATextBoxWithReversedCornersShowsNothing) {
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintTextBox(70, 190, 80, 25, "right before left", {.fontName = "Arial", .size = 9});
    canvas.PrintTextBox(80, 25, 70, 190, "bottom above top", {.fontName = "Arial", .size = 9});
    canvas.PrintTextBox(70, 25, 70, 190, "no height", {.fontName = "Arial", .size = 9});
    canvas.PrintTextBox(70, 25, 80, 190, "shown", {.fontName = "Arial", .size = 9});
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::optional<emf::Document> doc = emf::ParseEmf(canvas.LastPageBytes());
    ASSERT_TRUE(doc);
    const auto texts = CommandsOf<emf::TextOut>(*doc);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(Utf8(texts[0].text), "shown");
    EXPECT_EQ(CommandsOf<emf::IntersectClip>(*doc).size(), 1u);
}

TEST_F(EmfWriter, DrawingWithoutAPageOrAFileDoesNothing) {
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    canvas.PrintText(10, 10, "lost", {});
    EXPECT_FALSE(canvas.HasSurface());
    EXPECT_FALSE(canvas.EndPreviewPage());
    EXPECT_FALSE(canvas.StartPreviewPage((m_dir / "missing" / "page.Emf").string()));
    EXPECT_FALSE(canvas.LastError().empty());
    EXPECT_FALSE(canvas.HasSurface());
    canvas.PrintLine(1, 1, 2, 2);
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(EmfWriter, AFileThatCannotBeWrittenWholeIsReported) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage("/dev/full"));
    canvas.PrintText(10, 10, "no room", {});
    EXPECT_FALSE(canvas.EndPreviewPage());
    EXPECT_FALSE(canvas.LastError().empty());
    EXPECT_TRUE(fs::exists("/dev/full"));  // only regular files are removed
}

TEST_F(EmfWriter, ImagesAreStretchedOntoTheirRectangleAsJpeg) {
    NamedImageSource images;
    ASSERT_TRUE(images.Add("ASSENTO", ReadWholeFileBytes(fs::path(VM_TEST_DATA) / "seat.jpg")));
    EXPECT_FALSE(images.Add("broken", std::vector<uint8_t>{1, 2, 3}));
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintImage("assento", 100, 30, 8, 5);  // looked up without regard to case
    canvas.PrintImage("nowhere", 100, 30, 8, 5);  // not found: nothing drawn
    canvas.PrintImage("assento", 100, 30, 0, 5);  // no height: nothing drawn
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::optional<emf::Document> doc = emf::ParseEmf(canvas.LastPageBytes());
    ASSERT_TRUE(doc);
    const auto bits = CommandsOf<emf::StretchBits>(*doc);
    ASSERT_EQ(bits.size(), 1u);
    EXPECT_EQ(bits[0].compression, emf::kBiJpeg);
    EXPECT_EQ(bits[0].width, 170);
    EXPECT_EQ(bits[0].height, 136);
    EXPECT_EQ(bits[0].cxSrc, 170);
    EXPECT_EQ(bits[0].xDest, 708);   // 30 mm: 1181 thou
    EXPECT_EQ(bits[0].yDest, 2362);  // 100 mm
    EXPECT_EQ(bits[0].cxDest, 117);  // 5 mm: 196 thou -> 117.6
    EXPECT_EQ(bits[0].cyDest, 188);  // 8 mm: 314 thou -> 188.4
    EXPECT_EQ(bits[0].rop, emf::kSrcCopy);
    const std::vector<uint8_t> jpeg = ReadWholeFileBytes(fs::path(VM_TEST_DATA) / "seat.jpg");
    ASSERT_EQ(bits[0].bitsSize, jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(),
                           doc->bytes.begin() + static_cast<std::ptrdiff_t>(bits[0].bitsOffset)));
}

TEST_F(EmfWriter, BilevelImagesBecomeUncompressedTwoColourBitmaps) {
    // 10 x 3 pixels: row 0 all black, row 1 the first pixel black, row 2 the last one black.
    using namespace std::string_literals;
    const std::string pbm = "P4\n# a comment\n10 3\n"s + "\xFF\xC0"s + "\x80\x00"s + "\x00\x40"s;
    NamedImageSource images;
    ASSERT_TRUE(images.Add("marca", std::vector<uint8_t>(pbm.begin(), pbm.end())));
    const std::optional<EncodedImage> image = images.Find("MARCA");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format, EncodedImage::Format::Bilevel);
    EXPECT_EQ(image->width, 10);
    EXPECT_EQ(image->height, 3);
    // Short rows, or a size of 0, are no image.
    for (const std::string& bad :
         {std::string("P4 10 3\n\xFF\xC0"), std::string("P4 0 3\n"), std::string("P4 10\n")}) {
        EXPECT_FALSE(images.Add("bad", std::vector<uint8_t>(bad.begin(), bad.end()))) << bad;
    }

    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images, &fonts);
    ASSERT_TRUE(canvas.StartPreviewPage(""));
    canvas.PrintImage("marca", 100, 30, 8, 5);
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::optional<emf::Document> doc = emf::ParseEmf(canvas.LastPageBytes());
    ASSERT_TRUE(doc);
    const auto bits = CommandsOf<emf::StretchBits>(*doc);
    ASSERT_EQ(bits.size(), 1u);
    EXPECT_EQ(bits[0].compression, emf::kBiRgb);
    EXPECT_EQ(bits[0].bitCount, 1);
    EXPECT_EQ(bits[0].width, 10);
    EXPECT_EQ(bits[0].height, 3);  // rows from the bottom
    EXPECT_EQ(bits[0].palette, (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
    EXPECT_EQ(bits[0].cxDest, 117);
    EXPECT_EQ(bits[0].cyDest, 188);
    // Rows of 4 bytes, bottom first; a clear bit is colour 0, black; padding bits are 0.
    const std::vector<uint8_t> expected = {0xFF, 0x80, 0, 0, 0x7F, 0xC0, 0, 0, 0x00, 0x00, 0, 0};
    ASSERT_EQ(bits[0].bitsSize, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                           doc->bytes.begin() + static_cast<std::ptrdiff_t>(bits[0].bitsOffset)));
}

TEST_F(EmfWriter, PagesOpenInAnIndependentReader) {
    if (std::system("command -v emf2svg-conv > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "emf2svg-conv (Debian package emf2svg) is not installed";
    }
    NamedImageSource images;
    ASSERT_TRUE(images.Add("fila", ReadWholeFileBytes(fs::path(VM_TEST_DATA) / "seat.jpg")));
    EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
    const fs::path emf = m_dir / "00000530_kpv_print_preview_0001.Emf";
    ASSERT_TRUE(canvas.StartPreviewPage(emf.string()));
    canvas.PrintText(20, 20, "Relat\xf3rio & P\xe1gina", {.bold = true});
    canvas.PrintText(
        30, 100, "Centrado",
        {.fontName = "Arial", .size = 12, .colour = {255, 0, 0}, .alignment = "CENTER"});
    canvas.PrintTextBox(40, 20, 50, 80,
                        "Nesta configura\xe7\xe3o, para uma perfeita visualiza\xe7\xe3o dos "
                        "textos, pelos ocupantes da \xfaltima fileira de assentos",
                        {.fontName = "Arial", .size = 9});
    canvas.PrintLine(70, 20, 70, 190, 0.2, {0, 0, 255});
    canvas.PrintRectangle(80, 20, 120, 190, 0.2);
    canvas.PrintImage("FILA", 90, 30, 20, 30);
    ASSERT_TRUE(canvas.EndPreviewPage());

    const fs::path svg = m_dir / "page.svg";
    const std::string command = "emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string text = ReadWholeFile(svg);
    // The canvas is the printable area in device pixels.
    EXPECT_NE(text.find("width=\"4960.0000\" height=\"7015.0000\""), std::string::npos);
    // Text at its millimetre position: 20 mm -> 472 pixels; baseline 472 + ascent 75.
    EXPECT_NE(text.find("font-weight=\"700\" text-anchor=\"start\" x=\"472.0000\" "
                        "y=\"547.0000\" font-size=\"83.0000\" ><![CDATA[Relat\xc3\xb3rio & "
                        "P\xc3\xa1gina]]>"),
              std::string::npos)
        << text.substr(0, 2000);
    const std::string centred = SvgTextElement(text, "Centrado");
    EXPECT_NE(centred.find("fill=\"#FF0000\""), std::string::npos) << centred;
    EXPECT_NE(centred.find("text-anchor=\"middle\" x=\"2362.0000\""), std::string::npos) << centred;
    // The text box: clipped lines, the last one ended with an ellipsis (two lines fit 10 mm at
    // 9 pt: 236 / 84 pixels).
    std::vector<std::string> boxLines;
    for (size_t at = text.find("<text  clip-path="); at != std::string::npos;
         at = text.find("<text  clip-path=", at + 1)) {
        const size_t begin = text.find("<![CDATA[", at) + 9;
        boxLines.push_back(text.substr(begin, text.find("]]>", begin) - begin));
    }
    ASSERT_EQ(boxLines.size(), 2u) << text;
    EXPECT_EQ(boxLines[0].rfind("Nesta configura", 0), 0u);
    EXPECT_EQ(boxLines[1].substr(boxLines[1].size() - 3), "...");
    // The line, 0.2 mm -> 4 pixels wide, blue; the rectangle white inside.
    EXPECT_NE(
        text.find("<path d=\"M 472.0000,1653.0000 L 4488.0000,1653.0000 \" stroke=\"#0000FF\" "
                  "stroke-width=\"4.0000\""),
        std::string::npos);
    EXPECT_NE(text.find("<rect x=\"472.0000\" y=\"1889.0000\" width=\"4016.0000\" "
                        "height=\"945.0000\"  fill=\"#FFFFFF\" stroke=\"#000000\""),
              std::string::npos);
    // The image, stretched onto 30 x 20 mm, as the JPEG it was given.
    EXPECT_NE(text.find("<image width=\"708.0000\" height=\"472.0000\" x=\"708.0000\" "
                        "y=\"2125.0000\""),
              std::string::npos);
    EXPECT_NE(text.find("data:image/jpg;base64,/9j/"), std::string::npos);
}

// --- the reader ---------------------------------------------------------------------------------

std::vector<uint8_t> SmallPage() {
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    canvas.StartPreviewPage("");
    canvas.PrintText(20, 20, "text", {});
    canvas.PrintTextBox(40, 20, 50, 80, "box", {.fontName = "Arial", .size = 9});
    canvas.PrintRectangle(80, 20, 120, 190, 0.2);
    canvas.EndPreviewPage();
    return canvas.LastPageBytes();
}

TEST(EmfReader, RejectsDamagedFilesAndSkipsUnknownRecords) {
    const std::vector<uint8_t> page = SmallPage();
    ASSERT_TRUE(emf::ParseEmf(page));

    // Every truncation loses the end-of-file record or cuts a record.
    for (size_t n = 0; n < page.size(); n += 7) {
        std::string error;
        EXPECT_FALSE(emf::ParseEmf(std::vector<uint8_t>(page.begin(), page.begin() + n), &error))
            << n;
        EXPECT_FALSE(error.empty());
    }
    auto withFirstRecordSize = [&](uint32_t size) {
        std::vector<uint8_t> bytes = page;
        const size_t at = emf::kHeaderSize + 4;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<uint8_t>(size >> (8 * i));
        }
        return bytes;
    };
    EXPECT_FALSE(emf::ParseEmf(withFirstRecordSize(0)));
    EXPECT_FALSE(emf::ParseEmf(withFirstRecordSize(13)));
    EXPECT_FALSE(emf::ParseEmf(withFirstRecordSize(0xFFFFFFF0)));
    std::vector<uint8_t> notEmf = page;
    notEmf[40] = 'X';  // signature
    EXPECT_FALSE(emf::ParseEmf(notEmf));

    // An unknown record type in place of the first record is skipped.
    std::vector<uint8_t> unknown = page;
    unknown[emf::kHeaderSize] = 0x7F;
    const std::optional<emf::Document> doc = emf::ParseEmf(unknown);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->skippedRecords, 1u);
    EXPECT_EQ(doc->commands.size(), emf::ParseEmf(page)->commands.size() - 1);
}

TEST(EmfReader, RecordFieldsOutsideTheirRecordAreNotRead) {
    // A text record whose string would run past the record: skipped, nothing else lost.
    std::vector<uint8_t> page = SmallPage();
    const std::optional<emf::Document> good = emf::ParseEmf(page);
    ASSERT_TRUE(good);
    size_t at = emf::kHeaderSize;
    while (at + 8 <= page.size()) {
        const uint32_t type = page[at] | page[at + 1] << 8;
        const uint32_t size = page[at + 4] | page[at + 5] << 8 | page[at + 6] << 16;
        if (type == emf::kExtTextOutW) {
            page[at + 44] = 0xFF;  // chars
            page[at + 45] = 0xFF;
            break;
        }
        at += size;
    }
    const std::optional<emf::Document> doc = emf::ParseEmf(page);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->skippedRecords, 1u);
    EXPECT_EQ(CommandsOf<emf::TextOut>(*doc).size(), CommandsOf<emf::TextOut>(*good).size() - 1);
}

// --- page files ---------------------------------------------------------------------------------

class PageFiles : public InTempDir {};

// Page files and images named by path are read only from regular files: nothing waits on a FIFO
// or reads a device without end.
TEST_F(PageFiles, AreReadOnlyFromRegularFiles) {
    const fs::path folder = m_dir / "Área de Trabalho";
    fs::create_directories(folder);
    const fs::path page = folder / "Relatório 0001.emf";
    std::ofstream(page, std::ios::binary)
        << ReadWholeFile((fs::path(VM_TEST_DATA) / "seat.jpg").string());
    const fs::path fifo = folder / "fila.emf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    // A page file: its bytes are no EMF, so only the reason tells how far it got.
    const struct {
        fs::path path;
        const char* says;
    } pages[] = {
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {folder, "not a regular file"},
        {folder / "não existe.emf", "cannot open the file"},
    };
    for (const auto& c : pages) {
        std::string error;
        EXPECT_FALSE(emf::ReadEmfFile(c.path.string(), &error)) << c.path;
        EXPECT_EQ(error, c.says) << c.path;
    }
    std::string error;
    EXPECT_FALSE(emf::ReadEmfFile(page.string(), &error));
    EXPECT_NE(error, "not a regular file");
    EXPECT_NE(error, "cannot open the file");

    // An image found by its file's name.
    const NamedImageSource images;
    const std::optional<EncodedImage> seat = images.Find(page.string());
    ASSERT_TRUE(seat);
    EXPECT_EQ(seat->format, EncodedImage::Format::Jpeg);
    EXPECT_EQ(seat->width, 170);
    for (const fs::path& none : {fifo, fs::path("/dev/zero"), folder}) {
        EXPECT_FALSE(images.Find(none.string())) << none;
    }
}

TEST_F(PageFiles, NamesFromThePreviewIdAndThePageNumber) {
    EXPECT_EQ(PreviewId(530), "00000530");  // 5.3 seconds after midnight
    EXPECT_EQ(PreviewId(8639999), "08639999");
    EXPECT_EQ(PreviewId(-5), "00000000");
    EXPECT_EQ(PreviewIdNow().size(), 8u);
    EXPECT_EQ(PageFileName("/tmp/", "00000530", 1), "/tmp/00000530_kpv_print_preview_0001.Emf");
    EXPECT_EQ(PageFileName("/tmp/", "00000530", 2), "/tmp/00000530_kpv_print_preview_0002.Emf");
    EXPECT_EQ(PageFileName("/tmp/", "00000530", 12345),
              "/tmp/00000530_kpv_print_preview_12345.Emf");
}

TEST(PageFileFolder, TempFolderFollowsTmpdir) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(tempFolder(), "/var/tmp/");
    ::setenv("TMPDIR", "/var/tmp//", 1);
    EXPECT_EQ(tempFolder(), "/var/tmp/");
    ::setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(tempFolder(), "/var/tmp/");
    ::setenv("TMPDIR", "/", 1);
    EXPECT_EQ(tempFolder(), "/");
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(tempFolder(), "/tmp/");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(tempFolder(), "/tmp/");
    if (old != nullptr) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    }
}

TEST_F(PageFiles, DeletingAJobsPagesLeavesEveryOtherFile) {
    const std::string folder = m_dir.string() + "/";
    FixedFonts fonts;
    EmfPageCanvas canvas(ReferenceDevice::A4(), nullptr, &fonts);
    for (int page = 1; page <= 3; ++page) {
        ASSERT_TRUE(canvas.StartPreviewPage(PageFileName(folder, "00000530", page)));
        canvas.PrintText(20, 20, "page " + std::to_string(page), {});
        ASSERT_TRUE(canvas.EndPreviewPage());
    }
    const std::vector<std::string> others = {
        "00000531_kpv_print_preview_0001.Emf",  // another job
        "00000530_kpv_print_preview_0001.emf",  // other case of the extension
        "00000530_other_0001.Emf", "notes.txt"};
    for (const std::string& name : others) {
        std::ofstream(m_dir / name) << "x";
    }
    const std::vector<std::string> pages = ListPageFiles(folder, "00000530");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1], PageFileName(folder, "00000530", 2));
    EXPECT_TRUE(emf::ReadEmfFile(pages[2]));
    EXPECT_TRUE(ListPageFiles(folder, "").empty());

    EXPECT_EQ(DeletePageFiles(folder, "00000530"), 3);
    for (const std::string& name : others) {
        EXPECT_TRUE(fs::exists(m_dir / name)) << name;
    }
    EXPECT_TRUE(ListPageFiles(folder, "00000530").empty());
}

TEST(SystemFonts, ArialIsMeasuredWithLiberationSans) {
    const std::shared_ptr<const FontFace> arial = SystemFontProvider().Find("Arial", false, false);
    EXPECT_EQ(arial->FamilyName(), "Liberation Sans");
    EXPECT_EQ(arial->UnitsPerEm(), 2048);
    EXPECT_EQ(arial->Ascent(), 1854);
    EXPECT_EQ(arial->Descent(), 434);
    EXPECT_EQ(arial->Advance(U'0'), 1139);  // Arial's digits: 0.556 em
    const auto bold = SystemFontProvider().Find("Arial", true, false);
    EXPECT_GT(bold->Advance(U'w'), arial->Advance(U'w'));
}

}  // namespace
}  // namespace vm
