#include "pagefile/emf_reader.h"

#include <algorithm>

#include "core/whole_file.h"
#include "pagefile/emf_format.h"

namespace vm::emf {

namespace {

// A record's bytes; every read outside them gives 0, so callers check sizes only where a short
// record must be skipped.
class RecordView {
public:
    RecordView(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Size() const { return m_size; }
    uint8_t U8(size_t at) const { return at < m_size ? m_data[at] : 0; }
    uint16_t U16(size_t at) const {
        return static_cast<uint16_t>(U8(at) | (uint16_t{U8(at + 1)} << 8));
    }
    uint32_t U32(size_t at) const { return U16(at) | (uint32_t{U16(at + 2)} << 16); }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
    Point PointAt(size_t at) const { return {I32(at), I32(at + 4)}; }
    Rect RectAt(size_t at) const { return {I32(at), I32(at + 4), I32(at + 8), I32(at + 12)}; }
    // Whether [offset, offset + length) lies inside the record (64-bit sums, no overflow).
    bool Holds(uint64_t offset, uint64_t length) const {
        return offset <= m_size && length <= m_size - offset;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

bool Fail(std::string* error, const char* text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

std::optional<Command> DecodeText(const RecordView& r) {
    if (r.Size() < 76) {
        return std::nullopt;
    }
    TextOut t;
    t.reference = r.PointAt(36);
    const uint32_t chars = r.U32(44);
    const uint32_t offString = r.U32(48);
    t.options = r.U32(52);
    if ((t.options & kEtoNoRect) == 0) {
        t.rect = r.RectAt(56);
    }
    const uint32_t offDx = r.U32(72);
    if (!r.Holds(offString, uint64_t{chars} * 2)) {
        return std::nullopt;
    }
    t.text.resize(chars);
    for (uint32_t i = 0; i < chars; ++i) {
        t.text[i] = static_cast<char16_t>(r.U16(offString + size_t{i} * 2));
    }
    const uint64_t perChar = (t.options & kEtoPdy) != 0 ? 8 : 4;
    if (offDx != 0 && r.Holds(offDx, uint64_t{chars} * perChar)) {
        t.dx.resize(chars);
        for (uint32_t i = 0; i < chars; ++i) {
            t.dx[i] = r.I32(offDx + static_cast<size_t>(i * perChar));
        }
    }
    return t;
}

std::optional<Command> DecodeFont(const RecordView& r) {
    if (r.Size() < 104) {
        return std::nullopt;
    }
    CreateFont f;
    f.index = r.U32(8);
    f.height = r.I32(12);
    f.weight = r.I32(28);
    f.italic = r.U8(32) != 0;
    f.underline = r.U8(33) != 0;
    f.strikeOut = r.U8(34) != 0;
    for (size_t i = 0; i < 32; ++i) {
        const char16_t c = static_cast<char16_t>(r.U16(40 + i * 2));
        if (c == 0) {
            break;
        }
        f.face.push_back(c);
    }
    return f;
}

std::optional<Command> DecodeBits(const RecordView& r, size_t recordOffset) {
    if (r.Size() < 80) {
        return std::nullopt;
    }
    StretchBits b;
    b.bounds = r.RectAt(8);
    b.xDest = r.I32(24);
    b.yDest = r.I32(28);
    b.xSrc = r.I32(32);
    b.ySrc = r.I32(36);
    b.cxSrc = r.I32(40);
    b.cySrc = r.I32(44);
    const uint32_t offBmi = r.U32(48);
    const uint32_t cbBmi = r.U32(52);
    const uint32_t offBits = r.U32(56);
    const uint32_t cbBits = r.U32(60);
    b.usage = r.U32(64);
    b.rop = r.U32(68);
    b.cxDest = r.I32(72);
    b.cyDest = r.I32(76);
    if (cbBmi < 40 || !r.Holds(offBmi, cbBmi) || !r.Holds(offBits, cbBits) || r.U32(offBmi) < 40) {
        return std::nullopt;
    }
    b.width = r.I32(offBmi + 4);
    b.height = r.I32(offBmi + 8);
    b.bitCount = r.U16(offBmi + 14);
    b.compression = r.U32(offBmi + 16);
    const uint32_t headerSize = std::min(r.U32(offBmi), cbBmi);
    const size_t entries = std::min<size_t>((cbBmi - headerSize) / 4, 256);
    b.palette.resize(entries);
    for (size_t i = 0; i < entries; ++i) {
        b.palette[i] = r.U32(offBmi + headerSize + i * 4) & 0x00FFFFFF;
    }
    b.bitsOffset = recordOffset + offBits;
    b.bitsSize = cbBits;
    return b;
}

std::optional<Command> Decode(uint32_t type, const RecordView& r, size_t recordOffset) {
    const bool has12 = r.Size() >= 12;
    const bool has16 = r.Size() >= 16;
    const bool has24 = r.Size() >= 24;
    switch (type) {
        case kSetMapMode:
            return has12 ? std::optional<Command>(SetMapMode{r.U32(8)}) : std::nullopt;
        case kSetBkMode:
            return has12 ? std::optional<Command>(SetBkMode{r.U32(8)}) : std::nullopt;
        case kSetStretchBltMode:
            return has12 ? std::optional<Command>(SetStretchMode{r.U32(8)}) : std::nullopt;
        case kSetTextAlign:
            return has12 ? std::optional<Command>(SetTextAlign{r.U32(8)}) : std::nullopt;
        case kSetTextColor:
            return has12 ? std::optional<Command>(SetTextColor{r.U32(8) & 0x00FFFFFF})
                         : std::nullopt;
        case kSetBkColor:
            return has12 ? std::optional<Command>(SetBkColor{r.U32(8) & 0x00FFFFFF}) : std::nullopt;
        case kMoveToEx:
            return has16 ? std::optional<Command>(MoveTo{r.PointAt(8)}) : std::nullopt;
        case kLineTo:
            return has16 ? std::optional<Command>(LineTo{r.PointAt(8)}) : std::nullopt;
        case kRectangle:
            return has24 ? std::optional<Command>(DrawRectangle{r.RectAt(8)}) : std::nullopt;
        case kIntersectClipRect:
            return has24 ? std::optional<Command>(IntersectClip{r.RectAt(8)}) : std::nullopt;
        case kSaveDc:
            return SaveDc{};
        case kRestoreDc:
            return has12 ? std::optional<Command>(RestoreDc{r.I32(8)}) : std::nullopt;
        case kSelectObject:
            return has12 ? std::optional<Command>(SelectObject{r.U32(8)}) : std::nullopt;
        case kDeleteObject:
            return has12 ? std::optional<Command>(DeleteObject{r.U32(8)}) : std::nullopt;
        case kCreatePen:
            if (r.Size() < 28) {
                return std::nullopt;
            }
            return CreatePen{r.U32(8), r.U32(12), r.I32(16), r.U32(24) & 0x00FFFFFF};
        case kExtCreatePen:
            if (r.Size() < 52) {
                return std::nullopt;
            }
            return CreatePen{r.U32(8), r.U32(28), r.I32(32), r.U32(40) & 0x00FFFFFF};
        case kCreateBrushIndirect:
            if (r.Size() < 24) {
                return std::nullopt;
            }
            return CreateBrush{r.U32(8), r.U32(12), r.U32(16) & 0x00FFFFFF};
        case kExtCreateFontIndirectW:
            return DecodeFont(r);
        case kExtTextOutW:
            return DecodeText(r);
        case kStretchDiBits:
            return DecodeBits(r, recordOffset);
        default:
            return std::nullopt;
    }
}

bool ParseInto(Document& doc, std::string* error) {
    const std::vector<uint8_t>& bytes = doc.bytes;
    const RecordView all(bytes.data(), bytes.size());
    if (bytes.size() < kMinHeaderSize || all.U32(0) != kHeader || all.U32(40) != kSignature) {
        return Fail(error, "not an enhanced metafile");
    }
    const uint32_t headerSize = all.U32(4);
    if (headerSize < kMinHeaderSize || headerSize % 4 != 0 || headerSize > bytes.size()) {
        return Fail(error, "damaged metafile header");
    }
    Header& h = doc.header;
    h.bounds = all.RectAt(8);
    h.frame = all.RectAt(24);
    h.bytes = all.U32(48);
    h.records = all.U32(52);
    h.handles = all.U16(56);
    h.deviceCx = all.I32(72);
    h.deviceCy = all.I32(76);
    h.millimetersCx = all.I32(80);
    h.millimetersCy = all.I32(84);
    // The description, when there is one, may start right after the base header.
    const uint32_t offDescription = all.U32(64);
    const bool descriptionAfterBase = all.U32(60) != 0 && offDescription < 108;
    if (headerSize >= 108 && !descriptionAfterBase) {
        h.hasMicrometers = true;
        h.micrometersCx = all.I32(100);
        h.micrometersCy = all.I32(104);
    }

    // The header's count, within what the bytes can hold, spares the list its regrowth on a page
    // of thousands of records.
    doc.commands.reserve(std::min<size_t>(h.records, (bytes.size() - headerSize) / 8));
    size_t offset = headerSize;
    while (true) {
        if (bytes.size() - offset < 8) {
            return Fail(error, "metafile ends without an end-of-file record");
        }
        const uint32_t type = all.U32(offset);
        const uint32_t size = all.U32(offset + 4);
        if (size < 8 || size % 4 != 0 || size > bytes.size() - offset) {
            return Fail(error, "damaged metafile record");
        }
        if (type == kEof) {
            return true;
        }
        const RecordView record(bytes.data() + offset, size);
        if (std::optional<Command> command = Decode(type, record, offset)) {
            doc.commands.push_back(std::move(*command));
        } else {
            ++doc.skippedRecords;
        }
        offset += size;
    }
}

}  // namespace

std::optional<Document> ParseEmf(std::vector<uint8_t> bytes, std::string* error) {
    Document doc;
    doc.bytes = std::move(bytes);
    if (!ParseInto(doc, error)) {
        return std::nullopt;
    }
    return doc;
}

std::optional<Document> ReadEmfFile(const std::string& path, std::string* error) {
    WholeFileFault fault;
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFileBytesIfAny(path, kMaxFileSize, &fault);
    if (!bytes) {
        switch (fault.kind) {
            case WholeFileFault::Kind::CannotOpen:
                Fail(error, "cannot open the file");
                break;
            case WholeFileFault::Kind::Folder:
            case WholeFileFault::Kind::NotRegular:
                Fail(error, "not a regular file");
                break;
            case WholeFileFault::Kind::TooLarge:
                Fail(error, "file too large");
                break;
            case WholeFileFault::Kind::CannotRead:
                Fail(error, "cannot read the file");
                break;
        }
        return std::nullopt;
    }
    return ParseEmf(std::move(*bytes), error);
}

std::optional<size_t> BitmapStride(const StretchBits& bitmap) {
    if (bitmap.compression == kBiJpeg || bitmap.compression == kBiPng) {
        return size_t{0};
    }
    if (bitmap.compression != kBiRgb || bitmap.width <= 0 || bitmap.height == 0 ||
        bitmap.height == INT32_MIN) {
        return std::nullopt;
    }
    const int64_t width = bitmap.width;
    const int64_t height = bitmap.height < 0 ? -int64_t{bitmap.height} : bitmap.height;
    if (width * height > kMaxBitmapPixels) {
        return std::nullopt;
    }
    switch (bitmap.bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
        case 32:
            break;
        default:
            return std::nullopt;
    }
    if (bitmap.bitCount <= 8 && bitmap.palette.empty()) {
        return std::nullopt;
    }
    const uint64_t stride = ((static_cast<uint64_t>(width) * bitmap.bitCount + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(height) > bitmap.bitsSize) {
        return std::nullopt;
    }
    return static_cast<size_t>(stride);
}

}  // namespace vm::emf
