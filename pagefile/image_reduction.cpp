#include "pagefile/image_reduction.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vm {

std::optional<StoredSize> ReducedSize(const EncodedImage& image, int deviceWidth,
                                      int deviceHeight) {
    if (image.format != EncodedImage::Format::Bilevel || deviceWidth <= 0 || deviceHeight <= 0 ||
        (deviceWidth >= image.width && deviceHeight >= image.height)) {
        return std::nullopt;
    }
    // Half the device's pixels, rounded up, and never below one pixel.
    const int width = std::min(image.width, std::max(1, (deviceWidth + 1) / 2));
    const int height = std::min(image.height, std::max(1, (deviceHeight + 1) / 2));
    return StoredSize{width, height};
}

std::optional<EncodedImage> ReduceBilevel(const EncodedImage& image, int width, int height) {
    if (image.format != EncodedImage::Format::Bilevel || image.width <= 0 || image.height <= 0 ||
        width <= 0 || height <= 0 || width > image.width || height > image.height) {
        return std::nullopt;
    }
    const size_t rowBytes = (static_cast<size_t>(image.width) + 7) / 8;
    if (image.data.size() != rowBytes * static_cast<size_t>(image.height)) {
        return std::nullopt;
    }
    auto black = [&](int x, int y) {
        const uint8_t byte =
            image.data[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) / 8];
        return (byte >> (7 - x % 8)) & 1;
    };
    // New pixel i covers the old ones from floor(i * old / new) up to floor((i + 1) * old / new),
    // so every old pixel falls in exactly one box.
    auto boxStart = [](int i, int oldSize, int newSize) {
        return static_cast<int>(static_cast<int64_t>(i) * oldSize / newSize);
    };
    EncodedImage reduced;
    reduced.format = EncodedImage::Format::Bilevel;
    reduced.width = width;
    reduced.height = height;
    const size_t newRowBytes = (static_cast<size_t>(width) + 7) / 8;
    reduced.data.assign(newRowBytes * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const int y0 = boxStart(y, image.height, height);
        const int y1 = boxStart(y + 1, image.height, height);
        for (int x = 0; x < width; ++x) {
            const int x0 = boxStart(x, image.width, width);
            const int x1 = boxStart(x + 1, image.width, width);
            int count = 0;
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    count += black(sx, sy);
                }
            }
            if (count * 2 >= (x1 - x0) * (y1 - y0)) {
                reduced.data[static_cast<size_t>(y) * newRowBytes + static_cast<size_t>(x) / 8] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return reduced;
}

}  // namespace vm
