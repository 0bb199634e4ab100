#include "pagefile/scaled_canvas.h"

namespace vm {

ScaledCanvas::ScaledCanvas(Canvas& target, double originRow, double originCol, double scale)
    : m_target(target), m_originRow(originRow), m_originCol(originCol), m_scale(scale) {}

bool ScaledCanvas::StartPreviewPage(const std::string& fileName) {
    return m_target.StartPreviewPage(fileName);
}

bool ScaledCanvas::EndPreviewPage() {
    return m_target.EndPreviewPage();
}

bool ScaledCanvas::HasSurface() const {
    return m_target.HasSurface();
}

void ScaledCanvas::PrintText(double row, double col, std::string_view text,
                             const TextStyle& style) {
    m_target.PrintText(Row(row), Col(col), text, style);
}

void ScaledCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                std::string_view text, const TextStyle& style) {
    m_target.PrintTextBox(Row(row), Col(col), Row(toRow), Col(toCol), text, style);
}

void ScaledCanvas::PrintLine(double row, double col, double toRow, double toCol,
                             std::optional<double> width, Color colour) {
    m_target.PrintLine(Row(row), Col(col), Row(toRow), Col(toCol), width, colour);
}

void ScaledCanvas::PrintRectangle(double row, double col, double toRow, double toCol,
                                  std::optional<double> width, Color colour) {
    m_target.PrintRectangle(Row(row), Col(col), Row(toRow), Col(toCol), width, colour);
}

void ScaledCanvas::PrintImage(std::string_view imageName, double row, double col, double height,
                              double width) {
    m_target.PrintImage(imageName, Row(row), Col(col), height * m_scale, width * m_scale);
}

}  // namespace vm
