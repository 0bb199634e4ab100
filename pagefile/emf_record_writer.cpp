#include "pagefile/emf_record_writer.h"

#include <algorithm>
#include <cstring>

#include "pagefile/emf_format.h"

namespace vm::emf {

namespace {

constexpr int kFontWeightNormal = 400;
constexpr int kFontWeightBold = 700;
constexpr uint8_t kDefaultCharset = 1;
constexpr uint8_t kOutTtPrecis = 4;
constexpr size_t kFaceNameUnits = 32;

uint32_t Pad4(size_t n) {
    return static_cast<uint32_t>((n + 3) & ~size_t{3});
}

}  // namespace

uint32_t ColorRef(Color c) {
    auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return clamp(c.red) | (clamp(c.green) << 8) | (clamp(c.blue) << 16);
}

std::optional<Dib> DibFromImage(const EncodedImage& image) {
    Dib dib;
    dib.width = image.width;
    dib.height = image.height;
    dib.compression = kBiJpeg;
    const size_t w = static_cast<size_t>(image.width);
    const size_t h = static_cast<size_t>(image.height);
    switch (image.format) {
        case EncodedImage::Format::Jpeg:
            dib.bits = image.data;
            break;
        case EncodedImage::Format::Png:
            dib.compression = kBiPng;
            dib.bits = image.data;
            break;
        case EncodedImage::Format::Bilevel: {
            // Two colours, index 0 black and 1 white, so a set bit of the image becomes a clear
            // bit of the bitmap; rows from the bottom, each padded to 4 bytes.
            const size_t rowBytes = (w + 7) / 8;
            if (image.data.size() != rowBytes * h) {
                return std::nullopt;
            }
            dib.bitCount = 1;
            dib.compression = kBiRgb;
            dib.palette = {0x000000, 0xFFFFFF};
            const size_t stride = (rowBytes + 3) & ~size_t{3};
            dib.bits.assign(stride * h, 0);
            const auto lastMask = static_cast<uint8_t>(0xFF << ((8 - w % 8) % 8));
            for (size_t rowIndex = 0; rowIndex < h; ++rowIndex) {
                const uint8_t* src = &image.data[rowIndex * rowBytes];
                uint8_t* dst = &dib.bits[(h - 1 - rowIndex) * stride];
                for (size_t i = 0; i < rowBytes; ++i) {
                    dst[i] = static_cast<uint8_t>(~src[i]);
                }
                dst[rowBytes - 1] &= lastMask;  // the padding bits past the last pixel stay 0
            }
            break;
        }
        case EncodedImage::Format::Bgr24: {
            if (image.data.size() != w * h * 3) {
                return std::nullopt;
            }
            dib.bitCount = 24;
            dib.compression = kBiRgb;
            const size_t stride = (w * 3 + 3) & ~size_t{3};
            dib.bits.assign(stride * h, 0);
            for (size_t rowIndex = 0; rowIndex < h; ++rowIndex) {  // bottom row first
                std::memcpy(&dib.bits[(h - 1 - rowIndex) * stride], &image.data[rowIndex * w * 3],
                            w * 3);
            }
            break;
        }
    }
    return dib;
}

RecordWriter::RecordWriter(const ReferenceDevice& d, uint16_t handles) {
    m_bytes.reserve(64 * 1024);
    Begin(kHeader, kHeaderSize);
    Rect({0, 0, d.horzRes - 1, d.vertRes - 1});            // bounds, device units
    Rect({0, 0, d.horzSizeMm * 100, d.vertSizeMm * 100});  // frame, 0.01 mm
    U32(kSignature);
    U32(0x00010000);  // version
    U32(0);           // bytes, patched at the end
    U32(0);           // records, patched at the end
    U16(handles);
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

void RecordWriter::Value(uint32_t type, uint32_t value) {
    Begin(type, 12);
    U32(value);
}

void RecordWriter::SaveDc() {
    Begin(kSaveDc, 8);
}

void RecordWriter::RestoreDc(int32_t levels) {
    Value(kRestoreDc, static_cast<uint32_t>(levels));
}

void RecordWriter::IntersectClipRect(const DeviceRect& clip) {
    Begin(kIntersectClipRect, 24);
    Rect(clip);
}

void RecordWriter::ExtCreateFontIndirectW(uint32_t slot, const FontRecord& font) {
    Begin(kExtCreateFontIndirectW, 368);
    U32(slot);
    I32(-font.emHeight);  // negative: the character (em) height
    I32(0);               // width from the aspect ratio
    I32(0);               // escapement
    I32(0);               // orientation
    I32(font.bold ? kFontWeightBold : kFontWeightNormal);
    U8(font.italic ? 1 : 0);
    U8(font.underline ? 1 : 0);
    U8(font.strikeOut ? 1 : 0);
    U8(kDefaultCharset);
    U8(kOutTtPrecis);
    U8(0);  // clip precision
    U8(0);  // quality
    U8(0);  // pitch and family
    const std::u16string_view face = font.face.substr(0, kFaceNameUnits - 1);
    Wide(face);
    Zeros((kFaceNameUnits - face.size()) * 2);
    Zeros(128 + 64 + 64);  // full name, style, script
    U32(0x08007664);       // design vector signature
    U32(0);                // no axes
}

void RecordWriter::ExtCreatePen(uint32_t slot, int32_t width, uint32_t colorRef) {
    Begin(kExtCreatePen, 52);
    U32(slot);
    U32(0);  // no bitmap
    U32(0);
    U32(0);
    U32(0);
    U32(kPsGeometricSolidFlatMiter);
    I32(width);
    U32(kBsSolid);
    U32(colorRef);
    U32(0);  // hatch
    U32(0);  // no style entries
}

void RecordWriter::MoveToEx(int32_t x, int32_t y) {
    Begin(kMoveToEx, 16);
    I32(x);
    I32(y);
}

void RecordWriter::LineTo(int32_t x, int32_t y) {
    Begin(kLineTo, 16);
    I32(x);
    I32(y);
}

void RecordWriter::Rectangle(const DeviceRect& box) {
    Begin(kRectangle, 24);
    Rect(box);
}

void RecordWriter::ExtTextOutW(int32_t x, int32_t y, uint32_t options, const DeviceRect& clip,
                               const DeviceRect& bounds, std::u16string_view text,
                               const std::vector<int32_t>& dx, float exScale, float eyScale) {
    const uint32_t stringBytes = Pad4(text.size() * 2);
    const uint32_t size = 76 + stringBytes + 4 * static_cast<uint32_t>(text.size());
    Begin(kExtTextOutW, size);
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

void RecordWriter::StretchDiBits(const DeviceRect& dest, const Dib& dib) {
    const uint32_t bitsSize = static_cast<uint32_t>(dib.bits.size());
    const uint32_t paddedBits = Pad4(dib.bits.size());
    const auto infoSize = static_cast<uint32_t>(40 + 4 * dib.palette.size());
    Begin(kStretchDiBits, 80 + infoSize + paddedBits);
    Rect({dest.left, dest.top, dest.right - 1, dest.bottom - 1});
    I32(dest.left);
    I32(dest.top);
    I32(0);  // whole source
    I32(0);
    I32(dib.width);
    I32(dib.height);
    U32(80);             // bitmap header offset
    U32(infoSize);       // bitmap header and colour table
    U32(80 + infoSize);  // bits offset
    U32(bitsSize);
    U32(kDibRgbColors);
    U32(kSrcCopy);
    I32(dest.right - dest.left);
    I32(dest.bottom - dest.top);
    U32(40);
    I32(dib.width);
    I32(dib.height);
    U16(1);
    U16(dib.bitCount);
    U32(dib.compression);
    U32(bitsSize);
    I32(0);
    I32(0);
    U32(static_cast<uint32_t>(dib.palette.size()));  // colours used: exactly the table
    U32(0);
    for (uint32_t colour : dib.palette) {
        U32(colour);
    }
    m_bytes.insert(m_bytes.end(), dib.bits.begin(), dib.bits.end());
    Zeros(paddedBits - bitsSize);
}

std::vector<uint8_t> RecordWriter::Finish() {
    Begin(kEof, 20);
    U32(0);   // palette entries
    U32(16);  // palette offset
    U32(20);  // size again, last field of the file
    Patch32(48, static_cast<uint32_t>(m_bytes.size()));
    Patch32(52, m_count);
    return std::move(m_bytes);
}

void RecordWriter::U8(uint8_t v) {
    m_bytes.push_back(v);
}

void RecordWriter::U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
}

void RecordWriter::U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
}

void RecordWriter::I32(int32_t v) {
    U32(static_cast<uint32_t>(v));
}

void RecordWriter::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
}

void RecordWriter::Rect(const DeviceRect& r) {
    I32(r.left);
    I32(r.top);
    I32(r.right);
    I32(r.bottom);
}

void RecordWriter::Zeros(size_t n) {
    m_bytes.insert(m_bytes.end(), n, 0);
}

void RecordWriter::Wide(std::u16string_view text) {
    for (char16_t c : text) {
        U16(static_cast<uint16_t>(c));
    }
}

void RecordWriter::Patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        m_bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
}

void RecordWriter::Begin(uint32_t type, uint32_t size) {
    U32(type);
    U32(size);
    ++m_count;
}

}  // namespace vm::emf
