#pragma once
// The sightline analysis on the millimetre canvas: the page(s) that vistametra-report --analysis
// adds after the report's and that the window "Visibilidade dos Assentos" shows and saves.
//
// Page 1 draws the room's section, every row's eyes and sight line coloured by the grade of its
// C-value, and the plan with every seat coloured by its class (Ideal, Aceitável, Fora), each with
// its legend. The pages after it hold the table of the rows with the risers designed for the
// target C-value. Positions come from report/sightline_geometry.h, as for the report's drawings;
// each drawing has a scale of its own that fits it into its part of the sheet.
//
//   NamedImageSource images;
//   RegisterAnalysisImages(images);
//   EmfPageCanvas canvas(ReferenceDevice::A4(), &images);
//   BuildAnalysisPages(p, AnalyseSightlines(p, 90), canvas, namer, 3, programValues().cAutoria);

#include <cstdint>
#include <string>
#include <string_view>

#include "pagefile/canvas.h"
#include "report/report_pages.h"
#include "report/sightline_analysis.h"

namespace vm {

class NamedImageSource;

// The colour of a seat's class and of a C-value's grade; rows without a C-value are grey.
Color SeatClassColour(SeatClass c);
Color CGradeColour(CGrade grade);

// The name of the image that fills a seat of a class on the plan: a plain patch of the class's
// colour, stretched over the seat ("assento_ideal", "assento_aceitavel", "assento_fora").
std::string_view SeatClassImage(SeatClass c);

// Registers the three seat patches.
void RegisterAnalysisImages(NamedImageSource& images);

// At most this many seats are drawn on the plan, counted from the front row: every seat of a
// 34,000-seat arena and more, while a room of the largest sizes the fields take (999 rows of 1 cm
// seats in a room 1 km wide) still gives a page file of a sensible size.
inline constexpr std::int64_t kMaxAnalysisSeats = 100000;

// The plan's note when it leaves seats out: how many of `seats` it draws, from the front row, and
// why the others are not drawn (UTF-8).
std::string SeatsLeftOutNote(std::int64_t drawn, std::int64_t seats);

// Where a section lies on the page: the row (mm) of the front row's floor, the column (mm) of the
// screen wall, and millimetres per metre.
struct SectionPlacement {
    double floor = 0;
    double wall = 0;
    double scale = 0;
};

// The room's section as the analysis pages draw it: the room with its ceiling, the floor with the
// tread and riser of each of the first `rows` rows, and the planned image on the screen wall.
void DrawRoomSection(const DadosProjeto& p, size_t rows, double screenTop, double screenBottom,
                     Canvas& canvas, const SectionPlacement& at);

// Draws the analysis pages, the first numbered firstPageNumber in its footer; page file n (1 for
// the first of these pages) is named by namer(n). Each page has the report's header and footer,
// with cAutoria at its foot. Never fails as a whole: see ReportPages::complete.
ReportPages BuildAnalysisPages(const DadosProjeto& p, const SightlineAnalysis& a, Canvas& canvas,
                               const PageFileNamer& namer, int firstPageNumber,
                               std::string_view cAutoria);

}  // namespace vm
