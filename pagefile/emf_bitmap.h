#pragma once
// The pictures of a page file's bitmap records as images: uncompressed bitmaps of 1, 4, 8, 24 and
// 32 bits per pixel, and embedded JPEG and PNG data.

#include <QImage>

namespace vm::emf {

struct Document;
struct StretchBits;

// The bitmap of record `bitmap` of `document`; a null image when it cannot be decoded or has more
// than kMaxBitmapPixels pixels.
QImage DecodeBitmap(const Document& document, const StretchBits& bitmap);

}  // namespace vm::emf
