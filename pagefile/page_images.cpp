#include "pagefile/page_images.h"

#include <algorithm>
#include <cstddef>

#include "core/whole_file.h"
#include "core/win1252.h"
#include "pagefile/emf_reader.h"

namespace vm {

namespace {

std::string UpperCase(std::string_view text) {
    return upperWin1252(text);
}

uint32_t Be16(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t{b[at]} << 8) | b[at + 1];
}

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return (Be16(b, at) << 16) | Be16(b, at + 2);
}

// Walks the JPEG markers to the first start-of-frame and reads height and width from it.
bool JpegSize(const std::vector<uint8_t>& b, int& width, int& height) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) {
        return false;
    }
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) {
            return false;
        }
        const uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const size_t length = Be16(b, at + 2);
        if (length < 2) {
            return false;
        }
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 9 > b.size() || length < 7) {
                return false;
            }
            height = static_cast<int>(Be16(b, at + 5));
            width = static_cast<int>(Be16(b, at + 7));
            return width > 0 && height > 0;
        }
        if (marker == 0xD9 || marker == 0xDA) {  // end of image, or scan data before any frame
            return false;
        }
        at += 2 + length;
    }
    return false;
}

bool PngSize(const std::vector<uint8_t>& b, int& width, int& height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 24) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (b[static_cast<size_t>(i)] != kSignature[i]) {
            return false;
        }
    }
    if (b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R') {
        return false;
    }
    const uint32_t w = Be32(b, 16);
    const uint32_t h = Be32(b, 20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// The blanks and digits of a PBM header, whatever the locale.
bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// A binary PBM: "P4", blanks or comments ("#" to the end of the line), the width, the height, one
// blank, then the rows. Keeps the rows alone in `bytes`.
bool PbmRows(std::vector<uint8_t>& bytes, int& width, int& height) {
    if (bytes.size() < 3 || bytes[0] != 'P' || bytes[1] != '4') {
        return false;
    }
    size_t at = 2;
    auto skipBlanksAndComments = [&] {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r') {
                    ++at;
                }
            } else if (IsBlank(bytes[at])) {
                ++at;
            } else {
                break;
            }
        }
    };
    auto number = [&](int& value) {
        skipBlanksAndComments();
        int64_t n = 0;
        const size_t start = at;
        while (at < bytes.size() && IsDigit(bytes[at]) && n <= 0x7FFFFFFF) {
            n = n * 10 + (bytes[at] - '0');
            ++at;
        }
        value = static_cast<int>(std::min<int64_t>(n, 0x7FFFFFFF));
        return at > start && n > 0 && n <= 0x7FFFFFFF;
    };
    if (!number(width) || !number(height) || at >= bytes.size() || !IsBlank(bytes[at])) {
        return false;
    }
    ++at;  // the single blank before the rows
    const uint64_t rowBytes = (static_cast<uint64_t>(width) + 7) / 8;
    const uint64_t size = rowBytes * static_cast<uint64_t>(height);
    if (bytes.size() - at < size) {
        return false;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    bytes.resize(static_cast<size_t>(size));
    return true;
}

}  // namespace

std::optional<EncodedImage> SniffImage(std::vector<uint8_t> bytes) {
    EncodedImage image;
    if (PbmRows(bytes, image.width, image.height)) {
        image.format = EncodedImage::Format::Bilevel;
    } else if (JpegSize(bytes, image.width, image.height)) {
        image.format = EncodedImage::Format::Jpeg;
    } else if (PngSize(bytes, image.width, image.height)) {
        image.format = EncodedImage::Format::Png;
    } else {
        return std::nullopt;
    }
    image.data = std::move(bytes);
    return image;
}

bool NamedImageSource::Add(std::string_view name, std::vector<uint8_t> bytes) {
    std::optional<EncodedImage> image = SniffImage(std::move(bytes));
    if (!image) {
        return false;
    }
    m_images[UpperCase(name)] = std::move(*image);
    return true;
}

void NamedImageSource::Add(std::string_view name, EncodedImage image) {
    m_images[UpperCase(name)] = std::move(image);
}

std::optional<EncodedImage> NamedImageSource::Find(std::string_view name) const {
    auto it = m_images.find(UpperCase(name));
    if (it != m_images.end()) {
        return it->second;
    }
    if (name.empty()) {
        return std::nullopt;
    }
    // A file larger than a page file that can be read back would never be seen in one.
    std::optional<std::vector<uint8_t>> bytes =
        ReadWholeFileBytesIfAny(std::string(name), emf::kMaxFileSize);
    if (!bytes) {
        return std::nullopt;
    }
    return SniffImage(std::move(*bytes));
}

}  // namespace vm
