#include "report/report_drawings.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/safe_div.h"
#include "core/str_whole.h"
#include "core/text.h"
#include "pagefile/canvas.h"
#include "pagefile/scaled_canvas.h"
#include "report/report_style.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// The eye sits this far in front of the back edge of its row.
constexpr double kEyeFromRowBack = 0.25;
// The seated figure stands this much taller than the eyes.
constexpr double kFigureAboveEyes = 0.15;

// Where a row of seats stands: its front edge's column and, in the elevation, how far it rises.
struct SeatRow {
    double nDegrauX = 0;
    double nDistX = 0;
    double nEyePointX = 0;
    double nEyePointY = 0;
};

double RowDepth(const DadosProjeto& p) {
    return p.nDistEntreFilas * p.nFatorX;  // nAssentoL
}

double RowFrontColumn(const DadosProjeto& p, double nFilaX, double nAssentoL) {
    return 20 + RowEyeDistance(p, nFilaX) * p.nFatorX - nAssentoL;
}

SeatRow ElevationRow(const DadosProjeto& p, double nPisoX, double nAssentoL, double nFilaX) {
    const double F = p.nFatorX;
    SeatRow row;
    row.nDegrauX = RowRise(p, nFilaX, F);
    row.nDistX = RowFrontColumn(p, nFilaX, nAssentoL);
    row.nEyePointX = row.nDistX + nAssentoL - kEyeFromRowBack * F;
    row.nEyePointY = nPisoX - row.nDegrauX - p.nAlturaOlhos1 * F;
    return row;
}

bool RowIsDrawn(const DadosProjeto& p, double nFilaX) {
    return IsSeatRow(p, nFilaX) && nFilaX < kMaxDrawnRows;
}

// Steps common to both elevations: the room's section and the grey line of the screen's height.
Elevation DrawSection(const DadosProjeto& p, Canvas& canvas) {
    canvas.PrintRectangle(kElevationTop, 20, kElevationTop + p.nPeDireitoX, 190, 0.2, kBlack);
    Elevation e;
    e.nTopoX = kElevationTop + (p.nPeDireitoX - p.nTelaTopoX);
    e.nPisoX = e.nTopoX + p.nTelaTopoX;
    canvas.PrintLine(e.nTopoX + 1, 21, e.nPisoX - 1, 21, 0.1, kGrey);
    return e;
}

// The riser in front of a row (nothing to see for the first row, whose riser has no length) and
// the seated figure on the row.
void DrawRiserAndFigure(Canvas& canvas, const SeatRow& row, double nPisoX, double nAssentoI,
                        double nAssentoY, double nAssentoA, double nAssentoL) {
    canvas.PrintLine(nAssentoI, row.nDistX, nAssentoY, row.nDistX, 0.2, kBlack);
    canvas.PrintImage(kSeatedFigureImage, nPisoX - nAssentoA - row.nDegrauX, row.nDistX, nAssentoA,
                      nAssentoL);
}

std::string Metres(double value, const char* unit) {
    return StrWhole(value, 5, 2) + unit;
}

// One content category as page A draws it.
struct Category {
    bool shown = false;
    bool onlyOneShown = false;  // the floor-to-image height is drawn only then
    double nAltura = 0;
    double nLargura = 0;
    double nAlturaPisoTela = 0;
    double nDistParedeTela = 0;
    Color colour;
    Color heightTextColour;
};

// Detail, computer and video, in the order in which they are drawn.
std::array<Category, 3> Categories(const DadosProjeto& p) {
    return {{
        {p.nTelaG, !p.nTelaA && !p.nTelaF, p.nAlturaG, p.nLarguraG, p.nAlturaPisoTelaG,
         p.nDistParedeTelaG, kBlue, kBlue},
        {p.nTelaA, !p.nTelaG && !p.nTelaF, p.nAlturaA, p.nLarguraA, p.nAlturaPisoTelaA,
         p.nDistParedeTelaA, kRed, kRed},
        // Video's image is green, but its height text is black.
        {p.nTelaF, !p.nTelaG && !p.nTelaA, p.nAlturaF, p.nLarguraF, p.nAlturaPisoTelaF,
         p.nDistParedeTelaF, kGreen, kBlack},
    }};
}

