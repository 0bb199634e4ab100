#pragma once
// The millimetre page canvas on which the report draws. Positions are (row, col) in millimetres
// from the top-left corner of the sheet, row growing downwards and col to the right; sizes are
// millimetres, font sizes points. Text is Windows-1252 bytes.
//
// Back ends: the page-file recorder (EmfPageCanvas, pagefile/emf_writer.h) and the recorder for
// tests (RecordingCanvas, pagefile/recording_canvas.h). Drawing while no page is open does nothing,
// as drawing on a zero surface does.

#include <optional>
#include <string>
#include <string_view>

namespace vm {

struct Color {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};

// Horizontal placement of a text. For PrintText the point is the left end, the centre or the right
// end of the text; for PrintTextBox each line is placed against the left edge, the centre or the
// right edge of the rectangle.
enum class Alignment { Left, Center, Right };

// "CENTER" and "RIGHT" in any case; every other word, and none, is left.
Alignment ParseAlignment(std::string_view word);

// A font name left empty means "Arial"; a size of 0 or less means 10 points.
inline constexpr std::string_view kDefaultFontName = "Arial";
inline constexpr double kDefaultFontSize = 10;
std::string EffectiveFontName(std::string_view fontName);
double EffectiveFontSize(double fontSize);

// How a text is printed. Every field may be left as it is:
//   canvas.PrintText(12, 190, "P\xe1gina 1", {.size = 8, .bold = true, .alignment = "RIGHT"});
struct TextStyle {
    std::string fontName;  // empty: kDefaultFontName
    double size = 0;       // points; 0 or less: kDefaultFontSize
    Color colour = kBlack;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string alignment;  // the word, read by ParseAlignment
};

// A line or rectangle given no width is drawn 39 thousandths of an inch wide (about 1 mm).
inline constexpr int kDefaultLineWidthThou = 39;

class Canvas {
public:
    virtual ~Canvas() = default;

    // Opens a new page recorded under `fileName` (the page file's full name; back ends that keep
    // no files only note it). Returns false when the page cannot be started; drawing then does
    // nothing until a page starts. A page still open is ended first.
    virtual bool StartPreviewPage(const std::string& fileName) = 0;

    // Closes the open page. Returns false when no page was open or the page could not be
    // completed (for page files: written to disk).
    virtual bool EndPreviewPage() = 0;

    // Whether a page is open, i.e. drawing has an effect.
    virtual bool HasSurface() const = 0;

    // One line of text in `style` whose top is at `row`; its left end, centre or right end at
    // `col`. Not wrapped, not clipped.
    virtual void PrintText(double row, double col, std::string_view text,
                           const TextStyle& style) = 0;

    // Text in `style` word-wrapped inside the rectangle (row, col) - (toRow, toCol): lines break
    // between words, the first line at the top, "&" printed literally, output clipped to the
    // rectangle (a word wider than it is cut by the clipping), and a text with lines left over
    // ended with "..." on its last shown line. A rectangle whose (toRow, toCol) lies above or left
    // of (row, col) shows nothing.
    virtual void PrintTextBox(double row, double col, double toRow, double toCol,
                              std::string_view text, const TextStyle& style) = 0;

    // A solid line from (row, col) to (toRow, toCol); the end point itself is not painted. Without
    // a width it is kDefaultLineWidthThou wide.
    virtual void PrintLine(double row, double col, double toRow, double toCol,
                           std::optional<double> width = std::nullopt, Color colour = kBlack) = 0;

    // A rectangle outline between the two corners; its interior is painted white, over whatever
    // was drawn there before.
    virtual void PrintRectangle(double row, double col, double toRow, double toCol,
                                std::optional<double> width = std::nullopt,
                                Color colour = kBlack) = 0;

    // The named image stretched onto exactly the rectangle whose top-left corner is (row, col),
    // without keeping its proportions. An image that is not found is not drawn.
    virtual void PrintImage(std::string_view imageName, double row, double col, double height,
                            double width) = 0;
};

}  // namespace vm
