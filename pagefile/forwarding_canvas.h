#pragma once
// A canvas that passes every call on to another one, unchanged. A canvas that does something
// more with some calls derives from it and overrides only those:
//
//   class NamelessPages final : public ForwardingCanvas {
//   public:
//       using ForwardingCanvas::ForwardingCanvas;
//       bool StartPreviewPage(const std::string&) override {
//           return ForwardingCanvas::StartPreviewPage({});
//       }
//   };

#include "pagefile/canvas.h"

namespace vm {

class ForwardingCanvas : public Canvas {
public:
    // `target` must outlive this canvas.
    explicit ForwardingCanvas(Canvas& target) : m_target(target) {}

    bool StartPreviewPage(const std::string& fileName) override;
    bool EndPreviewPage() override;
    bool HasSurface() const override;

    void PrintText(double row, double col, std::string_view text, const TextStyle& style) override;
    void PrintTextBox(double row, double col, double toRow, double toCol, std::string_view text,
                      const TextStyle& style) override;
    void PrintLine(double row, double col, double toRow, double toCol,
                   std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintRectangle(double row, double col, double toRow, double toCol,
                        std::optional<double> width = std::nullopt, Color colour = kBlack) override;
    void PrintImage(std::string_view imageName, double row, double col, double height,
                    double width) override;

protected:
    Canvas& Target() const { return m_target; }

private:
    Canvas& m_target;
};

}  // namespace vm
