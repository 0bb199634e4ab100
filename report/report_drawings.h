#pragma once
// The report's scale drawings of the room: the side elevation ("Linhas de Visão") and the plan
// ("Campos de Visão"), for the minimum images of the content categories (page A) and for the
// planned screen (page B).
//
// Every length in metres is drawn at nFatorX millimetres per metre, so the room's length spans
// columns 20 (screen wall) to 190 (back wall); the calculation must have run on the project. The
// drawings validate nothing: divisions by zero yield 0 and shapes may reach beyond the sheet, where
// they are lost.

#include <functional>
#include <string>
#include <string_view>

namespace vm {

class Canvas;
struct DadosProjeto;

// Names under which the drawings ask the canvas for their two images.
inline constexpr std::string_view kSeatedFigureImage = "assento";  // a viewer in the elevation
inline constexpr std::string_view kSeatImage = "fila";             // a seat in the plan

// Top of the elevation's room section.
inline constexpr double kElevationTop = 95;
// A plan whose lower wall would lie below this row moves to a page of its own.
inline constexpr double kPlanLowestRow = 281;
// Row of the plan's upper wall on a page of its own.
inline constexpr double kPlanTopOnNewPage = 30;
// A plan too long even for a page of its own is drawn smaller, about its top-left corner, so that
// its lower wall stands at kPlanLowestRow; this note (UTF-8), in 6 points, says so under its title,
// and the plan starts that much lower to make room for it.
inline constexpr std::string_view kReducedScaleNote = "Escala reduzida para caber na página";
inline constexpr double kReducedScaleNoteHeight = 3;

// At most this many seat rows are drawn: the most that the main window's field and a project file
// written by the program can hold. A larger count can only come from an edited file, and drawing
// it would hold the report up for as long as the count is large.
inline constexpr double kMaxDrawnRows = 999;
// At most this many seats of one row are drawn on the sheet. Seats that lie wholly off the sheet
// are not drawn at all (they would be lost), so the limit is reached only by seats less than
// 0.15 mm wide on paper.
inline constexpr double kMaxDrawnSeatsPerRow = 2000;
// At most this many seats are drawn in one plan, counted from the front row: more than any real
// hall holds, and few enough that the largest room the main window accepts (999 rows of 1 cm
// seats in a room 1 km wide) still gives page files of a sensible size.
inline constexpr int kMaxDrawnSeatsPerPlan = 20000;

// The rows of an elevation that the plan under it needs.
struct Elevation {
    double nTopoX = 0;  // row of the screen's top edge
    double nPisoX = 0;  // row of the floor
};

// The rows of a plan's side walls on its page, after any page break and reduction.
struct Plan {
    double nTopoXX = 0;  // upper wall
    double nPisoXX = 0;  // lower wall
    bool movedToNewPage = false;
    // 1 for a plan at the drawings' scale; below 1 for a plan reduced about its top-left corner
    // (nTopoXX, 20) to fit above kPlanLowestRow.
    double reduction = 1;
};

// Called when a plan does not fit under its elevation: ends the page and starts the next one with
// its header, on which the plan is then drawn.
using PageBreak = std::function<void()>;

// Upward viewing angle of the first row in degrees: the arcsine of the rise from the eyes to the
// screen's top (nTelaTopo - nEyePiso) over the length of that sight line, where nCo is the
// horizontal distance. Negative when the screen's top is below the eyes; 0 when the eyes are at
// the screen's top at distance 0.
double ViewingAngle(double nTelaTopo, double nEyePiso, double nCo);

// The paragraph under page B's elevation (Windows-1252): the angle is called SUPERIOR to 30
// degrees when it exceeds 30 and INFERIOR otherwise. The unrounded angle decides, so 30.004
// (printed as 30.00) is SUPERIOR.
std::string AngleParagraph(double nAngulo);

// Seats per row in the plans: INT((nLargura - 2 x nAlturaFila2) / nLarguraAssento), the row-2
// step height serving as the clearance at each side wall. 0 for a seat width of 0; negative or
// zero counts draw no seats.
double SeatsPerRow(const DadosProjeto& p);

// Page A: the room's section with the minimum image of every category that is switched on, a
// seated figure per row, each row's sight line from every image's lower edge, the first row's
// sight line to the screen's top and its angle. Drawn after the "Linhas de Visão" title.
Elevation DrawMinimumElevation(const DadosProjeto& p, Canvas& canvas);

// Page A: the room from above under the elevation (or on a new page, see kPlanLowestRow, reduced
// when even that page is too short), with the seats, the width of each switched-on category's
// image on the screen wall, its 45-degree lines and its minimum distance to the first row.
Plan DrawMinimumPlan(const DadosProjeto& p, Canvas& canvas, const Elevation& elevation,
                     const PageBreak& pageBreak);

// Page B: the section with the planned screen, figures and sight lines, and the first row's angle
// with its paragraph in rows 80 to 90. Ignores the category switches.
Elevation DrawPlannedElevation(const DadosProjeto& p, Canvas& canvas);

// Page B: the plan with the planned screen's width, the acceptable (135 degrees) and ideal
// (90 degrees) viewing fields and the minimum distance to the first row.
Plan DrawPlannedPlan(const DadosProjeto& p, Canvas& canvas, const Elevation& elevation,
                     const PageBreak& pageBreak);

}  // namespace vm
