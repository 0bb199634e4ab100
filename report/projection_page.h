#pragma once
// The projector and the LED wall on the millimetre canvas: the page that vistametra-report
// --analysis adds after the analysis's when projector or LED inputs are given, and that the
// window "Projeção" shows and saves.
//
// The page draws the room's section with the planned image, every row's eyes and head, the lens
// and its beam to the image's top and bottom edges, the range of lens positions the throw ratio
// allows, and in red the heads that cut the beam; then the brightness by image and by viewing
// category, the throw figures with their warnings, and the LED wall's figures.

#include <string_view>

#include "pagefile/canvas.h"
#include "report/page_flow.h"
#include "report/projection.h"

namespace vm {

// The beam's colour on the page and in the window.
inline constexpr Color kBeamColour{200, 0, 200};

// Draws the page, numbered firstPageNumber in its footer, its page file named by namer(1), with
// the report's header and footer (cAutoria at its foot). Never fails as a whole: see
// ReportPages::complete.
ReportPages BuildProjectionPage(const DadosProjeto& p, const ProjectionFigures& f, Canvas& canvas,
                                const PageFileNamer& namer, int firstPageNumber,
                                std::string_view cAutoria);

}  // namespace vm