// The line and text of the height of an image's lower edge above the floor.
void DrawFloorToImageHeight(Canvas& canvas, double nPisoX, double nAlturaPisoTela, double F,
                            Color lineColour, Color textColour) {
    canvas.PrintLine(nPisoX - nAlturaPisoTela * F + 2, 23, nPisoX - 1, 23, 0.1, lineColour);
    ReportText(canvas, nPisoX - 10, 24, 6, Metres(nAlturaPisoTela, " m"), textColour);
}

// Where a plan goes: under the elevation, or on a page of its own when its lower wall would pass
// kPlanLowestRow. A plan too long even for a page of its own is reduced so that its lower wall
// stands at kPlanLowestRow, below the note that says so.
Plan PlacePlan(const DadosProjeto& p, const Elevation& elevation, const PageBreak& pageBreak) {
    Plan plan;
    plan.nTopoXX = elevation.nPisoX + 10;
    plan.nPisoXX = plan.nTopoXX + p.nLarguraX;
    if (plan.nPisoXX > kPlanLowestRow) {
        if (pageBreak) {
            pageBreak();
        }
        plan.nTopoXX = kPlanTopOnNewPage;
        plan.nPisoXX = kPlanTopOnNewPage + p.nLarguraX;
        plan.movedToNewPage = true;
    }
    if (plan.nPisoXX > kPlanLowestRow && std::isfinite(p.nLarguraX)) {
        plan.nTopoXX += kReducedScaleNoteHeight;
        plan.reduction = std::max(0.0, kPlanLowestRow - plan.nTopoXX) / p.nLarguraX;
        plan.nPisoXX = plan.nTopoXX + p.nLarguraX * plan.reduction;
    }
    return plan;
}

// The plan as drawn before any reduction: its walls nLarguraX apart.
Plan FullSizePlan(const DadosProjeto& p, const Plan& placed) {
    Plan plan = placed;
    if (placed.reduction != 1) {
        plan.nPisoXX = plan.nTopoXX + p.nLarguraX;
        plan.reduction = 1;
    }
    return plan;
}

// The title over the plan, and the note of a reduced plan between the title and the plan.
void DrawPlanTitle(Canvas& canvas, const Plan& plan) {
    const double note = plan.reduction != 1 ? kReducedScaleNoteHeight : 0;
    ReportText(canvas, plan.nTopoXX - 4 - note, 20, 10, Cp1252("Campos de Visão"), kBlack, true);
    if (plan.reduction != 1) {
        ReportText(canvas, plan.nTopoXX - note, 20, 6, Cp1252(kReducedScaleNote));
    }
}

// The part of the sheet that a drawing on `canvas` reaches, in the drawing's own rows and columns.
struct SheetArea {
    double top = 0;
    double bottom = kSheetHeight;
    double left = 0;
    double right = kSheetWidth;
};

// Draws a plan's body at its full size: onto the page itself, or reduced about the plan's
// top-left corner. `draw` receives the canvas, the full-size plan and the sheet in its terms.
template <typename Draw>
void DrawPlanBody(const DadosProjeto& p, Canvas& canvas, const Plan& placed, Draw draw) {
    const Plan plan = FullSizePlan(p, placed);
    if (placed.reduction == 1) {
        draw(canvas, plan, SheetArea{});
        return;
    }
    ScaledCanvas reduced(canvas, placed.nTopoXX, 20, placed.reduction);
    SheetArea sheet;
    if (placed.reduction > 0) {
        sheet = {reduced.DrawingRow(0), reduced.DrawingRow(kSheetHeight), reduced.DrawingCol(0),
                 reduced.DrawingCol(kSheetWidth)};
    }
    draw(reduced, plan, sheet);
}

void DrawPlanOutline(Canvas& canvas, const Plan& plan) {
    canvas.PrintRectangle(plan.nTopoXX, 20, plan.nPisoXX, 190, 0.2, kBlack);
}

// Whether the span between a and b (in either order) meets the span [low, high].
bool SpanMeets(double a, double b, double low, double high) {
    return std::max(a, b) >= low && std::min(a, b) <= high;
}

