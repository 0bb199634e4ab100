#include "report/dxf_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "core/dados_projeto.h"
#include "core/date.h"
#include "core/text.h"
#include "core/win1252.h"
#include "report/dxf_writer.h"
#include "report/projection.h"
#include "report/report_drawings.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

// AutoCAD colour index.
constexpr int kAciRed = 1;
constexpr int kAciBlue = 5;
constexpr int kAciWhite = 7;  // black on a white background
constexpr int kAciGreen = 3;
constexpr int kAciOrange = 30;
constexpr int kAciCyan = 4;
constexpr int kAciGrey = 8;
constexpr int kAciMagenta = 6;
constexpr int kByBlock = 0;

constexpr const char* kSala = "SALA";
constexpr const char* kTela = "TELA";
constexpr const char* kAssentos = "ASSENTOS";
constexpr const char* kOlhos = "OLHOS";
constexpr const char* kVisadas = "VISADAS";
constexpr const char* kCampos = "CAMPOS";
constexpr const char* kTextos = "TEXTOS";
constexpr const char* kProjetor = "PROJETOR";
constexpr const char* kDiscas = "DISCAS";
constexpr const char* kDegraus = "DEGRAUS";
constexpr const char* kAcessibilidade = "ACESSIBILIDADE";
constexpr const char* kSeatBlock = "ASSENTO";

// The report's small texts: 6 points on paper.
constexpr double kTextPoints = 6;
constexpr double kMmPerPoint = 25.4 / 72;
// The eye points are also drawn as circles of this radius, to be seen.
constexpr double kEyeRadius = 0.05;

using Dxf = DxfWriter;

void Text(Dxf& dxf, double x, double y, double height, std::string_view text, int colour = -1,
          const char* layer = kTextos) {
    dxf.Text(layer, x, y, height, text, colour);
}

constexpr DxfLayer kLayers[] = {
    {"0", kAciWhite},      {kSala, kAciWhite},          {kTela, kAciBlue},
    {kAssentos, kAciGrey}, {kOlhos, kAciRed},           {kVisadas, kAciBlue},
    {kCampos, kAciCyan},   {kTextos, kAciWhite},        {kDiscas, kAciMagenta},
    {kDegraus, kAciCyan},  {kAcessibilidade, kAciBlue},
};

std::string Fixed(double value, int decimals) {
    return AllTrim(Str(value, 40, decimals));
}

// Where the two drawings lie.
struct Frame {
    double floor = 0;      // y of the section's floor level 0 (the front row's floor)
    double ceiling = 0;    // y of the ceiling
    double length = 0;     // x of the back wall
    double upperWall = 0;  // y of the plan's upper side wall
    double lowerWall = 0;  // y of the plan's lower side wall
    double text = 0;       // text height
};

Frame Place(const DadosProjeto& p, const SightlineAnalysis& a) {
    Frame f;
    double lowest = 0;
    for (const RowFigures& r : a.rows) {
        lowest = std::min(lowest, RowRise(p, r.number - 1));
    }
    f.floor = lowest < 0 ? -lowest : 0;
    f.ceiling = f.floor + p.nPeDireito;
    f.length = p.nComprimento;
    const double height = kTextPoints * kMmPerPoint / p.nFatorX;
    f.text = std::isfinite(height) && height > 0 ? height : 0.1;
    const double gap = std::max({1.0, 0.1 * std::abs(p.nComprimento), 4 * f.text});
    f.upperWall = -gap;
    f.lowerWall = f.upperWall - p.nLargura;
    return f;
}

// The seat: the row's depth along x, the seat's width across, from its front corner nearest the
// plan's lower wall; drawn in the colour of each insert.
DxfBlock SeatBlock(const DadosProjeto& p) {
    return {kSeatBlock, [depth = p.nDistEntreFilas, width = p.nLarguraAssento](Dxf& dxf) {
                dxf.Rectangle("0", 0, 0, depth, width, kByBlock);
            }};
}

