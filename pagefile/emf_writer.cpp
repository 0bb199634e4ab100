#include "pagefile/emf_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/win1252.h"
#include "pagefile/emf_format.h"
#include "pagefile/emf_record_writer.h"
#include "pagefile/image_reduction.h"
#include "pagefile/text_layout.h"

namespace vm {

namespace {

// Object table slots: one font and one pen at a time, each deleted right after use.
constexpr uint32_t kFontSlot = 1;
constexpr uint32_t kPenSlot = 2;
constexpr uint16_t kHandles = 3;

}  // namespace

EmfPageCanvas::EmfPageCanvas(ReferenceDevice device, const ImageSource* images, FontProvider* fonts)
    : m_device(device),
      m_images(images),
      m_fonts(fonts != nullptr ? fonts : &SystemFontProvider()) {}

EmfPageCanvas::~EmfPageCanvas() {
    if (m_open) {
        EndPreviewPage();
    }
}

bool EmfPageCanvas::StartPreviewPage(const std::string& fileName) {
    if (m_open) {
        EndPreviewPage();
    }
    m_error.clear();
    m_fileName = fileName;
    if (!fileName.empty()) {
        m_file = std::fopen(fileName.c_str(), "wb");
        if (m_file == nullptr) {
            m_error = "cannot create the page file " + fileName + ": " + std::strerror(errno);
            return false;
        }
    }
    m_records = std::make_unique<emf::RecordWriter>(m_device, kHandles);
    m_records->Value(emf::kSetMapMode, emf::kMmText);
    m_records->Value(emf::kSetBkMode, emf::kTransparent);
    m_records->Value(emf::kSetStretchBltMode, emf::kColorOnColor);
    m_records->Value(emf::kSetTextAlign, 0);
    m_records->Value(emf::kSelectObject, emf::kWhiteBrush);
    m_records->Value(emf::kSelectObject, emf::kBlackPen);
    m_open = true;
    return true;
}

bool EmfPageCanvas::EndPreviewPage() {
    if (!m_open) {
        return false;
    }
    m_open = false;
    m_lastPage = m_records->Finish();
    m_records.reset();
    if (m_file == nullptr) {
        return true;
    }
    const size_t written = std::fwrite(m_lastPage.data(), 1, m_lastPage.size(), m_file);
    const bool flushed = std::fflush(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (written != m_lastPage.size() || !flushed || !closed) {
        m_error = "cannot write the page file " + m_fileName;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(m_fileName, ignored)) {
            std::filesystem::remove(m_fileName, ignored);
        }
        return false;
    }
    return true;
}

ScaledFont EmfPageCanvas::Font(const TextStyle& style) const {
    const std::string name = win1252ToUtf8(EffectiveFontName(style.fontName));
    return ScaledFont(m_fonts->Find(name, style.bold, style.italic),
                      FontEmHeight(EffectiveFontSize(style.size), m_device));
}

void EmfPageCanvas::SelectFont(const ScaledFont& font, const TextStyle& style) {
    const std::u16string face = win1252ToUtf16(EffectiveFontName(style.fontName));
    emf::FontRecord record;
    record.emHeight = font.EmHeight();
    record.bold = style.bold;
    record.italic = style.italic;
    record.underline = style.underline;
    record.strikeOut = style.strikeOut;
    record.face = face;
    m_records->ExtCreateFontIndirectW(kFontSlot, record);
    m_records->Value(emf::kSelectObject, kFontSlot);
    m_records->Value(emf::kSetTextColor, emf::ColorRef(style.colour));
}

void EmfPageCanvas::ReleaseFont() {
    m_records->Value(emf::kSelectObject, emf::kSystemFont);
    m_records->Value(emf::kDeleteObject, kFontSlot);
}

void EmfPageCanvas::SelectPen(std::optional<double> width, Color colour) {
    // A geometric pen keeps its width in every reader; 1 pixel is the thinnest the device has.
    const int32_t pixels = std::max(1, LineWidthToDevice(width, m_device));
    m_records->ExtCreatePen(kPenSlot, pixels, emf::ColorRef(colour));
    m_records->Value(emf::kSelectObject, kPenSlot);
}

void EmfPageCanvas::ReleasePen() {
    m_records->Value(emf::kSelectObject, emf::kBlackPen);
    m_records->Value(emf::kDeleteObject, kPenSlot);
}

void EmfPageCanvas::PrintText(double row, double col, std::string_view text,
                              const TextStyle& style) {
    if (!m_open || text.empty()) {
        return;
    }
    const ScaledFont font = Font(style);
    WriteText(PlaceText(win1252ToUtf16(text), font, ColToDeviceX(col, m_device),
                        RowToDeviceY(row, m_device), ParseAlignment(style.alignment)),
              font, style);
}

void EmfPageCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                 std::string_view text, const TextStyle& style) {
    if (!m_open || text.empty()) {
        return;
    }
    const DeviceRect box{ColToDeviceX(col, m_device), RowToDeviceY(row, m_device),
                         ColToDeviceX(toCol, m_device), RowToDeviceY(toRow, m_device)};
    const ScaledFont font = Font(style);
    WriteText(PlaceTextBox(win1252ToUtf16(text), font, box, ParseAlignment(style.alignment)), font,
              style);
}

