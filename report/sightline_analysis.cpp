#include "report/sightline_analysis.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/text.h"
#include "core/win1252.h"
#include "report/report_drawings.h"
#include "report/sightline_geometry.h"
#include "report/wheelchair_seats.h"

namespace vm {

namespace {

// Reasons, shown as they stand in the text table and the JSON.
const char* const kNoRows = "nenhuma fila de assentos";
const char* const kTooManyRows = "mais de 999 filas: além do que o programa admite";
const char* const kFirstRow = "primeira fila: não há fila à frente";
const char* const kNoRowTwoAhead = "não há fila duas à frente";
const char* const kEyesNotInFront = "olhos no plano da tela ou atrás dela";
const char* const kFrontRowNotInFront = "fila da frente no plano da tela ou atrás dela";
const char* const kNoImageHeight = "a tela pretendida não tem altura";
const char* const kNoResolution = "a imagem não tem resolução vertical";
const char* const kNoSeatWidth = "largura do assento nula";
const char* const kNegativeSeatWidth = "largura do assento negativa";
const char* const kTooManySeats = "mais de um bilhão de assentos por fila";
const char* const kNoSeats = "nenhum assento cabe na largura da sala";
const char* const kNegativeScreenWidth = "largura da tela negativa";
const char* const kOneRow = "uma só fila: não há degrau a projetar";
const char* const kNoStepSuffices = "nenhum degrau até 100 m dá o valor C a todas as filas";
const char* const kFirstRowNotInFront = "primeira fila no plano da tela ou atrás dela";

// Divisor of the farthest eye distance per category, and the category's caption.
constexpr struct {
    Categoria categoria;
    char letter;
    const char* name;
} kCategories[3] = {
    {Categoria::G, 'G', "Detalhes"},
    {Categoria::A, 'A', "Computador"},
    {Categoria::F, 'F', "Vídeo"},
};

// Degrees of the sight line from eyes at (distance, eyeHeight) to a point of the screen wall at
// `height`; upwards positive.
Figure AngleTo(double height, double eyeHeight, double distance) {
    if (!(distance > 0)) {
        return Figure::None(kEyesNotInFront);
    }
    return Figure::Of(ViewingAngle(height, eyeHeight, distance));
}

Figure FromOptional(const std::optional<double>& v, const char* reason) {
    return v ? Figure::Of(*v) : Figure::None(reason);
}

// The numbers of the rows whose eyes lie farther than `limit`.
std::vector<int> RowsBeyond(const std::vector<RowFigures>& rows, double limit) {
    std::vector<int> beyond;
    for (const RowFigures& r : rows) {
        if (r.eyeDistance > limit) {
            beyond.push_back(r.number);
        }
    }
    return beyond;
}

// The C-value of row nFilaX over the row `ahead` rows in front (the steps and row depths between
// them added up), in millimetres, with its grade; `noRowReason` when there is no such row.
void ClearanceOver(const DadosProjeto& p, const SightlineAnalysis& a, double nFilaX, int ahead,
                   const char* noRowReason, Figure& valueMm, std::optional<CGrade>& grade) {
    if (nFilaX < ahead) {
        valueMm = Figure::None(noRowReason);
        return;
    }
    if (!(RowEyeDistance(p, nFilaX) > 0)) {
        valueMm = Figure::None(kEyesNotInFront);
        return;
    }
    const double D = RowEyeDistance(p, nFilaX - ahead);
    const double R = RowEyeHeight(p, nFilaX - ahead) - a.screenBottom;
    const std::optional<double> c =
        D > 0 ? CValue(D, R, ahead * p.nAlturaFila2, ahead * p.nDistEntreFilas) : std::nullopt;
    if (!c) {
        valueMm = Figure::None(kFrontRowNotInFront);
        return;
    }
    valueMm = Figure::Of(*c * 1000);
    grade = GradeOfCValue(*c * 1000);
}

void AnalyseRows(const DadosProjeto& p, SightlineAnalysis& a) {
    if (!IsSeatRow(p, 0)) {
        a.rowsReason = kNoRows;
        return;
    }
    if (IsSeatRow(p, kMaxAnalysedRows)) {
        a.rowsReason = kTooManyRows;
        return;
    }
    for (double nFilaX = 0; IsSeatRow(p, nFilaX); ++nFilaX) {
        RowFigures r;
        r.number = static_cast<int>(nFilaX) + 1;
        r.eyeDistance = RowEyeDistance(p, nFilaX);
        r.eyeHeight = RowEyeHeight(p, nFilaX);
        r.angleToTop = AngleTo(a.screenTop, r.eyeHeight, r.eyeDistance);
        r.angleToBottom = AngleTo(a.screenBottom, r.eyeHeight, r.eyeDistance);
        ClearanceOver(p, a, nFilaX, 1, kFirstRow, r.cValueMm, r.grade);
        // C2 over the row two ahead: its eyes, two steps and two row depths.
        ClearanceOver(p, a, nFilaX, 2, kNoRowTwoAhead, r.c2ValueMm, r.c2Grade);
        a.rows.push_back(std::move(r));
    }
    a.rowCount = static_cast<double>(a.rows.size());
}

void AnalyseCategories(const SightlineAnalysis& a, CategoryFigures (&out)[3]) {
    for (int i = 0; i < 3; ++i) {
        CategoryFigures& c = out[i];
        c.letter = kCategories[i].letter;
        c.name = kCategories[i].name;
        c.divisor = ViewingDistanceInImageHeights(kCategories[i].categoria);
        if (!(a.screenHeight > 0)) {
            c.farthestServed = Figure::None(kNoImageHeight);
            c.rowsBeyondReason = kNoImageHeight;
            continue;
        }
        c.farthestServed = Figure::Of(c.divisor * a.screenHeight);
        if (a.rows.empty()) {
            c.rowsBeyondReason = a.rowsReason;
        } else {
            c.rowsBeyond = RowsBeyond(a.rows, *c.farthestServed.value);
        }
    }
}

void AnalyseDiscas(const DadosProjeto& p, const SightlineAnalysis& a, DiscasFigures& d) {
    const double ih = a.screenHeight;
    if (a.rows.empty()) {
        d.farthestViewer = Figure::None(a.rowsReason);
        d.firstRowDistance = Figure::None(a.rowsReason);
    } else if (!(a.rows.back().eyeDistance > 0)) {
        d.farthestViewer = Figure::None(kEyesNotInFront);
        d.firstRowDistance = Figure::Of(a.rows.front().eyeDistance);
    } else {
        d.farthestViewer = Figure::Of(a.rows.back().eyeDistance);
        d.firstRowDistance = Figure::Of(a.rows.front().eyeDistance);
    }

    d.analyticalFarthest = FromOptional(AnalyticalFarthestViewer(ih, a.imageLines),
                                        ih > 0 ? kNoResolution : kNoImageHeight);
    if (!d.analyticalFarthest.value) {
        d.rowsBeyondAnalyticalReason = d.analyticalFarthest.reason;
    } else if (a.rows.empty()) {
        d.rowsBeyondAnalyticalReason = a.rowsReason;
    } else {
        d.rowsBeyondAnalytical = RowsBeyond(a.rows, *d.analyticalFarthest.value);
    }

    d.imageOffset = FirstRowImageOffset(p);
    d.closestViewer =
        ih > 0 ? Figure::Of(ClosestViewer(ih, d.imageOffset)) : Figure::None(kNoImageHeight);
    if (!d.closestViewer.value) {
        d.firstRowFarEnoughReason = d.closestViewer.reason;
    } else if (!d.firstRowDistance.value) {
        d.firstRowFarEnoughReason = d.firstRowDistance.reason;
    } else {
        d.firstRowFarEnough = *d.firstRowDistance.value >= *d.closestViewer.value;
    }
}

// The farthest seat to the image's far edge, the image height that the basic method asks for it,
// and the seats outside the viewing area. Seats stand where the plan draws them; the centre of
// seat k lies SeatOffset(k) + width / 2 from the lower wall.
void AnalyseDiscasSeats(const DadosProjeto& p, const SightlineAnalysis& a, DiscasFigures& d) {
    const double w = a.screenWidth;
    d.viewingAreaApex =
        w >= 0 ? Figure::Of(w / 2 / std::tan(kViewingAreaDegrees * std::acos(-1.0) / 180))
               : Figure::None(kNegativeScreenWidth);
    const SeatFigures& s = a.seats;
    const std::string why = !s.seatsPerRow.value       ? s.seatsPerRow.reason
                            : a.rows.empty()           ? a.rowsReason
                            : *s.seatsPerRow.value < 1 ? std::string(kNoSeats)
                            : w < 0                    ? std::string(kNegativeScreenWidth)
                                                       : std::string();
    if (!why.empty()) {
        d.farthestViewerEdge = Figure::None(why);
        d.seatsOutsideArea = Figure::None(why);
    } else {
        const auto seats = static_cast<std::int64_t>(*s.seatsPerRow.value);
        const double first = SeatOffset(p, 0) + p.nLarguraAssento / 2 - p.nLargura / 2;
        std::int64_t outside = 0;
        for (const RowFigures& r : a.rows) {
            // Seat k's centre is first + k x width; inside while |x| <= the half width (a seat
            // on the line is inside, with a hair of room for the sums' binary error).
            const double half = ViewingAreaHalfWidth(r.eyeDistance, w) + 1e-9;
            if (half < 0) {
                outside += seats;
                continue;
            }
            const double width = p.nLarguraAssento;
            const auto clamp = [seats](double k) {
                return static_cast<std::int64_t>(std::clamp(k, 0.0, static_cast<double>(seats)));
            };
            const std::int64_t upTo = clamp(std::floor((half - first) / width) + 1);
            const std::int64_t from = clamp(std::ceil((-half - first) / width));
            outside += from + (seats - std::max(upTo, from));
        }
        d.farthestViewerEdge = Figure::Of(FarthestViewerToFarEdge(
            p, static_cast<double>(a.rows.size()), static_cast<double>(seats)));
        d.seatsOutsideArea = Figure::Of(static_cast<double>(outside));
    }
    // The basic method's smallest legible element (and so the interpreter's check) is that of the
    // farthest viewer's distance to the image's far edge.
    if (!d.farthestViewer.value) {
        d.elementHeightMm = d.farthestViewer;
        d.percentElementHeight = d.farthestViewer;
    } else if (!d.farthestViewerEdge.value) {
        d.elementHeightMm = d.farthestViewerEdge;
        d.percentElementHeight = d.farthestViewerEdge;
    } else {
        const double fv = *d.farthestViewerEdge.value;
        d.elementHeightMm = Figure::Of(fv / 200 * 1000);
        d.percentElementHeight =
            FromOptional(PercentElementHeight(fv, a.screenHeight), kNoImageHeight);
    }
    const double eh = d.elementPercent / 100;
    if (!d.farthestViewerEdge.value) {
        d.bdmImageHeight = d.farthestViewerEdge;
        d.bdmMetReason = d.farthestViewerEdge.reason;
    } else {
        d.bdmImageHeight = Figure::Of(*d.farthestViewerEdge.value / (200 * eh));
        d.bdmMet = a.screenHeight >= *d.bdmImageHeight.value - 1e-9;
    }
}

// The first index in [lo, hi) at which `pred` holds, for a predicate that holds from some index
// on; hi when it never does.
template <typename Pred>
std::int64_t FirstWhere(std::int64_t lo, std::int64_t hi, Pred pred) {
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

int Rank(SeatClass c) {
    return c == SeatClass::Ideal ? 2 : c == SeatClass::Aceitavel ? 1 : 0;
}

// The classes of one row's seats as runs. Along a row the seats' centres move monotonically past
// the centre line, so the class rises (Fora, Aceitável, Ideal) up to the centre line and falls
// after it: each change of class is found by bisection, which keeps rows of any length cheap and
// gives each seat exactly the class that ClassifyViewer gives it.
std::vector<SeatRun> SeatRuns(const DadosProjeto& p, double nFilaX, std::int64_t seats) {
    const double distance = RowEyeDistance(p, nFilaX);
    const double centre = p.nLargura / 2;
    auto seatCentre = [&](std::int64_t k) {
        return SeatOffset(p, static_cast<double>(k)) + p.nLarguraAssento / 2;
    };
    auto rank = [&](std::int64_t k) {
        return Rank(ClassifyViewer(distance, seatCentre(k) - centre, p.nTelaLargura));
    };
    const std::int64_t middle =
        FirstWhere(0, seats, [&](auto k) { return seatCentre(k) >= centre; });
    const std::int64_t acceptableFrom = FirstWhere(0, middle, [&](auto k) { return rank(k) >= 1; });
    const std::int64_t idealFrom = FirstWhere(0, middle, [&](auto k) { return rank(k) >= 2; });
    const std::int64_t idealTo = FirstWhere(middle, seats, [&](auto k) { return rank(k) < 2; });
    const std::int64_t acceptableTo =
        FirstWhere(middle, seats, [&](auto k) { return rank(k) < 1; });

    const std::pair<SeatClass, std::int64_t> bounds[] = {
        {SeatClass::Fora, acceptableFrom},    {SeatClass::Aceitavel, idealFrom},
        {SeatClass::Ideal, middle},           {SeatClass::Ideal, idealTo},
        {SeatClass::Aceitavel, acceptableTo}, {SeatClass::Fora, seats},
    };
    std::vector<SeatRun> runs;
    std::int64_t from = 0;
    for (const auto& [seatClass, to] : bounds) {
        if (to <= from) {
            continue;
        }
        if (!runs.empty() && runs.back().seatClass == seatClass) {
            runs.back().last = to;
        } else {
            runs.push_back({seatClass, from + 1, to});
        }
        from = to;
    }
    return runs;
}

void AnalyseSeats(const DadosProjeto& p, const SightlineAnalysis& a, SeatFigures& s) {
    const double perRow = SeatsPerRow(p);
    if (p.nLarguraAssento == 0) {
        s.seatsPerRow = Figure::None(kNoSeatWidth);
    } else if (p.nLarguraAssento < 0) {
        s.seatsPerRow = Figure::None(kNegativeSeatWidth);
    } else if (perRow > kMaxAnalysedSeatsPerRow) {
        s.seatsPerRow = Figure::None(kTooManySeats);
    } else {
        s.seatsPerRow = Figure::Of(perRow > 0 ? perRow : 0);
    }

    const char* sharesReason = nullptr;
    if (!s.seatsPerRow.value) {
        s.total = s.seatsPerRow;
    } else if (a.rows.empty()) {
        s.total = Figure::None(a.rowsReason);
    } else {
        s.total = Figure::Of(*s.seatsPerRow.value * a.rowCount);
        if (*s.total.value == 0) {
            sharesReason = kNoSeats;
        } else if (p.nTelaLargura < 0) {
            sharesReason = kNegativeScreenWidth;
        }
    }
    if (!s.total.value || sharesReason) {
        const std::string why = s.total.value ? sharesReason : s.total.reason;
        for (Figure& share : s.shares) {
            share = Figure::None(why);
        }
        return;
    }

    const auto seats = static_cast<std::int64_t>(*s.seatsPerRow.value);
    for (double nFilaX = 0; IsSeatRow(p, nFilaX); ++nFilaX) {
        SeatRowFigures row{static_cast<int>(nFilaX) + 1, SeatRuns(p, nFilaX, seats)};
        for (const SeatRun& run : row.runs) {
            s.counts[static_cast<int>(run.seatClass)] += run.last - run.first + 1;
        }
        s.rows.push_back(std::move(row));
    }
    for (int c = 0; c < 3; ++c) {
        s.shares[c] = Figure::Of(static_cast<double>(s.counts[c]) / *s.total.value * 100);
    }
}

void DesignRisers(const DadosProjeto& p, const SightlineAnalysis& a, RiserDesign& r) {
    r.currentStep = p.nAlturaFila2;
    r.ceiling = p.nPeDireito;
    const char* why = nullptr;
    if (a.rows.empty()) {
        why = a.rowsReason.c_str();
    } else if (a.rows.size() < 2) {
        why = kOneRow;
    }
    if (why) {
        r.isopticReason = why;
        r.constantStep = Figure::None(why);
        r.rowsBelowTargetReason = why;
        r.groupedReason = why;
        return;
    }

    std::vector<int> below;
    for (const RowFigures& row : a.rows) {
        const Figure& clearance = CountingCValue(a, row);
        if (clearance.value && *clearance.value < r.targetCmm - kCValueTolerance) {
            below.push_back(row.number);
        }
    }
    r.rowsBelowTarget = std::move(below);

    // Every row's eyes must stand in front of the screen: the sight lines start on its plane.
    std::vector<double> distances;
    for (const RowFigures& row : a.rows) {
        if (!(row.eyeDistance > 0)) {
            why = row.number == 1 ? kFirstRowNotInFront : kEyesNotInFront;
            r.isopticReason = why;
            r.constantStep = Figure::None(why);
            r.groupedReason = why;
            return;
        }
        distances.push_back(row.eyeDistance);
    }

    const double c = r.targetCmm / 1000;
    const double focal = a.screenBottom;
    // Each row's eyes just clear those of the row it looks over (the row in front, or in
    // staggered seating the row two ahead) by c on the line from the focal point.
    const size_t ahead = a.staggered ? 2 : 1;
    std::vector<IsopticRow> isoptic;
    std::vector<double> eyes;
    double eye = p.nAlturaOlhos1;
    for (size_t k = 0; k < distances.size(); ++k) {
        IsopticRow row;
        row.row = static_cast<int>(k) + 1;
        if (k == 0) {
            row.step = Figure::None(kFirstRow);
        } else {
            // A row never needs to sit lower than the row in front: where the line over the row
            // it looks over would allow a lower eye, the floor stays level and the row sees with
            // more than c. Row 2 of staggered seating looks between the heads of row 1: level.
            double next = eye;
            if (k >= ahead) {
                const size_t f = k - ahead;
                next = std::max(eye, focal + (eyes[f] - focal + c) * distances[k] / distances[f]);
            }
            row.step = Figure::Of(next - eye);
            eye = next;
        }
        eyes.push_back(eye);
        row.eyeHeight = eye;
        row.floorRise = eye - p.nAlturaOlhos1;
        isoptic.push_back(std::move(row));
    }
    r.isoptic = std::move(isoptic);

    for (const bool staggered : {false, true}) {
        std::optional<GroupedRisers>& g = staggered ? r.groupedStaggered : r.grouped;
        g = r.blockRowsAsked >= kMinRiserBlock && r.blockRowsAsked <= kMaxRiserBlock
                ? DesignGroupedRisers(distances, p.nAlturaOlhos1, focal, c, r.blockRowsAsked,
                                      staggered)
                : BestGroupedRisers(distances, p.nAlturaOlhos1, focal, c, staggered);
    }
    if (!r.grouped || !r.groupedStaggered) {
        r.groupedReason = kNoStepSuffices;
    }

    const std::optional<double> s =
        ConstantStep(distances, p.nAlturaOlhos1, focal, p.nDistEntreFilas, c, a.staggered);
    if (!s) {
        r.constantStep = Figure::None(kFirstRowNotInFront);
        return;
    }
    // A floor falling towards the back is never proposed: a flat floor already gives the target.
    r.flatFloorSuffices = *s <= 0;
    r.constantStep = Figure::Of(r.flatFloorSuffices ? 0.0 : RoundUpToMillimetre(*s));
}

}  // namespace

std::optional<double> ConstantStep(const std::vector<double>& eyeDistances, double eyeHeight1,
                                   double focalHeight, double rowDepth, double c, bool staggered) {
    if (eyeDistances.size() < 2 || !(eyeDistances.front() > 0)) {
        return std::nullopt;
    }
    // Row k looks over the row `ahead` in front: a rise of ahead x s over a depth of ahead x T.
    const size_t ahead = staggered ? 2 : 1;
    const double d1 = eyeDistances.front();
    const double a = static_cast<double>(ahead);
    std::optional<double> step;
    for (size_t k = ahead; k < eyeDistances.size(); ++k) {
        const double s =
            (c * eyeDistances[k] + a * (eyeHeight1 - focalHeight) * rowDepth) / (a * d1);
        step = step ? std::max(*step, s) : s;
    }
    return step.value_or(0.0);
}

double RoundUpToMillimetre(double metres) {
    const double mm = metres * 1000;
    const double whole = std::round(mm);
    // 0.096 m arrives as 96.00000000000001 mm after a sum: that is 96 mm, not 97.
    if (std::abs(mm - whole) <= 1e-9 * std::max(1.0, std::abs(mm))) {
        return whole / 1000;
    }
    return std::ceil(mm) / 1000;
}

CGrade GradeOfCValue(double cMillimetres) {
    // 80 mm arrives as 79.99999999999996 after the arithmetic: bounds hold with the tolerance
    // that the list of rows below a target uses.
    if (cMillimetres >= 120 - kCValueTolerance) {
        return CGrade::Excelente;
    }
    if (cMillimetres >= 80 - kCValueTolerance) {
        return CGrade::Bom;
    }
    if (cMillimetres >= 60 - kCValueTolerance) {
        return CGrade::Aceitavel;
    }
    return CGrade::Ruim;
}

const char* CGradeName(CGrade grade) {
    switch (grade) {
        case CGrade::Excelente:
            return "excelente";
        case CGrade::Bom:
            return "bom";
        case CGrade::Aceitavel:
            return "aceitável";
        case CGrade::Ruim:
            break;
    }
    return "ruim";
}

const char* SeatClassName(SeatClass c) {
    switch (c) {
        case SeatClass::Ideal:
            return "Ideal";
        case SeatClass::Aceitavel:
            return "Aceitável";
        case SeatClass::Fora:
            break;
    }
    return "Fora";
}

SeatClass ClassifyViewer(double distance, double lateral, double screenWidth) {
    const double off = std::abs(lateral);
    if (off <= distance) {
        return SeatClass::Ideal;
    }
    if (off <= screenWidth / 2 + distance) {
        return SeatClass::Aceitavel;
    }
    return SeatClass::Fora;
}

std::optional<double> CValue(double D, double R, double N, double T) {
    if (D + T == 0) {
        return std::nullopt;
    }
    return D * (N + R) / (D + T) - R;
}

std::optional<double> PercentElementHeight(double farthest, double imageHeight) {
    if (!(imageHeight > 0)) {
        return std::nullopt;
    }
    return farthest / (imageHeight * 200) * 100;
}

std::optional<double> AnalyticalFarthestViewer(double imageHeight, double lines) {
    if (!(imageHeight > 0) || !(lines > 0)) {
        return std::nullopt;
    }
    return imageHeight * 3438 / lines;
}

double ViewingAreaHalfWidth(double distance, double screenWidth) {
    return distance * std::tan(kViewingAreaDegrees * std::acos(-1.0) / 180) - screenWidth / 2;
}

std::vector<std::pair<double, double>> ViewingAreaPolygon(double screenWidth, double roomWidth,
                                                          double roomLength) {
    const double t = std::tan(kViewingAreaDegrees * std::acos(-1.0) / 180);
    const double apex = screenWidth / 2 / t;
    if (!(screenWidth >= 0) || !(roomWidth > 0) || !(apex < roomLength)) {
        return {};
    }
    const double half = roomWidth / 2;
    const double toWall = (half + screenWidth / 2) / t;  // where an edge meets a side wall
    if (toWall < roomLength) {
        return {{apex, 0},           {toWall, half},  {roomLength, half},
                {roomLength, -half}, {toWall, -half}, {apex, 0}};
    }
    const double end = ViewingAreaHalfWidth(roomLength, screenWidth);
    return {{apex, 0}, {roomLength, end}, {roomLength, -end}, {apex, 0}};
}

std::optional<double> ElementPercentFromText(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    if (!IsNumberText(text)) {
        return std::nullopt;
    }
    const double value = Val(text);
    if (!(value > 0 && value <= 100)) {
        return std::nullopt;
    }
    return value;
}

SightlineAnalysis AnalyseSightlines(const DadosProjeto& p, double targetCmm, bool staggered,
                                    double elementPercent, int blockRows,
                                    const AccessibilityInputs& accessibility) {
    SightlineAnalysis a;
    a.risers.blockRowsAsked = blockRows;
    a.discas.elementPercent = elementPercent;
    a.staggered = staggered;
    a.risers.targetCmm = targetCmm;
    a.project = win1252ToUtf8(p.cProjeto);
    a.screenTop = p.nTelaTopo;
    a.screenBottom = ScreenBottom(p);
    a.screenWidth = p.nTelaLargura;
    a.screenHeight = p.nTelaAltura;
    a.imageLines = p.nImagemAltura;
    AnalyseRows(p, a);
    AnalyseCategories(a, a.categories);
    AnalyseDiscas(p, a, a.discas);
    AnalyseSeats(p, a, a.seats);
    AnalyseDiscasSeats(p, a, a.discas);
    DesignRisers(p, a, a.risers);
    PlaceWheelchairSpaces(p, accessibility, a);
    if (accessibility.interpreter) {
        const Figure& legible = a.discas.elementHeightMm;
        a.interpreter =
            CheckInterpreterWindow(*accessibility.interpreter, a.screenHeight,
                                   a.discas.elementPercent, legible.value, legible.reason);
    }
    return a;
}

std::string RowList(const std::vector<int>& rows) {
    if (rows.empty()) {
        return "nenhuma";
    }
    std::string out;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) {
            ++j;
        }
        out += (out.empty() ? "" : ", ") + std::to_string(rows[i]);
        if (j > i) {
            out += "-" + std::to_string(rows[j]);
        }
        i = j + 1;
    }
    return out;
}

std::optional<double> TargetCFromText(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    if (!IsNumberText(text)) {
        return std::nullopt;
    }
    const double value = Val(text);
    if (!(value >= kMinTargetCmm && value <= kMaxTargetCmm)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace vm
