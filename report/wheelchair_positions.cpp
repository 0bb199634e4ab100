#include "report/wheelchair_positions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <map>
#include <tuple>

#include "core/dados_projeto.h"
#include "core/text.h"
#include "report/accessibility_output.h"
#include "report/sightline_analysis.h"
#include "report/sightline_geometry.h"

namespace vm {

namespace {

const char* const kEyesNotInFront = "olhos no plano da tela ou atrás dela";
const char* const kFrontRowNotInFront = "fila da frente no plano da tela ou atrás dela";
const char* const kNoRowInFront = "não há fila à frente";

// A number typed by the user, "," or "." before the decimals.
std::optional<double> Number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    if (!IsNumberText(text)) {
        return std::nullopt;
    }
    return Val(text);
}

// "TEXT[:side]": the side after the ":", `byDefault` when none is given.
bool SplitSide(const std::string& text, std::string& head, AisleSide& side,
               AisleSide byDefault = AisleSide::Left) {
    const size_t colon = text.find(':');
    head = text.substr(0, colon);
    side = byDefault;
    if (colon == std::string::npos) {
        return true;
    }
    std::string name = text.substr(colon + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "left" || name == "esquerda") {
        side = AisleSide::Left;
        return true;
    }
    if (name == "right" || name == "direita") {
        side = AisleSide::Right;
        return true;
    }
    return false;
}

// The lateral edge of the `index`-th space (0 nearest the wall) at a row's `side` end: the seats'
// first one starts SeatOffset(0) from each wall, and the spaces take their places side by side.
double NearWall(const DadosProjeto& p, AisleSide side, int index) {
    const double fromWall = SeatOffset(p, 0) + index * kWheelchairSpaceWidth;
    return side == AisleSide::Left ? fromWall : p.nLargura - fromWall - kWheelchairSpaceWidth;
}

// The C-value of the first row behind the space over its user's eyes.
void CheckRowBehind(const DadosProjeto& p, double rows, WheelchairPosition& w) {
    for (int k = 1; k <= rows; ++k) {
        const double distance = RowEyeDistance(p, k - 1);
        if (distance > w.distance + 1e-9) {
            const double focal = ScreenBottom(p);
            w.rowBehind = k;
            w.cBehindMm = CValue(w.distance, w.eye - focal, RowEyeHeight(p, k - 1) - w.eye,
                                 distance - w.distance);
            if (w.cBehindMm) {
                *w.cBehindMm *= 1000;
            }
            return;
        }
    }
}

void CheckSightLines(const DadosProjeto& p, WheelchairPosition& w) {
    w.eye = w.floor + kWheelchairEyeHeight;
    w.neededDistance = std::max(
        0.0, kThirtyDegreesDistanceFactor * (p.nTelaTopo - w.floor - kWheelchairEyeHeight));
    if (!(w.distance > 0)) {
        w.reason = kEyesNotInFront;
        return;
    }
    // 1e-9: the sums' binary error does not fail a space that stands exactly at the limit.
    w.thirtyDegreesOk = w.distance >= w.neededDistance - 1e-9;
    if (w.rowInFront == 0) {
        w.cValueReason = kNoRowInFront;
        w.clearsRowInFront = true;
        return;
    }
    const double nFilaX = w.rowInFront - 1;
    const double frontDistance = RowEyeDistance(p, nFilaX);
    const double focal = ScreenBottom(p);
    const std::optional<double> c =
        frontDistance > 0 ? CValue(frontDistance, RowEyeHeight(p, nFilaX) - focal,
                                   w.eye - RowEyeHeight(p, nFilaX), w.distance - frontDistance)
                          : std::nullopt;
    if (!c) {
        w.cValueReason = kFrontRowNotInFront;
        return;
    }
    w.cValueMm = *c * 1000;
    w.clearsRowInFront = *w.cValueMm >= kSeatedHeadAboveEyes * 1000 - kCValueTolerance;
}

// Less than this (metres) is the sums' binary error: spaces side by side touch, they do not
// overlap.
constexpr double kFitTolerance = 1e-6;

bool SpansOverlap(double lo1, double hi1, double lo2, double hi2) {
    return std::min(hi1, hi2) - std::max(lo1, lo2) > kFitTolerance;
}

// Marks the spaces that do not fit: past a side wall, or over an earlier space that fits. Each
// keeps its place's text and says why in its reason.
void MarkMisfits(const DadosProjeto& p, std::vector<WheelchairPosition>& ws) {
    for (size_t i = 0; i < ws.size(); ++i) {
        WheelchairPosition& w = ws[i];
        if (!w.reason.empty()) {
            continue;
        }
        if (w.nearWall < -kFitTolerance ||
            w.nearWall + kWheelchairSpaceWidth > p.nLargura + kFitTolerance) {
            w.misfit = WheelchairMisfit::OutsideRoom;
            w.reason = "não cabe na largura da sala (" + AllTrim(Str(p.nLargura, 40, 2)) + " m)";
        }
        for (size_t j = 0; j < i && w.misfit == WheelchairMisfit::None; ++j) {
            const WheelchairPosition& o = ws[j];
            if (!o.reason.empty()) {
                continue;
            }
            const bool same = std::abs(w.nearWall - o.nearWall) <= kFitTolerance &&
                              std::abs(w.distance - o.distance) <= kFitTolerance;
            if (same || (SpansOverlap(w.nearWall, w.nearWall + kWheelchairSpaceWidth, o.nearWall,
                                      o.nearWall + kWheelchairSpaceWidth) &&
                         SpansOverlap(w.distance - kWheelchairSpaceDepth, w.distance,
                                      o.distance - kWheelchairSpaceDepth, o.distance))) {
                w.misfit = same ? WheelchairMisfit::SameSpot : WheelchairMisfit::Overlaps;
                w.misfitWith = static_cast<int>(j);
                w.reason = std::string(same ? "no mesmo lugar que" : "sobrepõe") + " o espaço " +
                           std::to_string(j + 1) + " (" + WheelchairPlaceText(o) + ")";
            }
        }
        if (w.misfit != WheelchairMisfit::None) {
            // Its figures and the row behind it are no space's.
            w.cValueMm.reset();
            w.cBehindMm.reset();
            w.rowBehind = 0;
        }
    }
}

}  // namespace