void EmfPageCanvas::WriteText(const PlacedText& placed, const ScaledFont& font,
                              const TextStyle& style) {
    if (placed.lines.empty()) {
        return;
    }
    uint32_t textAlign = emf::kTaBaseline;
    if (placed.alignment == Alignment::Center) {
        textAlign |= emf::kTaCenter;
    } else if (placed.alignment == Alignment::Right) {
        textAlign |= emf::kTaRight;
    }
    SelectFont(font, style);
    m_records->Value(emf::kSetTextAlign, textAlign);
    if (placed.clip) {
        m_records->SaveDc();
        m_records->IntersectClipRect(*placed.clip);
    }
    // The lines of a clipped text carry its clipping rectangle; the others an empty one.
    const uint32_t options = placed.clip ? emf::kEtoClipped : 0;
    const DeviceRect clip = placed.clip.value_or(DeviceRect{0, 0, -1, -1});
    const float exScale = 100.0f * m_device.horzSizeMm / std::max(1, m_device.horzRes);
    const float eyScale = 100.0f * m_device.vertSizeMm / std::max(1, m_device.vertRes);
    for (const PlacedLine& line : placed.lines) {
        if (line.text.empty()) {
            continue;  // a blank line shows nothing and has no record
        }
        m_records->ExtTextOutW(placed.anchorX, line.baseline, options, clip, line.bounds, line.text,
                               line.advances, exScale, eyScale);
    }
    if (placed.clip) {
        m_records->RestoreDc(-1);
    }
    m_records->Value(emf::kSetTextAlign, 0);
    ReleaseFont();
}

void EmfPageCanvas::PrintLine(double row, double col, double toRow, double toCol,
                              std::optional<double> width, Color colour) {
    if (!m_open) {
        return;
    }
    SelectPen(width, colour);
    m_records->MoveToEx(ColToDeviceX(col, m_device), RowToDeviceY(row, m_device));
    m_records->LineTo(ColToDeviceX(toCol, m_device), RowToDeviceY(toRow, m_device));
    ReleasePen();
}

void EmfPageCanvas::PrintRectangle(double row, double col, double toRow, double toCol,
                                   std::optional<double> width, Color colour) {
    if (!m_open) {
        return;
    }
    const int32_t x1 = ColToDeviceX(col, m_device);
    const int32_t x2 = ColToDeviceX(toCol, m_device);
    const int32_t y1 = RowToDeviceY(row, m_device);
    const int32_t y2 = RowToDeviceY(toRow, m_device);
    SelectPen(width, colour);
    m_records->Value(emf::kSelectObject, emf::kWhiteBrush);
    m_records->Rectangle({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
    ReleasePen();
}

const emf::Dib* EmfPageCanvas::ReducedDib(std::string_view imageName, const EncodedImage& image,
                                          const StoredSize& size) {
    // A plan draws the same picture at the same size many times: reduce it once.
    const auto key = std::make_tuple(upperWin1252(imageName), size.width, size.height);
    auto it = m_reducedDibs.find(key);
    if (it == m_reducedDibs.end()) {
        const std::optional<EncodedImage> reduced = ReduceBilevel(image, size.width, size.height);
        it = m_reducedDibs.emplace(key, emf::DibFromImage(reduced ? *reduced : image)).first;
    }
    return it->second ? &*it->second : nullptr;
}

void EmfPageCanvas::PrintImage(std::string_view imageName, double row, double col, double height,
                               double width) {
    if (!m_open || m_images == nullptr) {
        return;
    }
    const std::optional<EncodedImage> image = m_images->Find(imageName);
    if (!image || image->width <= 0 || image->height <= 0) {
        return;
    }
    const int32_t x = ColToDeviceX(col, m_device);
    const int32_t y = RowToDeviceY(row, m_device);
    const int32_t cx = WidthToDevice(width, m_device);
    const int32_t cy = HeightToDevice(height, m_device);
    if (cx <= 0 || cy <= 0) {
        return;
    }
    // A picture drawn smaller than its pixels is stored at the size it is drawn at.
    const std::optional<StoredSize> size = ReducedSize(*image, cx, cy);
    std::optional<emf::Dib> full;
    const emf::Dib* dib = nullptr;
    if (size) {
        dib = ReducedDib(imageName, *image, *size);
    } else if ((full = emf::DibFromImage(*image))) {
        dib = &*full;
    }
    if (dib == nullptr) {
        return;
    }
    // Clipped to its rectangle: besides keeping the picture inside it, the clipping lets players
    // paint a page of thousands of small pictures faster.
    const DeviceRect dest{x, y, x + cx, y + cy};
    m_records->SaveDc();
    m_records->IntersectClipRect(dest);
    m_records->StretchDiBits(dest, *dib);
    m_records->RestoreDc(-1);
}

}  // namespace vm
