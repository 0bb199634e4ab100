#pragma once
// A canvas that keeps what is drawn: per page, the list of primitives with their millimetre
// arguments as given (font name and size already defaulted). Made for tests of the report pages.
//
//   RecordingCanvas canvas;
//   DrawPageA(canvas);
//   ASSERT_EQ(canvas.PageCount(), 1);
//   const Primitive* title = canvas.FindText("Linhas de Visão");
//   EXPECT_EQ(canvas.Page(0).Count(PrimitiveKind::Image), 7);

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pagefile/canvas.h"

namespace vm {

enum class PrimitiveKind { Text, TextBox, Line, Rectangle, Image };

// One drawing call. Fields that a kind does not use keep their defaults:
// Text: row, col, font*, colour, text, styles, alignment.
// TextBox, Line, Rectangle: row, col, toRow, toCol (+ font and text fields for TextBox; width and
// colour for Line and Rectangle, width empty when none was given).
// Image: imageName, row, col, height, width.
struct Primitive {
    PrimitiveKind kind = PrimitiveKind::Text;
    double row = 0;
    double col = 0;
    double toRow = 0;
    double toCol = 0;
    double height = 0;            // images only
    std::optional<double> width;  // line width, or image width
    std::string fontName;         // "Arial" when none was given
    double fontSize = 0;          // 10 when none was given
    Color colour;
    std::string text;  // Windows-1252 bytes
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string alignmentWord;  // as given
    Alignment alignment = Alignment::Left;
    std::string imageName;

    // One readable line, e.g. `Text (12, 20) "Vistametra" Arial 10 bold` - for failure messages.
    std::string Describe() const;
};

struct RecordedPage {
    std::string fileName;  // as given to StartPreviewPage
    std::vector<Primitive> primitives;
    bool ended = false;

    int Count(PrimitiveKind kind) const;
    std::vector<const Primitive*> OfKind(PrimitiveKind kind) const;
    // Texts of Text and TextBox primitives, in drawing order.
    std::vector<std::string> Texts() const;
    // First Text or TextBox whose text contains `part`; nullptr when none does.
    const Primitive* FindText(std::string_view part) const;
};

// The primitive that each drawing call records, with the font name and size defaulted; also the
// expected values of tests.
Primitive TextPrimitive(double row, double col, std::string_view text, const TextStyle& style);
Primitive TextBoxPrimitive(double row, double col, double toRow, double toCol,
                           std::string_view text, const TextStyle& style);
Primitive LinePrimitive(double row, double col, double toRow, double toCol,
                        std::optional<double> width, Color colour);
Primitive RectanglePrimitive(double row, double col, double toRow, double toCol,
                             std::optional<double> width, Color colour);
Primitive ImagePrimitive(std::string_view imageName, double row, double col, double height,
                         double width);

class RecordingCanvas final : public Canvas {
public:
    bool StartPreviewPage(const std::string& fileName) override;
    bool EndPreviewPage() override;
    bool HasSurface() const override { return m_open; }

    void PrintText(double row, double col, std::string_view text, const TextStyle& style) override;
    void PrintTextBox(double row, double col, double toRow, double toCol, std::string_view text,
                      const TextStyle& style) override;
    void PrintLine(double row, double col, double toRow, double toCol,
                   std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintRectangle(double row, double col, double toRow, double toCol,
                        std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintImage(std::string_view imageName, double row, double col, double height,
                    double width) override;

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    // Page `index` counted from 0; the index must be below PageCount().
    const RecordedPage& Page(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    const std::vector<RecordedPage>& Pages() const { return m_pages; }

    // First Text or TextBox on any page whose text contains `part`; nullptr when none does.
    const Primitive* FindText(std::string_view part) const;
    // Drawing calls made while no page was open (they draw nothing).
    int DroppedCalls() const { return m_dropped; }

    // Every page and primitive, one line each, for failure messages.
    std::string Dump() const;

private:
    void Add(Primitive primitive);

    std::vector<RecordedPage> m_pages;
    bool m_open = false;
    int m_dropped = 0;
};

}  // namespace vm
