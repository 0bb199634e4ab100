#pragma once
// A page as full as the report's: a title, 40 lines of small text with a sight line each, a text
// box, the room's rectangle and 49 images (7 seated figures, 42 seats).

#include "pagefile/canvas.h"
#include "pagefile/page_images.h"

namespace vm::bench {

// The report's two images from resources/images (a test image when they are missing).
NamedImageSource ReportImages();

void DrawFullPage(Canvas& canvas);

}  // namespace vm::bench