// The seats of every row, side by side upwards from the plan's lower wall, the first one
// nAlturaFila2 away from it. Seats wholly off the sheet are skipped: they would be lost anyway,
// and skipping them keeps a room of thousands of tiny seats from holding the report up; see also
// kMaxDrawnSeatsPerRow and kMaxDrawnSeatsPerPlan.
void DrawSeats(const DadosProjeto& p, Canvas& canvas, const Plan& plan, const SheetArea& sheet) {
    const double F = p.nFatorX;
    const double nAssentoL = RowDepth(p);
    const double nAssentoA = p.nLarguraAssento * F;
    const double nAssentoPorFila = SeatsPerRow(p);
    if (!(nAssentoPorFila > 0)) {
        return;
    }
    auto seatTop = [&](double nAssentoX) {
        return plan.nPisoXX - nAssentoA - SeatOffset(p, nAssentoX, F);
    };
    // The seats that can meet the sheet's height: the top row of seat k falls by `step` per seat.
    double first = 0;
    double end = nAssentoPorFila;
    const double step = p.nLarguraAssento * F;
    if (step != 0 && std::isfinite(step)) {
        const double k1 = (seatTop(0) + std::abs(nAssentoA) - sheet.top) / step;
        const double k2 = (seatTop(0) - sheet.bottom) / step;
        first = std::max(first, std::floor(std::min(k1, k2)) - 1);
        end = std::min(end, std::ceil(std::max(k1, k2)) + 2);
    }
    // Counted in integers: beyond 2^53 adding 1 to a double changes nothing.
    const int count =
        end > first ? static_cast<int>(std::min(end - first, kMaxDrawnSeatsPerRow)) : 0;
    int drawn = 0;
    for (double nFilaX = 0; RowIsDrawn(p, nFilaX); ++nFilaX) {
        const double nDistX = RowFrontColumn(p, nFilaX, nAssentoL);
        if (!SpanMeets(nDistX, nDistX + nAssentoL, sheet.left, sheet.right)) {
            continue;
        }
        for (int i = 0; i < count; ++i) {
            const double row = seatTop(first + i);
            if (!SpanMeets(row, row + nAssentoA, sheet.top, sheet.bottom)) {
                continue;
            }
            if (drawn == kMaxDrawnSeatsPerPlan) {
                return;
            }
            canvas.PrintImage(kSeatImage, row, nDistX, nAssentoA, nAssentoL);
            ++drawn;
        }
    }
}

// The two 45-degree lines from the centre of the screen wall to the side walls.
void DrawCentreLines(const DadosProjeto& p, Canvas& canvas, const Plan& plan, Color colour) {
    const double nLanca = (p.nLargura / 2) * p.nFatorX;
    canvas.PrintLine(plan.nTopoXX + nLanca, 23, plan.nTopoXX, 23 + nLanca, 0.1, colour);
    canvas.PrintLine(plan.nTopoXX + nLanca, 23, plan.nPisoXX, 23 + nLanca, 0.1, colour);
}

// The minimum distance from the screen to the first row, one image width, with a 2 mm tick at
// its end.
void DrawMinimumDistance(Canvas& canvas, const Plan& plan, double d, double w, Color colour) {
    canvas.PrintLine(plan.nTopoXX + d, 23, plan.nTopoXX + d, 23 + w, 0.1, colour);
    canvas.PrintLine(plan.nTopoXX + d - 1, 23 + w, plan.nTopoXX + d + 1, 23 + w, 0.1, colour);
}

// The lines at 45 degrees from the image's edges to the side walls.
void DrawImageEdgeLines(Canvas& canvas, const Plan& plan, double d, Color colour) {
    canvas.PrintLine(plan.nTopoXX + d, 23, plan.nTopoXX, 23 + d, 0.1, colour);
    canvas.PrintLine(plan.nPisoXX - d, 23, plan.nPisoXX, 23 + d, 0.1, colour);
}

std::string AngleText(double nAngulo) {
    return StrWhole(nAngulo, 5, 2) + Cp1252("º / Teto");
}

}  // namespace

