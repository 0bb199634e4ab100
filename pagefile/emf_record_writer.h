#pragma once
// The bytes of an enhanced metafile's records, as the page-file recorder writes them: the header,
// the records that set the device context, create and select objects, draw, and the end-of-file
// record. All numbers little-endian, every record a multiple of 4 bytes long. What a record means
// and where the recorder places things is decided elsewhere (pagefile/emf_writer.cpp,
// pagefile/text_layout.h); this part only lays out the bytes.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pagefile/canvas.h"
#include "pagefile/device_units.h"
#include "pagefile/page_images.h"

namespace vm::emf {

// A colour as a COLORREF (0x00BBGGRR), each component held to 0..255.
uint32_t ColorRef(Color colour);

// A bitmap as a device-independent bitmap: its header's figures, colour table and bits.
struct Dib {
    int32_t width = 0;
    int32_t height = 0;  // positive: rows from the bottom (compressed data keeps its own order)
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    std::vector<uint32_t> palette;  // blue, green, red, 0
    std::vector<uint8_t> bits;
};

// An image of positive size as a bitmap: JPEG and PNG data as they are, bilevel and
// blue-green-red pixels as rows from the bottom padded to 4 bytes (bilevel with black at index 0
// and white at 1). Nullopt when the pixels are fewer or more than the size needs.
std::optional<Dib> DibFromImage(const EncodedImage& image);

// The font of an ExtCreateFontIndirectW record.
struct FontRecord {
    int32_t emHeight = 0;  // in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::u16string_view face;  // cut to the record's 31 characters
};

// The records of one metafile, in the order they are written.
class RecordWriter {
public:
    // The header for a metafile whose reference device is `device` (bounds in its pixels, frame
    // in hundredths of a millimetre) and whose object table has `handles` entries, slot 0
    // included; its size and record count are filled in by Finish.
    RecordWriter(const ReferenceDevice& device, uint16_t handles);

    // A record of one 32-bit value: SetMapMode, SetBkMode, SetTextAlign, SelectObject...
    void Value(uint32_t type, uint32_t value);
    void SaveDc();
    // Back `levels` saved states when negative.
    void RestoreDc(int32_t levels);
    void IntersectClipRect(const DeviceRect& clip);
    // ExtCreateFontIndirectW into object table slot `slot`.
    void ExtCreateFontIndirectW(uint32_t slot, const FontRecord& font);
    // ExtCreatePen: a solid geometric pen `width` pixels wide with flat ends and mitred joins.
    void ExtCreatePen(uint32_t slot, int32_t width, uint32_t colorRef);
    void MoveToEx(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Rectangle(const DeviceRect& box);
    // ExtTextOutW: `text` with one advance per UTF-16 unit (`dx`, as many as the text has units),
    // its reference point at (x, y). `exScale`, `eyScale`: hundredths of a millimetre per pixel.
    void ExtTextOutW(int32_t x, int32_t y, uint32_t options, const DeviceRect& clip,
                     const DeviceRect& bounds, std::u16string_view text,
                     const std::vector<int32_t>& dx, float exScale, float eyScale);
    // StretchDIBits copying the whole bitmap onto `dest` (right and bottom outside it).
    void StretchDiBits(const DeviceRect& dest, const Dib& dib);

    // Ends the metafile with its end-of-file record and gives its bytes; the writer is then spent.
    std::vector<uint8_t> Finish();

private:
    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v);
    void F32(float v);
    void Rect(const DeviceRect& r);
    void Zeros(size_t n);
    void Wide(std::u16string_view text);
    void Patch32(size_t at, uint32_t v);
    void Begin(uint32_t type, uint32_t size);

    std::vector<uint8_t> m_bytes;
    uint32_t m_count = 0;
};

}  // namespace vm::emf
