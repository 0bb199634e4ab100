#pragma once
// Reads an enhanced metafile into a list of drawing commands: the records the page-file writer
// produces (and their usual variants from other writers), every field checked against the
// record's bounds. The player (pagefile/emf_player.h) draws the commands; this part has no Qt so
// that it can be fuzzed and tested on its own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vm::emf {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct Header {
    Rect bounds;  // device units, inclusive
    Rect frame;   // hundredths of a millimetre, inclusive
    uint32_t bytes = 0;
    uint32_t records = 0;
    uint16_t handles = 0;
    int32_t deviceCx = 0;  // reference device in pixels
    int32_t deviceCy = 0;
    int32_t millimetersCx = 0;  // reference device in millimetres
    int32_t millimetersCy = 0;
    bool hasMicrometers = false;
    int32_t micrometersCx = 0;
    int32_t micrometersCy = 0;
};

// Commands, one per record understood. Colours are COLORREF values (0x00BBGGRR).
struct SetMapMode {
    uint32_t mode;
};
struct SetBkMode {
    uint32_t mode;
};
struct SetStretchMode {
    uint32_t mode;
};
struct SetTextAlign {
    uint32_t align;
};
struct SetTextColor {
    uint32_t color;
};
struct SetBkColor {
    uint32_t color;
};
struct MoveTo {
    Point point;
};
struct LineTo {
    Point point;
};
struct DrawRectangle {
    Rect box;
};
struct IntersectClip {
    Rect clip;
};
struct SaveDc {};
struct RestoreDc {
    int32_t which;
};
struct SelectObject {
    uint32_t index;
};
struct DeleteObject {
    uint32_t index;
};
struct CreatePen {
    uint32_t index;
    uint32_t style;
    int32_t width;
    uint32_t color;
};
struct CreateBrush {
    uint32_t index;
    uint32_t style;
    uint32_t color;
};
struct CreateFont {
    uint32_t index;
    int32_t height;  // negative: em height; positive: cell height
    int32_t weight;
    bool italic;
    bool underline;
    bool strikeOut;
    std::u16string face;
};
struct TextOut {
    Point reference;
    uint32_t options;
    Rect rect;  // clipping / opaque rectangle (zero when the record has none)
    std::u16string text;
    std::vector<int32_t> dx;  // one advance per UTF-16 unit, or empty
};
struct StretchBits {
    Rect bounds;
    int32_t xDest, yDest, cxDest, cyDest;
    int32_t xSrc, ySrc, cxSrc, cySrc;
    uint32_t rop;
    uint32_t usage;
    // BITMAPINFOHEADER
    int32_t width;
    int32_t height;  // positive: rows from the bottom
    uint16_t bitCount;
    uint32_t compression;
    std::vector<uint32_t> palette;  // RGBQUAD values (0x00RRGGBB)
    size_t bitsOffset;              // into Document::bytes
    size_t bitsSize;
};

using Command =
    std::variant<SetMapMode, SetBkMode, SetStretchMode, SetTextAlign, SetTextColor, SetBkColor,
                 MoveTo, LineTo, DrawRectangle, IntersectClip, SaveDc, RestoreDc, SelectObject,
                 DeleteObject, CreatePen, CreateBrush, CreateFont, TextOut, StretchBits>;

struct Document {
    std::vector<uint8_t> bytes;
    Header header;
    std::vector<Command> commands;
    size_t skippedRecords = 0;  // unknown types and records too short for their fields
};

// Files larger than this are not read.
inline constexpr size_t kMaxFileSize = 256u * 1024 * 1024;

// The document, or nullopt with `error` (when given) saying why: no EMF header, a record whose
// size is below 8, not a multiple of 4 or past the end of the data, or no end-of-file record.
// Records of unknown type are skipped.
std::optional<Document> ParseEmf(std::vector<uint8_t> bytes, std::string* error = nullptr);

// ParseEmf on a file's bytes; nullopt when it cannot be read, is no regular file (a FIFO or a
// device is refused without waiting or reading) or is larger than kMaxFileSize.
std::optional<Document> ReadEmfFile(const std::string& path, std::string* error = nullptr);

// For an uncompressed bitmap: the bytes of one row (rows padded to 4 bytes). Nullopt when the
// bitmap's size or bit count is not drawable or its bits are shorter than its rows need.
// Compressed bitmaps (JPEG, PNG) give 0.
std::optional<size_t> BitmapStride(const StretchBits& bitmap);

// Pixels beyond this count are not decoded.
inline constexpr int64_t kMaxBitmapPixels = 64ll * 1024 * 1024;

}  // namespace vm::emf