double ViewingAngle(double nTelaTopo, double nEyePiso, double nCo) {
    const double nCa = nTelaTopo - nEyePiso;
    const double nHipo = TamTela(nCa, nCo) * 2.54 / 100;
    // Going to inches and back can leave the ratio a hair beyond 1 for a sight line straight up;
    // the arcsine is taken of the ratio kept within [-1, 1].
    const double ratio = std::clamp(SafeDiv(nCa, nHipo), -1.0, 1.0);
    return std::asin(ratio) * kDegreesPerRadian;
}

std::string AngleParagraph(double nAngulo) {
    const char* comparison = nAngulo > 30 ? "SUPERIOR" : "INFERIOR";
    return Cp1252(std::string("A linha superior de visão dos ocupantes da primeira fileira de "
                              "assentos está formando um angulo ") +
                  comparison +
                  " a 30º, que é o máximo recomendável para evitar inclinação excessiva da "
                  "cabeça destes ocupantes.");
}

double SeatsPerRow(const DadosProjeto& p) {
    return Int(SafeDiv(p.nLargura - p.nAlturaFila2 * 2, p.nLarguraAssento));
}

Elevation DrawMinimumElevation(const DadosProjeto& p, Canvas& canvas) {
    const double F = p.nFatorX;
    const Elevation e = DrawSection(p, canvas);
    ReportText(canvas, e.nPisoX - 4, 23, 6, Metres(p.nTelaTopo, " m"), kGrey);

    const double nAssentoL = RowDepth(p);
    const double nAssentoA = (p.nAlturaOlhos1 + kFigureAboveEyes) * F;
    double nAssentoI = e.nPisoX;
    double nAssentoY = e.nPisoX;
    const auto categories = Categories(p);
    for (double nFilaX = 0; RowIsDrawn(p, nFilaX); ++nFilaX) {
        const SeatRow row = ElevationRow(p, e.nPisoX, nAssentoL, nFilaX);
        nAssentoI = nAssentoY;
        nAssentoY = e.nPisoX - row.nDegrauX;
        DrawRiserAndFigure(canvas, row, e.nPisoX, nAssentoI, nAssentoY, nAssentoA, nAssentoL);
        if (nFilaX == 0) {
            canvas.PrintLine(e.nTopoX + 1, 23, row.nEyePointY, row.nEyePointX, 0.1, kBlack);
            const double nAngulo = ViewingAngle(p.nTelaTopo, p.nAlturaOlhos1, p.nDistOlhos1);
            ReportText(canvas, e.nTopoX, 28, 6, AngleText(nAngulo), kBlack);
        }
        // The image outlines and the height do not depend on the row: they are drawn again at
        // the same place in every row.
        for (const Category& c : categories) {
            if (!c.shown) {
                continue;
            }
            const double nEyeTela = c.nAltura * F;
            canvas.PrintRectangle(e.nTopoX + 1, 22, e.nTopoX + 1 + c.nAltura * F, 23, 0.2,
                                  c.colour);
            if (c.onlyOneShown) {
                DrawFloorToImageHeight(canvas, e.nPisoX, c.nAlturaPisoTela, F, c.colour,
                                       c.heightTextColour);
            }
            canvas.PrintLine(e.nTopoX + 1 + nEyeTela, 23, row.nEyePointY, row.nEyePointX, 0.1,
                             c.colour);
        }
    }
    return e;
}

Plan DrawMinimumPlan(const DadosProjeto& p, Canvas& canvas, const Elevation& elevation,
                     const PageBreak& pageBreak) {
    const double F = p.nFatorX;
    const Plan placed = PlacePlan(p, elevation, pageBreak);
    DrawPlanTitle(canvas, placed);
    DrawPlanBody(p, canvas, placed, [&](Canvas& c, const Plan& plan, const SheetArea& sheet) {
        DrawPlanOutline(c, plan);
        DrawSeats(p, c, plan, sheet);
        for (const Category& category : Categories(p)) {
            if (!category.shown) {
                continue;
            }
            const double d = category.nDistParedeTela * F;
            const double w = category.nLargura * F;
            const Color colour = category.colour;
            c.PrintRectangle(plan.nTopoXX + d, 22, plan.nPisoXX - d, 23, 0.2, colour);
            DrawImageEdgeLines(c, plan, d, colour);
            DrawMinimumDistance(c, plan, d, w, colour);
            ReportTextBox(c, plan.nTopoXX + d, 23, plan.nTopoXX + 3 + d, 20 + w, 6,
                          Metres(category.nLargura, "m"), colour, false, "RIGHT");
        }
        DrawCentreLines(p, c, plan, kBlack);
    });
    return placed;
}

