#pragma once
// The page-file recorder: a canvas that writes each page as an enhanced metafile (EMF). The
// metafile's device unit is the printer's pixel; its frame is the printable area in hundredths of
// a millimetre and the printer is its reference device (ReferenceDevice), so the file plays back
// the same on screen, on the printer and in other programs that read EMF.
//
// Millimetres become pixels by the rule of pagefile/device_units.h. Text is measured with the
// metrics of the face that fontconfig picks for the font name (pagefile/font_metrics.h); each text
// record carries the advance of every character, so players place the characters where the
// writer measured them. Where text stands is laid out by pagefile/text_layout.h, the records'
// bytes are laid out by pagefile/emf_record_writer.h; this canvas joins the two.

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "pagefile/canvas.h"
#include "pagefile/device_units.h"
#include "pagefile/emf_record_writer.h"
#include "pagefile/font_metrics.h"
#include "pagefile/image_reduction.h"
#include "pagefile/page_images.h"

namespace vm {

namespace emf {
class RecordWriter;
}
struct PlacedText;

class EmfPageCanvas final : public Canvas {
public:
    // `images` finds the images of PrintImage (none are drawn without it); `fonts` measures text
    // (the system's fonts without it). Both must outlive the canvas.
    explicit EmfPageCanvas(ReferenceDevice device = ReferenceDevice::A4(),
                           const ImageSource* images = nullptr, FontProvider* fonts = nullptr);
    ~EmfPageCanvas() override;
    EmfPageCanvas(const EmfPageCanvas&) = delete;
    EmfPageCanvas& operator=(const EmfPageCanvas&) = delete;

    // Creates the page file `fileName` (replacing one of that name) and starts recording into it;
    // an empty name records in memory only. Returns false, with LastError() set, when the file
    // cannot be created; drawing then does nothing.
    bool StartPreviewPage(const std::string& fileName) override;
    // Completes the page: the file is whole on disk and LastPageBytes() holds its bytes. Returns
    // false when no page was open or writing failed; a file that could not be written whole is
    // removed.
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

    const ReferenceDevice& Device() const { return m_device; }
    const std::vector<uint8_t>& LastPageBytes() const { return m_lastPage; }
    const std::string& LastError() const { return m_error; }

private:
    ScaledFont Font(const TextStyle& style) const;
    void SelectFont(const ScaledFont& font, const TextStyle& style);
    void ReleaseFont();
    // The records of a laid-out text: its font, alignment and clipping, and a text record a line.
    void WriteText(const PlacedText& placed, const ScaledFont& font, const TextStyle& style);
    void SelectPen(std::optional<double> width, Color colour);
    // `image` reduced to `size` (pagefile/image_reduction.h), once for every name and size; null
    // when it makes no bitmap.
    const emf::Dib* ReducedDib(std::string_view imageName, const EncodedImage& image,
                               const StoredSize& size);
    void ReleasePen();

    ReferenceDevice m_device;
    const ImageSource* m_images;
    FontProvider* m_fonts;
    std::unique_ptr<emf::RecordWriter> m_records;  // the page being recorded
    std::FILE* m_file = nullptr;
    std::string m_fileName;
    bool m_open = false;
    std::vector<uint8_t> m_lastPage;
    // Pictures stored reduced, by name (upper case) and stored size.
    std::map<std::tuple<std::string, int, int>, std::optional<emf::Dib>> m_reducedDibs;
    std::string m_error;
};

}  // namespace vm
