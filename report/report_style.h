#pragma once
// What the report's pages and drawings share: the face, the colours, the sheet, and short forms of
// the two text calls in the report's one face. Texts are Windows-1252 bytes.

#include <string>
#include <string_view>

#include "pagefile/canvas.h"

namespace vm {

inline constexpr std::string_view kReportFont = "Arial";

inline constexpr Color kBlue{0, 0, 255};   // detail (G), and everything of the planned screen
inline constexpr Color kRed{255, 0, 0};    // computer (A)
inline constexpr Color kGreen{0, 255, 0};  // video (F)
inline constexpr Color kGrey{128, 128, 128};

// The A4 sheet in millimetres.
inline constexpr double kSheetWidth = 210;
inline constexpr double kSheetHeight = 297;

// The report's literals are written in UTF-8 in the sources; this gives their Windows-1252 bytes.
std::string Cp1252(std::string_view utf8);

// The report's text style: Arial, neither italic, underlined nor struck out.
inline TextStyle ReportStyle(double size, Color colour, bool bold, std::string_view alignment) {
    return TextStyle{.fontName = std::string(kReportFont),
                     .size = size,
                     .colour = colour,
                     .bold = bold,
                     .alignment = std::string(alignment)};
}

// PrintText in the report's style.
inline void ReportText(Canvas& canvas, double row, double col, double size, std::string_view text,
                       Color colour = kBlack, bool bold = false, std::string_view alignment = {}) {
    canvas.PrintText(row, col, text, ReportStyle(size, colour, bold, alignment));
}

// PrintTextBox in the report's style.
inline void ReportTextBox(Canvas& canvas, double row, double col, double toRow, double toCol,
                          double size, std::string_view text, Color colour = kBlack,
                          bool bold = false, std::string_view alignment = {}) {
    canvas.PrintTextBox(row, col, toRow, toCol, text, ReportStyle(size, colour, bold, alignment));
}

}  // namespace vm
