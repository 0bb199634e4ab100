#include "pagefile/emf_bitmap.h"

#include <QByteArrayView>
#include <QList>
#include <algorithm>
#include <optional>

#include "pagefile/emf_format.h"
#include "pagefile/emf_reader.h"

namespace vm::emf {

QImage DecodeBitmap(const Document& doc, const StretchBits& b) {
    const uint8_t* bits = doc.bytes.data() + b.bitsOffset;
    if (b.compression == kBiJpeg || b.compression == kBiPng) {
        QImage image = QImage::fromData(
            QByteArrayView(reinterpret_cast<const char*>(bits), static_cast<qsizetype>(b.bitsSize)),
            b.compression == kBiJpeg ? "JPEG" : "PNG");
        if (!image.isNull() &&
            static_cast<int64_t>(image.width()) * image.height() > kMaxBitmapPixels) {
            return QImage();
        }
        return image;
    }
    const std::optional<size_t> stride = BitmapStride(b);
    if (!stride) {
        return QImage();
    }
    const int w = b.width;
    const int h = b.height < 0 ? -b.height : b.height;
    const bool bottomUp = b.height > 0;
    QImage image;
    switch (b.bitCount) {
        case 1:
            image = QImage(w, h, QImage::Format_Mono);
            break;
        case 4:
        case 8:
            image = QImage(w, h, QImage::Format_Indexed8);
            break;
        case 24:
            image = QImage(w, h, QImage::Format_BGR888);
            break;
        default:
            image = QImage(w, h, QImage::Format_RGB32);
            break;
    }
    if (image.isNull()) {
        return image;
    }
    if (b.bitCount <= 8) {
        QList<QRgb> table;
        const size_t entries = size_t{1} << std::min<int>(b.bitCount, 8);
        for (size_t i = 0; i < entries; ++i) {
            table.append(i < b.palette.size() ? (0xFF000000u | b.palette[i]) : 0xFF000000u);
        }
        image.setColorTable(table);
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bits + *stride * static_cast<size_t>(bottomUp ? h - 1 - y : y);
        uchar* dst = image.scanLine(y);
        switch (b.bitCount) {
            case 1:
                std::copy(src, src + (w + 7) / 8, dst);
                break;
            case 4:
                for (int x = 0; x < w; ++x) {
                    dst[x] = (x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F);
                }
                break;
            case 8:
                std::copy(src, src + w, dst);
                break;
            case 24:
                std::copy(src, src + size_t(w) * 3, dst);
                break;
            default:
                for (int x = 0; x < w; ++x) {
                    reinterpret_cast<QRgb*>(dst)[x] =
                        0xFF000000u | src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16);
                }
                break;
        }
    }
    return image;
}

}  // namespace vm::emf