void DrawSection(Dxf& dxf, const DadosProjeto& p, const SightlineAnalysis& a, const Frame& f) {
    Text(dxf, 0, f.ceiling + f.text, 2 * f.text, "Corte");
    dxf.Rectangle(kSala, 0, 0, f.length, f.ceiling);
    // The floor: each row's tread from its front edge to its back, and the riser in front of it.
    double previous = f.floor;
    for (const RowFigures& r : a.rows) {
        const double nFilaX = r.number - 1;
        const double rise = f.floor + RowRise(p, nFilaX);
        const double front = RowFrontDistance(p, nFilaX);
        if (rise != previous) {
            dxf.Line(kSala, front, previous, front, rise);
        }
        dxf.Line(kSala, front, rise, RowEyeDistance(p, nFilaX), rise);
        previous = rise;
    }
    const double top = f.floor + a.screenTop;
    const double bottom = f.floor + a.screenBottom;
    dxf.Line(kTela, 0, bottom, 0, top);
    for (const RowFigures& r : a.rows) {
        const double y = f.floor + r.eyeHeight;
        dxf.Entity("POINT", kOlhos);
        dxf.Point(10, r.eyeDistance, y);
        dxf.Circle(kOlhos, r.eyeDistance, y, kEyeRadius);
        dxf.Line(kVisadas, 0, top, r.eyeDistance, y);
        dxf.Line(kVisadas, 0, bottom, r.eyeDistance, y);
    }
    // The grouped risers proposed for the target and the seating analysed (the design the
    // analysis pages print): a floor of their own.
    if (const std::optional<GroupedRisers>& g = CountingGroupedRisers(a)) {
        double before = f.floor;
        for (size_t k = 0; k < g->floorRise.size(); ++k) {
            const double nFilaX = static_cast<double>(k);
            const double rise = f.floor + g->floorRise[k];
            const double front = RowFrontDistance(p, nFilaX);
            if (rise != before) {
                dxf.Line(kDegraus, front, before, front, rise);
            }
            dxf.Line(kDegraus, front, rise, RowEyeDistance(p, nFilaX), rise);
            before = rise;
        }
    }
    if (!a.rows.empty()) {
        const double angle = ViewingAngle(p.nTelaTopo, p.nAlturaOlhos1, p.nDistOlhos1);
        Text(dxf, 0.2 + f.text, top + 0.5 * f.text, f.text, Str(angle, 5, 2) + "%%d / Teto",
             kAciBlue);
    }
}

// A line from the screen wall at 45 degrees towards a side wall, ended at that wall or at the
// back wall: from lateral offset `from` (metres above the lower wall), `direction` +1 up, -1 down.
void FanLine(Dxf& dxf, const DadosProjeto& p, const Frame& f, double from, double direction,
             int colour) {
    const double toWall = direction > 0 ? p.nLargura - from : from;
    if (!(toWall > 0)) {
        return;
    }
    const double run = std::min(toWall, std::max(f.length, 0.0));
    dxf.Line(kCampos, 0, f.lowerWall + from, run, f.lowerWall + from + direction * run, colour);
}

