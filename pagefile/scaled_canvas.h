#pragma once
// A canvas that passes every drawing on to another one reduced about a fixed point: a drawing made
// for more room than the page has can be drawn as it is, only smaller. Positions move towards the
// point and lengths (rectangles, lines, image sizes) shrink by the factor; font sizes and line
// widths stay as given, so the texts stay legible and the lines as fine as drawn.
//
//   ScaledCanvas reduced(canvas, 33, 20, 0.9);  // about row 33, column 20, to nine tenths
//   reduced.PrintLine(33, 20, 305, 20, 0.2);    // drawn from (33, 20) to (277.8, 20)

#include "pagefile/forwarding_canvas.h"

namespace vm {

class ScaledCanvas final : public ForwardingCanvas {
public:
    // `target` must outlive this canvas. A factor of 1 draws every call unchanged.
    ScaledCanvas(Canvas& target, double originRow, double originCol, double scale);

    // Pages are the target's (ForwardingCanvas).

    void PrintText(double row, double col, std::string_view text, const TextStyle& style) override;
    void PrintTextBox(double row, double col, double toRow, double toCol, std::string_view text,
                      const TextStyle& style) override;
    void PrintLine(double row, double col, double toRow, double toCol,
                   std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintRectangle(double row, double col, double toRow, double toCol,
                        std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintImage(std::string_view imageName, double row, double col, double height,
                    double width) override;

    // Where a row or column of the drawing lands on the target.
    double Row(double row) const { return m_originRow + (row - m_originRow) * m_scale; }
    double Col(double col) const { return m_originCol + (col - m_originCol) * m_scale; }
    // The row or column of the drawing that lands on `row` or `col` of the target; the factor must
    // not be 0.
    double DrawingRow(double row) const { return m_originRow + (row - m_originRow) / m_scale; }
    double DrawingCol(double col) const { return m_originCol + (col - m_originCol) / m_scale; }

private:
    double m_originRow;
    double m_originCol;
    double m_scale;
};

}  // namespace vm