const char* AisleSideName(AisleSide side) {
    return side == AisleSide::Left ? "esquerda" : "direita";
}

const char* InterpreterCornerName(const InterpreterWindow& window) {
    return window.left ? "esquerdo" : "direito";
}

int FirstLevelRow(const DadosProjeto& p) {
    for (double nFilaX = 0; IsSeatRow(p, nFilaX) && nFilaX < kMaxAnalysedRows; ++nFilaX) {
        if (RowRise(p, nFilaX) == 0) {
            return static_cast<int>(nFilaX) + 1;
        }
    }
    return 0;
}

std::vector<WheelchairPosition> PlaceWheelchairs(const DadosProjeto& p,
                                                 const std::vector<WheelchairPlace>& places,
                                                 std::int64_t defaultSpaces, int spacesRow,
                                                 std::optional<AisleSide> spacesSide) {
    // The command line refuses more places; a caller that hands in more gets the first ones.
    std::vector<WheelchairPlace> wanted(
        places.begin(),
        places.begin() + std::min<std::ptrdiff_t>(std::ssize(places), kMaxWheelchairPlaces));
    const bool byDefault = wanted.empty() && spacesRow == 0;
    if (wanted.empty()) {
        // No rows: the first row is asked for, and the place says that there is none.
        const int row = spacesRow > 0 ? spacesRow : std::max(1, FirstLevelRow(p));
        // As many as the row's width holds between its first and last seat, and never more
        // than a planner places by hand: a hall's further spaces are the planner's to place.
        const double across = (p.nLargura - 2 * SeatOffset(p, 0)) / kWheelchairSpaceWidth;
        const double fit = std::isfinite(across) ? std::clamp(std::floor(across), 1.0, 1e6) : 1.0;
        const std::int64_t spaces = std::clamp<std::int64_t>(
            std::min(defaultSpaces, static_cast<std::int64_t>(fit)), 1, kMaxDefaultSpaces);
        for (std::int64_t k = 0; k < spaces; ++k) {
            const AisleSide turn = k % 2 == 0 ? AisleSide::Left : AisleSide::Right;
            wanted.push_back({row, spacesSide.value_or(turn), 0, 0});
        }
    }
    const double rows =
        IsSeatRow(p, 0) && !IsSeatRow(p, kMaxAnalysedRows) ? std::ceil(p.nNumeroFilas) : 0;
    // Spaces at the same row end or on the same platform stand side by side from the wall.
    std::map<std::tuple<int, int, double, double>, int> taken;
    std::vector<WheelchairPosition> out;
    for (const WheelchairPlace& place : wanted) {
        WheelchairPosition w;
        w.place = place;
        w.byDefault = byDefault;
        const int index = taken[{place.row, static_cast<int>(place.side), place.platformHeight,
                                 place.platformDistance}]++;
        w.nearWall = NearWall(p, place.side, index);
        if (place.row > 0) {
            if (place.row > rows) {
                w.reason = rows == 0 ? std::string("nenhuma fila de assentos")
                                     : "a fila " + std::to_string(place.row) +
                                           " não existe: o projeto tem " +
                                           std::to_string(static_cast<int>(rows)) +
                                           (rows == 1 ? " fila" : " filas");
                out.push_back(std::move(w));
                continue;
            }
            w.floor = RowRise(p, place.row - 1);
            w.distance = RowEyeDistance(p, place.row - 1);
            w.rowInFront = place.row - 1;
        } else {
            w.floor = place.platformHeight;
            w.distance = place.platformDistance;
            // The row in front: the last whose eyes stand nearer the screen than the platform's.
            for (int k = 1; k <= rows && RowEyeDistance(p, k - 1) < w.distance - 1e-9; ++k) {
                w.rowInFront = k;
            }
        }
        CheckSightLines(p, w);
        if (w.reason.empty()) {
            CheckRowBehind(p, rows, w);
        }
        out.push_back(std::move(w));
    }
    MarkMisfits(p, out);
    return out;
}