void DrawPlan(Dxf& dxf, const DadosProjeto& p, const SightlineAnalysis& a, const Frame& f) {
    Text(dxf, 0, f.upperWall + f.text, 2 * f.text, "Planta");
    dxf.Rectangle(kSala, 0, f.lowerWall, f.length, f.upperWall);
    const double d = ScreenWallOffset(p);
    dxf.Line(kTela, 0, f.lowerWall + d, 0, f.lowerWall + p.nLargura - d);

    int inserted = 0;
    for (const SeatRowFigures& row : a.seats.rows) {
        const double x = RowFrontDistance(p, row.row - 1);
        for (const SeatRun& run : row.runs) {
            for (std::int64_t seat = run.first; seat <= run.last && inserted < kMaxDxfSeats;
                 ++seat, ++inserted) {
                dxf.Entity("INSERT", kAssentos, SeatClassAci(run.seatClass));
                dxf.Code(2, kSeatBlock);
                const double y = f.lowerWall + SeatOffset(p, static_cast<double>(seat - 1));
                dxf.Point(10, x, y);
                dxf.Reach(x + p.nDistEntreFilas, y + p.nLarguraAssento);
            }
        }
    }

    // The ideal field: 45 degrees either side of the screen's centre line; the acceptable one
    // reaches 45 degrees beyond the image's edges.
    FanLine(dxf, p, f, p.nLargura / 2, 1, kAciWhite);
    FanLine(dxf, p, f, p.nLargura / 2, -1, kAciWhite);
    FanLine(dxf, p, f, p.nLargura - d, 1, kAciBlue);
    FanLine(dxf, p, f, d, -1, kAciBlue);
    Text(dxf, 0.2 + f.text, f.lowerWall + p.nLargura / 2 + f.text, f.text, "Ideal (90%%d)");
    Text(dxf, 0.2 + f.text, f.lowerWall + p.nLargura - d + f.text, f.text,
         utf8ToWin1252("Aceitável (135") + "%%d)", kAciBlue);

    // DISCAS's viewing area: up to 60 degrees off the normal to the image's far edge.
    const auto polygon = ViewingAreaPolygon(p.nTelaLargura, p.nLargura, f.length);
    const double axis = f.lowerWall + p.nLargura / 2;
    for (size_t k = 1; k < polygon.size(); ++k) {
        dxf.Line(kDiscas, polygon[k - 1].first, axis + polygon[k - 1].second, polygon[k].first,
                 axis + polygon[k].second);
    }

    // The legend: the seats of each class.
    const SeatFigures& s = a.seats;
    if (s.shares[0].value) {
        const SeatClass classes[] = {SeatClass::Ideal, SeatClass::Aceitavel, SeatClass::Fora};
        double y = f.lowerWall - 2 * f.text;
        for (SeatClass c : classes) {
            const int k = static_cast<int>(c);
            Text(dxf, 0, y, f.text,
                 utf8ToWin1252(std::string(SeatClassName(c)) + ": " + std::to_string(s.counts[k]) +
                               " assentos (" + Fixed(*s.shares[k].value, 1) + " %)"),
                 SeatClassAci(c));
            y -= 1.6 * f.text;
        }
    }
}

}  // namespace

// The projector in the section: the lens, its beam to the image's edges, the range of lens
// positions its throw ratio allows, the heads that cut the beam and those of the rows behind the
// lens that have the projector in view, on the layer "PROJETOR".
void DrawProjector(Dxf& dxf, const ProjectionFigures& pf, const Frame& f) {
    const ThrowFigures& t = *pf.throwFigures;
    const double x = *t.lensDistance.value;
    const double y = f.floor + *t.lensHeight.value;
    dxf.Circle(kProjetor, x, y, 2 * kEyeRadius);
    dxf.Line(kProjetor, x, y, 0, f.floor + pf.screenTop);
    dxf.Line(kProjetor, x, y, 0, f.floor + pf.screenBottom);
    dxf.Line(kProjetor, *t.distanceMin.value, y, *t.distanceMax.value, y);
    Text(dxf, x + 2 * kEyeRadius + f.text, y + f.text, f.text, "Projetor", -1, kProjetor);
    for (const BeamRow& r : t.beamRows) {
        if (r.headHeight > r.beamLowerEdge) {
            dxf.Line(kProjetor, r.eyeDistance, f.floor + r.headHeight - kHeadAboveEyes,
                     r.eyeDistance, f.floor + r.headHeight, kAciRed);
        }
    }
    for (const ViewRow& r : t.viewRows) {
        if (r.seesProjector) {
            dxf.Line(kProjetor, r.eyeDistance, f.floor + r.eyeHeight, r.eyeDistance,
                     f.floor + r.eyeHeight + kHeadAboveEyes, kAciRed);
        }
    }
}

