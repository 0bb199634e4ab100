#include "pagefile/emf_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/win1252.h"
#include "pagefile/emf_format.h"

namespace vm {

namespace {

// Object table slots: one font and one pen at a time, each deleted right after use.
constexpr uint32_t kFontSlot = 1;
constexpr uint32_t kPenSlot = 2;
constexpr uint16_t kHandles = 3;

constexpr int kFontWeightNormal = 400;
constexpr int kFontWeightBold = 700;
constexpr uint8_t kDefaultCharset = 1;
constexpr uint8_t kOutTtPrecis = 4;
constexpr int kFaceNameUnits = 32;

uint32_t ColorRef(Color c) {
    auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return clamp(c.red) | (clamp(c.green) << 8) | (clamp(c.blue) << 16);
}

uint32_t Pad4(size_t n) {
    return static_cast<uint32_t>((n + 3) & ~size_t{3});
}

struct RectL {
    int32_t left, top, right, bottom;
};

}  // namespace

// The bytes of one page being recorded.
struct EmfPageCanvas::Records {
    std::vector<uint8_t> bytes;
    uint32_t count = 0;

    void U8(uint8_t v) { bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Rect(const RectL& r) {
        I32(r.left);
        I32(r.top);
        I32(r.right);
        I32(r.bottom);
    }
    void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    void Patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    void Begin(uint32_t type, uint32_t size) {
        U32(type);
        U32(size);
        ++count;
    }
    void Simple(uint32_t type, uint32_t value) {
        Begin(type, 12);
        U32(value);
    }

    void Header(const ReferenceDevice& d) {
        Begin(emf::kHeader, emf::kHeaderSize);
        Rect({0, 0, d.horzRes - 1, d.vertRes - 1});            // bounds, device units
        Rect({0, 0, d.horzSizeMm * 100, d.vertSizeMm * 100});  // frame, 0.01 mm
        U32(emf::kSignature);
        U32(0x00010000);  // version
        U32(0);           // bytes, patched at the end
        U32(0);           // records, patched at the end
        U16(kHandles);
        U16(0);  // reserved
        U32(0);  // no description
        U32(0);
        U32(0);  // no palette
        I32(d.horzRes);
        I32(d.vertRes);
        I32(d.horzSizeMm);
        I32(d.vertSizeMm);
        U32(0);  // no pixel format
        U32(0);
        U32(0);  // not OpenGL
        I32(d.horzSizeMm * 1000);
        I32(d.vertSizeMm * 1000);
    }

    void Eof() {
        Begin(emf::kEof, 20);
        U32(0);   // palette entries
        U32(16);  // palette offset
        U32(20);  // size again, last field of the file
        Patch32(48, static_cast<uint32_t>(bytes.size()));
        Patch32(52, count);
    }

    void Wide(std::u16string_view text) {
        for (char16_t c : text) {
            U16(static_cast<uint16_t>(c));
        }
    }

    void TextOut(int32_t x, int32_t y, uint32_t options, const RectL& clip, const RectL& bounds,
                 std::u16string_view text, const std::vector<int32_t>& dx, float exScale,
                 float eyScale) {
        const uint32_t stringBytes = Pad4(text.size() * 2);
        const uint32_t size = 76 + stringBytes + 4 * static_cast<uint32_t>(text.size());
        Begin(emf::kExtTextOutW, size);
        Rect(bounds);
        U32(1);  // GM_COMPATIBLE
        F32(exScale);
        F32(eyScale);
        I32(x);
        I32(y);
        U32(static_cast<uint32_t>(text.size()));
        U32(76);
        U32(options);
        Rect(clip);
        U32(76 + stringBytes);
        Wide(text);
        Zeros(stringBytes - text.size() * 2);
        for (int32_t d : dx) {
            I32(d);
        }
    }
};

EmfPageCanvas::EmfPageCanvas(ReferenceDevice device, const ImageSource* images, FontProvider* fonts)
    : m_device(device),
      m_images(images),
      m_fonts(fonts != nullptr ? fonts : &SystemFontProvider()),
      m_records(std::make_unique<Records>()) {}

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
    m_records = std::make_unique<Records>();
    m_records->bytes.reserve(64 * 1024);
    m_records->Header(m_device);
    m_records->Simple(emf::kSetMapMode, emf::kMmText);
    m_records->Simple(emf::kSetBkMode, emf::kTransparent);
    m_records->Simple(emf::kSetStretchBltMode, emf::kColorOnColor);
    m_records->Simple(emf::kSetTextAlign, 0);
    m_records->Simple(emf::kSelectObject, emf::kWhiteBrush);
    m_records->Simple(emf::kSelectObject, emf::kBlackPen);
    m_open = true;
    return true;
}

bool EmfPageCanvas::EndPreviewPage() {
    if (!m_open) {
        return false;
    }
    m_open = false;
    m_records->Eof();
    m_lastPage = std::move(m_records->bytes);
    m_records = std::make_unique<Records>();
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

ScaledFont EmfPageCanvas::Font(std::string_view fontName, double fontSize, bool bold,
                               bool italic) const {
    const std::string name = win1252ToUtf8(EffectiveFontName(fontName));
    return ScaledFont(m_fonts->Find(name, bold, italic),
                      FontEmHeight(EffectiveFontSize(fontSize), m_device));
}

void EmfPageCanvas::SelectFont(const ScaledFont& font, std::string_view fontName, bool bold,
                               bool italic, bool underline, bool strikeOut, Color colour) {
    Records& r = *m_records;
    r.Begin(emf::kExtCreateFontIndirectW, 368);
    r.U32(kFontSlot);
    r.I32(-font.EmHeight());  // negative: the character (em) height
    r.I32(0);                 // width from the aspect ratio
    r.I32(0);                 // escapement
    r.I32(0);                 // orientation
    r.I32(bold ? kFontWeightBold : kFontWeightNormal);
    r.U8(italic ? 1 : 0);
    r.U8(underline ? 1 : 0);
    r.U8(strikeOut ? 1 : 0);
    r.U8(kDefaultCharset);
    r.U8(kOutTtPrecis);
    r.U8(0);  // clip precision
    r.U8(0);  // quality
    r.U8(0);  // pitch and family
    std::u16string face = win1252ToUtf16(EffectiveFontName(fontName));
    face.resize(std::min<size_t>(face.size(), kFaceNameUnits - 1));
    r.Wide(face);
    r.Zeros((kFaceNameUnits - face.size()) * 2);
    r.Zeros(128 + 64 + 64);  // full name, style, script
    r.U32(0x08007664);       // design vector signature
    r.U32(0);                // no axes
    r.Simple(emf::kSelectObject, kFontSlot);
    r.Simple(emf::kSetTextColor, ColorRef(colour));
}

void EmfPageCanvas::ReleaseFont() {
    m_records->Simple(emf::kSelectObject, emf::kSystemFont);
    m_records->Simple(emf::kDeleteObject, kFontSlot);
}

void EmfPageCanvas::SelectPen(std::optional<double> width, Color colour) {
    // A geometric pen keeps its width in every reader; 1 pixel is the thinnest the device has.
    const int32_t pixels = std::max(1, LineWidthToDevice(width, m_device));
    Records& r = *m_records;
    r.Begin(emf::kExtCreatePen, 52);
    r.U32(kPenSlot);
    r.U32(0);  // no bitmap
    r.U32(0);
    r.U32(0);
    r.U32(0);
    r.U32(emf::kPsGeometricSolidFlatMiter);
    r.I32(pixels);
    r.U32(emf::kBsSolid);
    r.U32(ColorRef(colour));
    r.U32(0);  // hatch
    r.U32(0);  // no style entries
    r.Simple(emf::kSelectObject, kPenSlot);
}

void EmfPageCanvas::ReleasePen() {
    m_records->Simple(emf::kSelectObject, emf::kBlackPen);
    m_records->Simple(emf::kDeleteObject, kPenSlot);
}

void EmfPageCanvas::PrintText(double row, double col, std::string_view fontName, double fontSize,
                              Color colour, std::string_view text, bool bold, bool italic,
                              bool underline, bool strikeOut, std::string_view alignment) {
    if (!m_open || text.empty()) {
        return;
    }
    const ScaledFont font = Font(fontName, fontSize, bold, italic);
    const std::u16string wide = win1252ToUtf16(text);
    const std::vector<int32_t> dx = font.Advances(wide);
    int64_t width = 0;
    for (int32_t d : dx) {
        width += d;
    }
    const int32_t x = ColToDeviceX(col, m_device);
    const int32_t top = RowToDeviceY(row, m_device);
    const Alignment align = ParseAlignment(alignment);
    uint32_t textAlign = emf::kTaBaseline;
    int64_t left = x;
    if (align == Alignment::Center) {
        textAlign |= emf::kTaCenter;
        left = x - width / 2;
    } else if (align == Alignment::Right) {
        textAlign |= emf::kTaRight;
        left = x - width;
    }
    SelectFont(font, fontName, bold, italic, underline, strikeOut, colour);
    m_records->Simple(emf::kSetTextAlign, textAlign);
    const RectL bounds{static_cast<int32_t>(left), top, static_cast<int32_t>(left + width),
                       top + font.LineHeight()};
    const float exScale = 100.0f * m_device.horzSizeMm / std::max(1, m_device.horzRes);
    const float eyScale = 100.0f * m_device.vertSizeMm / std::max(1, m_device.vertRes);
    m_records->TextOut(x, top + font.Ascent(), 0, RectL{0, 0, -1, -1}, bounds, wide, dx, exScale,
                       eyScale);
    m_records->Simple(emf::kSetTextAlign, 0);
    ReleaseFont();
}

void EmfPageCanvas::PrintTextBox(double row, double col, double toRow, double toCol,
                                 std::string_view fontName, double fontSize, Color colour,
                                 std::string_view text, bool bold, bool italic, bool underline,
                                 bool strikeOut, std::string_view alignment) {
    if (!m_open || text.empty()) {
        return;
    }
    const int32_t x1 = ColToDeviceX(col, m_device);
    const int32_t x2 = ColToDeviceX(toCol, m_device);
    const int32_t y1 = RowToDeviceY(row, m_device);
    const int32_t y2 = RowToDeviceY(toRow, m_device);
    // A rectangle whose far corner lies left of or above its near one holds nothing: the text
    // is drawn into it and clipped away entirely.
    const RectL box{x1, y1, x2, y2};
    if (box.right <= box.left || box.bottom <= box.top) {
        return;
    }
    const ScaledFont font = Font(fontName, fontSize, bold, italic);
    const std::vector<std::u16string> lines =
        LayoutTextBox(win1252ToUtf16(text), font, box.right - box.left, box.bottom - box.top);
    if (lines.empty()) {
        return;
    }
    const Alignment align = ParseAlignment(alignment);
    uint32_t textAlign = emf::kTaBaseline;
    int32_t x = box.left;
    if (align == Alignment::Center) {
        textAlign |= emf::kTaCenter;
        x = box.left + (box.right - box.left) / 2;
    } else if (align == Alignment::Right) {
        textAlign |= emf::kTaRight;
        x = box.right;
    }
    SelectFont(font, fontName, bold, italic, underline, strikeOut, colour);
    m_records->Simple(emf::kSetTextAlign, textAlign);
    m_records->Begin(emf::kSaveDc, 8);
    m_records->Begin(emf::kIntersectClipRect, 24);
    m_records->Rect(box);
    const float exScale = 100.0f * m_device.horzSizeMm / std::max(1, m_device.horzRes);
    const float eyScale = 100.0f * m_device.vertSizeMm / std::max(1, m_device.vertRes);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            continue;
        }
        const std::vector<int32_t> dx = font.Advances(lines[i]);
        int32_t width = 0;
        for (int32_t d : dx) {
            width += d;
        }
        const int32_t top = box.top + static_cast<int32_t>(i) * font.LineHeight();
        const int32_t left =
            align == Alignment::Left ? x : (align == Alignment::Right ? x - width : x - width / 2);
        const RectL bounds{left, top, left + width, top + font.LineHeight()};
        m_records->TextOut(x, top + font.Ascent(), emf::kEtoClipped, box, bounds, lines[i], dx,
                           exScale, eyScale);
    }
    m_records->Simple(emf::kRestoreDc, static_cast<uint32_t>(-1));
    m_records->Simple(emf::kSetTextAlign, 0);
    ReleaseFont();
}