const WheelchairPosition* FirstMisfit(const std::vector<WheelchairPosition>& ws) {
    const auto it = std::find_if(ws.begin(), ws.end(), [](const WheelchairPosition& w) {
        return w.misfit != WheelchairMisfit::None;
    });
    return it == ws.end() ? nullptr : &*it;
}

std::optional<bool> RowBehindKeepsTarget(const WheelchairPosition& w, double targetCmm) {
    if (!w.cBehindMm) {
        return std::nullopt;
    }
    return *w.cBehindMm >= targetCmm - kCValueTolerance;
}

bool SpacePasses(const WheelchairPosition& w) {
    return w.reason.empty() && w.thirtyDegreesOk && w.clearsRowInFront && w.rowBehindOk != false;
}

InterpreterFigures CheckInterpreterWindow(const InterpreterWindow& window, double imageHeight,
                                          double elementPercent,
                                          std::optional<double> smallestLegibleMm,
                                          const std::string& legibleReason) {
    InterpreterFigures f;
    f.window = window;
    f.contentScale = std::max(1 - window.widthPercent / 100, 1 - window.heightPercent / 100);
    if (!(imageHeight > 0)) {
        f.reason = "a tela pretendida não tem altura";
        return f;
    }
    f.textHeightMm = elementPercent / 100 * imageHeight * f.contentScale * 1000;
    f.smallestLegibleMm = smallestLegibleMm;
    if (!smallestLegibleMm) {
        f.reason = legibleReason;
        return f;
    }
    f.legible = *f.textHeightMm >= *smallestLegibleMm - 1e-9;
    return f;
}

std::optional<InterpreterWindow> InterpreterWindowFromText(const std::string& text) {
    std::string lower;
    AisleSide corner = AisleSide::Right;
    if (!SplitSide(text, lower, corner, AisleSide::Right)) {
        return std::nullopt;
    }
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const size_t x = lower.find('x');
    if (x == std::string::npos) {
        return std::nullopt;
    }
    const auto share = [](std::string part) -> std::optional<double> {
        if (!part.empty() && part.back() == '%') {
            part.pop_back();
        }
        const std::optional<double> v = Number(part);
        return v && *v > 0 && *v < 100 ? v : std::nullopt;
    };
    const std::optional<double> w = share(lower.substr(0, x));
    const std::optional<double> h = share(lower.substr(x + 1));
    if (!w || !h) {
        return std::nullopt;
    }
    return InterpreterWindow{*w, *h, corner == AisleSide::Left};
}

std::optional<WheelchairPlace> WheelchairRowFromText(const std::string& text) {
    std::string head;
    WheelchairPlace place;
    if (!SplitSide(text, head, place.side) || head.empty() || head.size() > 3 ||
        !std::all_of(head.begin(), head.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    place.row = std::stoi(head);
    if (place.row < 1) {
        return std::nullopt;
    }
    return place;
}

std::optional<WheelchairPlace> WheelchairPlatformFromText(const std::string& text) {
    std::string head;
    WheelchairPlace place;
    if (!SplitSide(text, head, place.side)) {
        return std::nullopt;
    }
    const size_t at = head.find('@');
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<double> height = Number(head.substr(0, at));
    const std::optional<double> distance = Number(head.substr(at + 1));
    if (!height || !distance || !(*height >= 0 && *height <= 100) ||
        !(*distance > 0 && *distance <= 1000)) {
        return std::nullopt;
    }
    place.platformHeight = *height;
    place.platformDistance = *distance;
    return place;
}

}  // namespace vm
