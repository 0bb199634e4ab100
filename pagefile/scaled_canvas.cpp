#include "pagefile/scaled_canvas.h"

namespace vm {

ScaledCanvas::ScaledCanvas(Canvas& target, double originRow, double originCol, double scale)
    : ForwardingCanvas(target), m_originRow(originRow), m_originCol(originCol), m_scale(scale) {}

void ScaledCanvas::PrintText(double row, double col, std::string_view text,
                             const TextStyle& style) {
    Target().PrintText(Row(row), Col(col), text, style);
}

void ScaledCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                std::string_view text, const TextStyle& style) {
    Target().PrintTextBox(Row(row), Col(col), Row(toRow), Col(toCol), text, style);
}

void ScaledCanvas::PrintLine(double row, double col, double toRow, double toCol,
                             std::optional<double> width, Color colour) {
    Target().PrintLine(Row(row), Col(col), Row(toRow), Col(toCol), width, colour);
}

void ScaledCanvas::PrintRectangle(double row, double col, double toRow, double toCol,
                                  std::optional<double> width, Color colour) {
    Target().PrintRectangle(Row(row), Col(col), Row(toRow), Col(toCol), width, colour);
}

void ScaledCanvas::PrintImage(std::string_view imageName, double row, double col, double height,
                              double width) {
    Target().PrintImage(imageName, Row(row), Col(col), height * m_scale, width * m_scale);
}

}  // namespace vm