void EmfPageCanvas::PrintLine(double row, double col, double toRow, double toCol,
                              std::optional<double> width, Color colour) {
    if (!m_open) {
        return;
    }
    SelectPen(width, colour);
    m_records->Begin(emf::kMoveToEx, 16);
    m_records->I32(ColToDeviceX(col, m_device));
    m_records->I32(RowToDeviceY(row, m_device));
    m_records->Begin(emf::kLineTo, 16);
    m_records->I32(ColToDeviceX(toCol, m_device));
    m_records->I32(RowToDeviceY(toRow, m_device));
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
    m_records->Simple(emf::kSelectObject, emf::kWhiteBrush);
    m_records->Begin(emf::kRectangle, 24);
    m_records->Rect({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
    ReleasePen();
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

    uint16_t bitCount = 0;
    uint32_t compression = emf::kBiJpeg;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> bits;
    const size_t w = static_cast<size_t>(image->width);
    const size_t h = static_cast<size_t>(image->height);
    switch (image->format) {
        case EncodedImage::Format::Jpeg:
            bits = image->data;
            break;
        case EncodedImage::Format::Png:
            compression = emf::kBiPng;
            bits = image->data;
            break;
        case EncodedImage::Format::Bilevel: {
            // Two colours, index 0 black and 1 white, so a set bit of the image becomes a clear
            // bit of the bitmap; rows from the bottom, each padded to 4 bytes.
            const size_t rowBytes = (w + 7) / 8;
            if (image->data.size() != rowBytes * h) {
                return;
            }
            bitCount = 1;
            compression = emf::kBiRgb;
            palette = {0x000000, 0xFFFFFF};
            const size_t stride = (rowBytes + 3) & ~size_t{3};
            bits.assign(stride * h, 0);
            const auto lastMask = static_cast<uint8_t>(0xFF << ((8 - w % 8) % 8));
            for (size_t rowIndex = 0; rowIndex < h; ++rowIndex) {
                const uint8_t* src = &image->data[rowIndex * rowBytes];
                uint8_t* dst = &bits[(h - 1 - rowIndex) * stride];
                for (size_t i = 0; i < rowBytes; ++i) {
                    dst[i] = static_cast<uint8_t>(~src[i]);
                }
                dst[rowBytes - 1] &= lastMask;  // the padding bits past the last pixel stay 0
            }
            break;
        }
        case EncodedImage::Format::Bgr24: {
            if (image->data.size() != w * h * 3) {
                return;
            }
            bitCount = 24;
            compression = emf::kBiRgb;
            const size_t stride = (w * 3 + 3) & ~size_t{3};
            bits.assign(stride * h, 0);
            for (size_t rowIndex = 0; rowIndex < h; ++rowIndex) {  // bottom row first
                std::memcpy(&bits[(h - 1 - rowIndex) * stride], &image->data[rowIndex * w * 3],
                            w * 3);
            }
            break;
        }
    }
    const uint32_t bitsSize = static_cast<uint32_t>(bits.size());
    const uint32_t paddedBits = Pad4(bits.size());
    const auto infoSize = static_cast<uint32_t>(40 + 4 * palette.size());

    Records& r = *m_records;
    r.Begin(emf::kSaveDc, 8);
    r.Begin(emf::kIntersectClipRect, 24);
    r.Rect({x, y, x + cx, y + cy});
    r.Begin(emf::kStretchDiBits, 80 + infoSize + paddedBits);
    r.Rect({x, y, x + cx - 1, y + cy - 1});
    r.I32(x);
    r.I32(y);
    r.I32(0);  // whole source
    r.I32(0);
    r.I32(image->width);
    r.I32(image->height);
    r.U32(80);             // bitmap header offset
    r.U32(infoSize);       // bitmap header and colour table
    r.U32(80 + infoSize);  // bits offset
    r.U32(bitsSize);
    r.U32(emf::kDibRgbColors);
    r.U32(emf::kSrcCopy);
    r.I32(cx);
    r.I32(cy);
    r.U32(40);
    r.I32(image->width);
    r.I32(image->height);  // positive: rows from the bottom (compressed data keeps its own order)
    r.U16(1);
    r.U16(bitCount);
    r.U32(compression);
    r.U32(bitsSize);
    r.I32(0);
    r.I32(0);
    r.U32(static_cast<uint32_t>(palette.size()));  // colours used: exactly the table
    r.U32(0);
    for (uint32_t colour : palette) {
        r.U32(colour);  // blue, green, red, 0
    }
    r.bytes.insert(r.bytes.end(), bits.begin(), bits.end());
    r.Zeros(paddedBits - bitsSize);
    r.Simple(emf::kRestoreDc, static_cast<uint32_t>(-1));
}

namespace {

std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && s.back() == u' ') {
        s.remove_suffix(1);
    }
    return s;
}

// The line cut so that it and "..." fit `width` pixels, followed by "...".
std::u16string Ellipsize(std::u16string_view line, const ScaledFont& font, int width) {
    std::u16string_view kept = TrimRight(line);
    while (!kept.empty() && font.Width(std::u16string(kept) + u"...") > width) {
        kept.remove_suffix(1);
        if (!kept.empty() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF) {
            kept.remove_suffix(1);  // never leave half a surrogate pair
        }
        kept = TrimRight(kept);
    }
    return std::u16string(kept) + u"...";
}

// Breaks one paragraph (no line ends in it) into lines of at most `width` pixels.
void WrapParagraph(std::u16string_view paragraph, const ScaledFont& font, int width,
                   std::vector<std::u16string>& lines) {
    if (paragraph.empty()) {
        lines.emplace_back();
        return;
    }
    size_t start = 0;
    while (start < paragraph.size()) {
        // Candidate ends: after each word; the line keeps the blanks before its first word only
        // at the start of the paragraph, as a typed indentation.
        size_t fits = 0;
        size_t at = start;
        while (at < paragraph.size()) {
            while (at < paragraph.size() && paragraph[at] == u' ') {
                ++at;
            }
            if (at >= paragraph.size()) {
                break;
            }
            while (at < paragraph.size() && paragraph[at] != u' ') {
                ++at;
            }
            const std::u16string_view candidate = paragraph.substr(start, at - start);
            if (fits != 0 && font.Width(candidate) > width) {
                break;
            }
            fits = at;
            if (font.Width(candidate) > width) {
                break;  // a first word wider than the box stands alone, to be clipped
            }
        }
        if (fits == 0) {  // nothing but blanks left
            break;
        }
        lines.emplace_back(TrimRight(paragraph.substr(start, fits - start)));
        start = fits;
        while (start < paragraph.size() && paragraph[start] == u' ') {
            ++start;
        }
    }
}

}  // namespace

std::vector<std::u16string> LayoutTextBox(std::u16string_view text, const ScaledFont& font,
                                          int boxWidth, int boxHeight) {
    std::vector<std::u16string> lines;
    if (text.empty() || boxWidth <= 0 || boxHeight <= 0) {
        return lines;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        WrapParagraph(text.substr(start, end - start), font, boxWidth, lines);
        if (end >= text.size()) {
            break;
        }
        start =
            end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
        if (start == text.size()) {
            break;  // a line end closing the text opens no further line
        }
    }
    const int lineHeight = std::max(1, font.LineHeight());
    const size_t shown = static_cast<size_t>(std::max(1, boxHeight / lineHeight));
    bool cut = false;
    if (lines.size() > shown) {
        lines.resize(shown);
        cut = true;
    }
    // Only the end of the text shown gets the ellipsis; a word wider than the box elsewhere is
    // left whole, and the box's clipping cuts it.
    if (cut) {
        lines.back() = Ellipsize(lines.back(), font, boxWidth);
    }
    return lines;
}

}  // namespace vm