Elevation DrawPlannedElevation(const DadosProjeto& p, Canvas& canvas) {
    const double F = p.nFatorX;
    const Elevation e = DrawSection(p, canvas);
    ReportText(canvas, e.nPisoX - 4, 24, 6, Metres(p.nTelaTopo, " m"), kGrey);
    canvas.PrintRectangle(e.nTopoX + 1, 22, e.nTopoX + 1 + p.nTelaAltura * F, 23, 0.2, kBlue);

    const double nAssentoL = RowDepth(p);
    const double nAssentoA = (p.nAlturaOlhos1 + kFigureAboveEyes) * F;
    double nAssentoI = e.nPisoX;
    double nAssentoY = e.nPisoX;
    for (double nFilaX = 0; RowIsDrawn(p, nFilaX); ++nFilaX) {
        const SeatRow row = ElevationRow(p, e.nPisoX, nAssentoL, nFilaX);
        const double nEyeTela = p.nTelaAltura * F;
        nAssentoI = nAssentoY;
        nAssentoY = e.nPisoX - row.nDegrauX;
        DrawRiserAndFigure(canvas, row, e.nPisoX, nAssentoI, nAssentoY, nAssentoA, nAssentoL);
        DrawFloorToImageHeight(canvas, e.nPisoX, p.nAlturaPisoTela, F, kBlue, kBlue);
        canvas.PrintLine(e.nTopoX + 1 + nEyeTela, 23, row.nEyePointY, row.nEyePointX, 0.1, kBlue);
        if (nFilaX == 0) {
            canvas.PrintLine(e.nTopoX + 1, 23, row.nEyePointY, row.nEyePointX, 0.1, kBlue);
            const double nAngulo = ViewingAngle(p.nTelaTopo, p.nAlturaOlhos1, p.nDistOlhos1);
            ReportText(canvas, e.nTopoX, 28, 6, AngleText(nAngulo), kBlue);
            ReportTextBox(canvas, 80, 25, 90, 190, 9, AngleParagraph(nAngulo), kBlack);
        }
    }
    return e;
}

Plan DrawPlannedPlan(const DadosProjeto& p, Canvas& canvas, const Elevation& elevation,
                     const PageBreak& pageBreak) {
    const double F = p.nFatorX;
    const double d = p.nDistParedeTela * F;
    const double w = p.nTelaLargura * F;
    const Plan placed = PlacePlan(p, elevation, pageBreak);
    DrawPlanTitle(canvas, placed);
    DrawPlanBody(p, canvas, placed, [&](Canvas& c, const Plan& plan, const SheetArea& sheet) {
        DrawPlanOutline(c, plan);
        c.PrintRectangle(plan.nTopoXX + d, 22, plan.nPisoXX - d, 23, 0.2, kBlue);
        DrawSeats(p, c, plan, sheet);
        DrawImageEdgeLines(c, plan, d, kBlue);
        ReportText(c, plan.nTopoXX + 1, 23 + d, 6, Cp1252("Aceitável"), kBlue);
        ReportText(c, plan.nPisoXX - d - 2, 25, 6, Cp1252("135º"), kBlue);
        DrawCentreLines(p, c, plan, kBlue);
        const double nLanca = (p.nLargura / 2) * F;
        ReportText(c, plan.nTopoXX + 1, 23 + nLanca, 6, "Ideal", kBlue);
        ReportText(c, plan.nTopoXX + nLanca - 1, 26, 6, Cp1252("90º"), kBlue);
        DrawMinimumDistance(c, plan, d, w, kBlue);
        ReportTextBox(c, plan.nTopoXX + d, 25, plan.nTopoXX + 15 + d, 23 + w, 6,
                      StrWhole(p.nTelaLargura, 5, 2) +
                          Cp1252("m Distancia mínima para a primeira fila de assentos"),
                      kBlue, false, "CENTER");
    });
    return placed;
}

}  // namespace vm
