#include "pagefile/forwarding_canvas.h"

namespace vm {

bool ForwardingCanvas::StartPreviewPage(const std::string& fileName) {
    return m_target.StartPreviewPage(fileName);
}

bool ForwardingCanvas::EndPreviewPage() {
    return m_target.EndPreviewPage();
}

bool ForwardingCanvas::HasSurface() const {
    return m_target.HasSurface();
}

void ForwardingCanvas::PrintText(double row, double col, std::string_view text,
                                 const TextStyle& style) {
    m_target.PrintText(row, col, text, style);
}

void ForwardingCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                    std::string_view text, const TextStyle& style) {
    m_target.PrintTextBox(row, col, toRow, toCol, text, style);
}

void ForwardingCanvas::PrintLine(double row, double col, double toRow, double toCol,
                                 std::optional<double> width, Color colour) {
    m_target.PrintLine(row, col, toRow, toCol, width, colour);
}

void ForwardingCanvas::PrintRectangle(double row, double col, double toRow, double toCol,
                                      std::optional<double> width, Color colour) {
    m_target.PrintRectangle(row, col, toRow, toCol, width, colour);
}

void ForwardingCanvas::PrintImage(std::string_view imageName, double row, double col, double height,
                                  double width) {
    m_target.PrintImage(imageName, row, col, height, width);
}

}  // namespace vm
