#pragma once
// Pictures that a page shows smaller than their own pixels (a seat of a large hall's plan) are
// stored at the size they are drawn at: a page file then carries a few hundred bytes a seat, not
// the whole picture every time.

#include <optional>

#include "pagefile/page_images.h"

namespace vm {

// The pixels a page stores for a picture drawn `deviceWidth` x `deviceHeight` device pixels:
// nullopt, the picture as it is, when the device draws it with at least as many pixels as it has
// across and down (nothing would be gained); else its drawn size at half the device's resolution
// (300 dots per inch on the 600 of the page files' printer: a pixel of 0.085 mm, no coarser than
// the strokes of the report's line drawings once the page shrinks them), never more pixels than
// the picture has. Only bilevel pictures are reduced: JPEG and PNG data are stored as they come.
struct StoredSize {
    int width = 0;
    int height = 0;
};
std::optional<StoredSize> ReducedSize(const EncodedImage& image, int deviceWidth, int deviceHeight);

// A bilevel picture reduced to `width` x `height` pixels (each at least 1, at most the picture's
// own): each new pixel covers a box of the old ones and is black when at least a quarter of them
// are, so that strokes thinner than a new pixel stay drawn. Nullopt for other formats (JPEG and
// PNG are kept as they are) and for pixels that do not fill the picture's size.
std::optional<EncodedImage> ReduceBilevel(const EncodedImage& image, int width, int height);

}  // namespace vm