// The wheelchair spaces: in the section each space's floor, its user's eye and the lines to the
// image's edges (green where every check passes, red where one fails); in the plan each 0.80 x
// 1.20 m space; the interpreter's window on the screen in both.
void DrawAccessibility(Dxf& dxf, const DadosProjeto& p, const SightlineAnalysis& a,
                       const Frame& f) {
    for (const WheelchairPosition& w : a.wheelchairs) {
        if (!w.reason.empty()) {
            continue;
        }
        const int colour = SpacePasses(w) ? kAciGreen : kAciRed;
        const double front = w.distance - kWheelchairSpaceDepth;
        const double y = f.floor + w.floor;
        dxf.Line(kAcessibilidade, front, y, w.distance, y);
        if (w.place.row == 0 && w.floor > 0) {
            dxf.Line(kAcessibilidade, front, f.floor, front, y);
        }
        const double eye = f.floor + w.eye;
        dxf.Circle(kAcessibilidade, w.distance, eye, kEyeRadius);
        dxf.Line(kAcessibilidade, w.distance, eye, 0, f.floor + a.screenTop, colour);
        dxf.Line(kAcessibilidade, w.distance, eye, 0, f.floor + a.screenBottom, colour);
        dxf.Rectangle(kAcessibilidade, front, f.lowerWall + w.nearWall, w.distance,
                      f.lowerWall + w.nearWall + kWheelchairSpaceWidth, colour);
    }
    if (a.interpreter) {
        const InterpreterWindow& i = a.interpreter->window;
        const double bottom = f.floor + a.screenBottom;
        dxf.Line(kAcessibilidade, 0.05, bottom, 0.05,
                 bottom + a.screenHeight * i.heightPercent / 100, kAciOrange);
        // Its corner as the audience sees the image: the right towards the upper wall.
        const double edge =
            f.lowerWall + (i.left ? ScreenWallOffset(p) : p.nLargura - ScreenWallOffset(p));
        const double width = a.screenWidth * i.widthPercent / 100;
        dxf.Line(kAcessibilidade, 0.05, edge, 0.05, i.left ? edge + width : edge - width,
                 kAciOrange);
        Text(dxf, 0.2, edge, f.text, utf8ToWin1252("Intérprete"), kAciOrange, kAcessibilidade);
    }
}

// The title block under the plan: the project, its date and the drawing's units.
void TitleBlock(Dxf& dxf, const DadosProjeto& p, const Frame& f) {
    const double y = f.lowerWall - 8 * f.text;
    Text(dxf, 0, y, 1.5 * f.text, "Projeto: " + AllTrim(p.cProjeto) + "    Data: " + DToC(p.cData));
    Text(dxf, 0, y - 2.2 * f.text, f.text,
         utf8ToWin1252("Vistametra - corte e planta em metros, escala 1:1"));
}

int SeatClassAci(SeatClass c) {
    switch (c) {
        case SeatClass::Ideal:
            return kAciGreen;
        case SeatClass::Aceitavel:
            return kAciOrange;
        case SeatClass::Fora:
            break;
    }
    return kAciRed;
}

std::string DxfDrawing(const DadosProjeto& p, const SightlineAnalysis& a,
                       const ProjectionFigures* projection) {
    const Frame f = Place(p, a);
    const bool projector = projection && projection->throwFigures;
    Dxf dxf(kDxfModelSpaceRecord, kDxfFirstFreeHandle);
    DrawSection(dxf, p, a, f);
    DrawPlan(dxf, p, a, f);
    if (projector) {
        DrawProjector(dxf, *projection, f);
    }
    DrawAccessibility(dxf, p, a, f);
    TitleBlock(dxf, p, f);
    std::vector<DxfLayer> layers(std::begin(kLayers), std::end(kLayers));
    if (projector) {
        layers.push_back({kProjetor, kAciMagenta});
    }
    return DxfDocument(dxf, layers, {SeatBlock(p)});
}

}  // namespace vm
