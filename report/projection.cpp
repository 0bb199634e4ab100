#include "report/projection.h"

#include <algorithm>
#include <cmath>

#include "core/dados_projeto.h"
#include "core/text.h"

namespace vm {

namespace {

// A quotient a whole number but for binary error (3.0 / 1.2 = 2.4999999999999996 tiles of
// 1.2 m in 3 m) counts as that whole number.
double WholeDown(double value) {
    return std::floor(value + 1e-9);
}

std::string Metres(double value) {
    return AllTrim(Str(value, 40, 2)) + " m";
}

ThrowFigures ComputeThrow(const ProjectionInputs& in, const ProjectionFigures& f) {
    ThrowFigures t;
    const double w = f.screenWidth;
    const double trMin = *in.throwRatioMin;
    const double trMax = in.throwRatioMax.value_or(trMin);
    t.distanceMin = Figure::Of(trMin * w);
    t.distanceMax = Figure::Of(trMax * w);
    const double distance = in.throwDistance.value_or(trMin * w);
    t.lensDistance = Figure::Of(distance);
    t.lensHeightSet = in.lensHeight.has_value();
    const double height = in.lensHeight.value_or(f.screenBottom + in.lensOffset * f.screenHeight);
    t.lensHeight = Figure::Of(height);

    if (in.throwDistance && (distance < trMin * w - 1e-9 || distance > trMax * w + 1e-9)) {
        t.warnings.push_back("A lente a " + Metres(distance) + " da tela está fora da faixa de " +
                             Metres(trMin * w) + " a " + Metres(trMax * w) + " dessa lente.");
    }
    if (distance > f.roomLength) {
        t.warnings.push_back("A lente a " + Metres(distance) +
                             " da tela fica atrás da parede do fundo (" + Metres(f.roomLength) +
                             ").");
    }
    if (height > f.ceiling) {
        t.warnings.push_back("A lente a " + Metres(height) + " de altura fica acima do teto (" +
                             Metres(f.ceiling) + ").");
    }
    if (height < 0) {
        t.warnings.push_back("A lente a " + Metres(height) + " de altura fica abaixo do piso.");
    }
    if (f.rows.empty()) {
        return t;  // no rows: rowsInBeam stays empty, the rows' reason says why
    }
    std::vector<int> cutting;
    std::vector<int> seeing;
    for (const RowFigures& r : f.rows) {
        if (r.eyeDistance > distance) {
            ViewRow v;
            v.row = r.number;
            v.eyeDistance = r.eyeDistance;
            v.eyeHeight = r.eyeHeight;
            v.seesProjector = SeesProjector(r.eyeDistance, r.eyeHeight, distance, height,
                                            f.screenBottom, f.screenTop, &v);
            if (v.seesProjector) {
                seeing.push_back(r.number);
            }
            t.viewRows.push_back(v);
            continue;
        }
        BeamRow b;
        b.row = r.number;
        b.eyeDistance = r.eyeDistance;
        b.headHeight = r.eyeHeight + kHeadAboveEyes;
        b.beamLowerEdge = f.screenBottom + (height - f.screenBottom) * r.eyeDistance / distance;
        if (b.headHeight > b.beamLowerEdge) {
            cutting.push_back(r.number);
        }
        t.beamRows.push_back(b);
    }
    t.rowsInBeam = cutting;
    t.rowsSeeingProjector = seeing;
    return t;
}

LedFigures ComputeLed(const ProjectionInputs& in, const ProjectionFigures& f) {
    LedFigures l;
    const double p = *in.ledPitchMm;
    l.pitchMm = p;
    const char* noScreen = "a imagem planejada não tem largura ou altura";
    if (f.screenWidth > 0 && f.screenHeight > 0) {
        l.pixelsAcross = Figure::Of(WholeDown(f.screenWidth * 1000 / p));
        l.pixelsDown = Figure::Of(WholeDown(f.screenHeight * 1000 / p));
    } else {
        l.pixelsAcross = l.pixelsDown = Figure::None(noScreen);
    }
    const char* noTile = "sem o tamanho do módulo";
    if (in.ledTileWidth && in.ledTileHeight && f.screenWidth > 0 && f.screenHeight > 0) {
        const double across = WholeDown(f.screenWidth / *in.ledTileWidth);
        const double down = WholeDown(f.screenHeight / *in.ledTileHeight);
        l.tilesAcross = Figure::Of(across);
        l.tilesDown = Figure::Of(down);
        // What is left is never below 0, nor a binary crumb of a whole fit.
        const auto rest = [](double size, double n, double tile) {
            const double r = size - n * tile;
            return r < 1e-9 ? 0.0 : r;
        };
        l.remainderAcross = Figure::Of(rest(f.screenWidth, across, *in.ledTileWidth));
        l.remainderDown = Figure::Of(rest(f.screenHeight, down, *in.ledTileHeight));
    } else {
        const char* why = in.ledTileWidth ? noScreen : noTile;
        l.tilesAcross = l.tilesDown = l.remainderAcross = l.remainderDown = Figure::None(why);
    }
    l.acuityDistance = kArcMinuteMetresPerMm * p;
    if (f.rows.empty()) {
        l.rowsCloserReason = f.rowsReason;
        l.largestPitchFirstRowMm = Figure::None(f.rowsReason);
    } else {
        std::vector<int> closer;
        for (const RowFigures& r : f.rows) {
            if (r.eyeDistance < l.acuityDistance) {
                closer.push_back(r.number);
            }
        }
        l.rowsCloser = closer;
        l.largestPitchFirstRowMm =
            Figure::Of(f.rows.front().eyeDistance / kArcMinuteMetresPerMm);
    }
    return l;
}

}  // namespace

bool SeesProjector(double eyeDistance, double eyeHeight, double lensDistance, double lensHeight,
                   double screenBottom, double screenTop, ViewRow* view) {
    if (!(lensDistance > 0) || !(eyeDistance > lensDistance)) {
        return false;  // the lens is not between the screen and the eyes
    }
    // The share of the way from the eyes to the screen that remains at the lens's distance.
    const double share = (eyeDistance - lensDistance) / eyeDistance;
    const double bottom = eyeHeight + (screenBottom - eyeHeight) * share;
    const double top = eyeHeight + (screenTop - eyeHeight) * share;
    if (view) {
        view->viewBottom = bottom;
        view->viewTop = top;
    }
    const double low = std::min(bottom, top);
    const double high = std::max(bottom, top);
    return low < lensHeight + kProjectorBodyHeight / 2 &&
           high > lensHeight - kProjectorBodyHeight / 2;
}

const ViewingCategory* CategoryOfContrast(double contrast) {
    const ViewingCategory* met = nullptr;
    for (const ViewingCategory& c : kViewingCategories) {
        if (contrast >= c.contrast) {
            met = &c;
        }
    }
    return met;
}

std::optional<double> RequiredLumens(double contrast, double lux, double area, double gain,
                                     double lensDerating, double ageingDerating) {
    const double divisor = gain * lensDerating * ageingDerating;
    if (!(divisor > 0)) {
        return std::nullopt;
    }
    return contrast * lux * area / divisor;
}

ProjectionFigures ComputeProjection(const DadosProjeto& p, const SightlineAnalysis& a,
                                    const ProjectionInputs& in) {
    ProjectionFigures f;
    f.inputs = in;
    f.category = CategoryOfContrast(in.contrast);
    f.screenTop = a.screenTop;
    f.screenBottom = a.screenBottom;
    f.screenWidth = a.screenWidth;
    f.screenHeight = a.screenHeight;
    f.roomLength = p.nComprimento;
    f.ceiling = p.nPeDireito;
    f.rows = a.rows;
    f.rowsReason = a.rowsReason;

    const struct {
        const char* key;
        const char* name;
        double width;
        double height;
    } images[] = {
        {"planned", "Planejada", a.screenWidth, a.screenHeight},
        {"G", "Detalhes", p.nLarguraG, p.nAlturaG},
        {"A", "Computador", p.nLarguraA, p.nAlturaA},
        {"F", "Vídeo", p.nLarguraF, p.nAlturaF},
    };
    if (!in.ambientLux) {
        f.brightnessReason = "sem a iluminação ambiente na tela";
    } else {
        const double lux = *in.ambientLux;
        const auto lumens = [&](double contrast, double area) {
            const std::optional<double> l = RequiredLumens(contrast, lux, area, in.gain,
                                                           in.lensDerating, in.ageingDerating);
            return l ? Figure::Of(*l) : Figure::None("o ganho ou um fator é 0");
        };
        for (const auto& image : images) {
            ImageBrightness b;
            b.key = image.key;
            b.name = image.name;
            b.width = image.width;
            b.height = image.height;
            b.area = image.width * image.height;
            b.lumens = lumens(in.contrast, b.area);
            b.lumensExact = lumens(in.contrast - 1, b.area);
            f.images.push_back(b);
        }
        const double plannedArea = a.screenWidth * a.screenHeight;
        for (const ViewingCategory& c : kViewingCategories) {
            f.categories.push_back(
                {&c, lumens(c.contrast, plannedArea), lumens(c.contrast - 1, plannedArea)});
        }
    }

    if (!in.throwRatioMin) {
        f.throwReason = "sem a razão de projeção da lente";
    } else if (!(a.screenWidth > 0)) {
        f.throwReason = "a imagem planejada não tem largura";
    } else {
        f.throwFigures = ComputeThrow(in, f);
    }

    if (!in.ledPitchMm) {
        f.ledReason = "sem o pitch do LED";
    } else {
        f.led = ComputeLed(in, f);
    }
    return f;
}

}  // namespace vm
