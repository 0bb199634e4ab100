#pragma once
// The two images of the report's drawings, compiled into the program: "assento", a seated viewer
// seen from the side (170 x 230 pixels), and "fila", a seat seen from above (170 x 136 pixels).
// Both are our own black-on-white line drawings, one bit a pixel (binary PBM), drawn by
// resources/images/draw_images.sh; the page files carry them as uncompressed two-colour bitmaps,
// which every reader of page files can draw.

#include <cstdint>
#include <span>

namespace vm {

class NamedImageSource;

// The PBM bytes as stored; they live as long as the program.
std::span<const uint8_t> SeatedFigurePbm();
std::span<const uint8_t> SeatPbm();

// Registers both images under the names the drawings use ("assento" and "fila"). Returns false
// when a stored image cannot be read; that image is then not registered and not drawn.
bool RegisterReportImages(NamedImageSource& images);

}  // namespace vm
