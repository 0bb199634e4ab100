#include "core/projection_inputs.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/field_limits.h"
#include "core/text.h"

namespace vm {

const std::vector<ProjectionInputLimit>& projectionInputLimits() {
    // The highest values lie far beyond any room (direct sunlight is about 100 000 lx) and keep
    // the figures finite.
    static const std::vector<ProjectionInputLimit> limits = {
        {"ambient-lux", "Iluminação ambiente na tela (lux)", 0, true, 200000},
        {"contrast", "Contraste (N:1)", 1, false, 100000},
        {"gain", "Ganho da tela", 0, false, 10},
        {"lens-derating", "Fator da lente", 0, false, 1},
        {"ageing-derating", "Fator de envelhecimento", 0, false, 1},
        {"throw-ratio", "Razão de projeção", 0, false, 50},
        {"lens-offset", "Deslocamento da lente (alturas da imagem)", -10, true, 10},
        {"lens-height", "Altura da lente (m)", -100, true, 1000},
        {"throw-distance", "Distância da lente (m)", 0, false, 1000},
        {"led-pitch", "Pitch do LED (mm)", 0, false, 100},
        {"led-tile", "Módulo do LED (m)", 0, false, 100},
    };
    return limits;
}

const ProjectionInputLimit& projectionInputLimit(const char* key) {
    for (const ProjectionInputLimit& limit : projectionInputLimits()) {
        if (std::string(key) == limit.key) {
            return limit;
        }
    }
    return projectionInputLimits().front();
}

bool WithinLimit(const ProjectionInputLimit& limit, double value) {
    // Written so that a NaN lies outside; a subnormal gain or pitch would make the figures
    // divided by it infinite.
    const bool aboveLowest = limit.lowestIncluded ? value >= limit.lowest : value > limit.lowest;
    return aboveLowest && value <= limit.highest && FitsANumberField(value);
}

std::string LimitInWords(const ProjectionInputLimit& limit, char decimalMark) {
    const auto number = [decimalMark](double v) {
        std::string s = AllTrim(Str(v, 40, v == std::floor(v) ? 0 : 2));
        std::replace(s.begin(), s.end(), '.', decimalMark);
        return s;
    };
    return (limit.lowestIncluded ? "de " + number(limit.lowest) + " a "
                                 : "maior que " + number(limit.lowest) + ", até ") +
           number(limit.highest);
}

std::optional<double> ProjectionNumberFromText(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    if (!IsNumberText(text)) {
        return std::nullopt;
    }
    const double value = Val(text);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string CheckProjectionInputs(const ProjectionInputs& in) {
    const auto check = [](const char* key, const std::optional<double>& value) -> std::string {
        const ProjectionInputLimit& limit = projectionInputLimit(key);
        if (value && !WithinLimit(limit, *value)) {
            return std::string(limit.label) + ": " + LimitInWords(limit);
        }
        return {};
    };
    const std::pair<const char*, std::optional<double>> values[] = {
        {"ambient-lux", in.ambientLux},       {"contrast", in.contrast},
        {"gain", in.gain},                    {"lens-derating", in.lensDerating},
        {"ageing-derating", in.ageingDerating}, {"throw-ratio", in.throwRatioMin},
        {"throw-ratio", in.throwRatioMax},    {"lens-offset", in.lensOffset},
        {"lens-height", in.lensHeight},       {"throw-distance", in.throwDistance},
        {"led-pitch", in.ledPitchMm},         {"led-tile", in.ledTileWidth},
        {"led-tile", in.ledTileHeight},
    };
    for (const auto& [key, value] : values) {
        std::string why = check(key, value);
        if (!why.empty()) {
            return why;
        }
    }
    if (in.throwRatioMin && in.throwRatioMax && *in.throwRatioMax < *in.throwRatioMin) {
        return std::string(projectionInputLimit("throw-ratio").label) +
               ": a máxima é menor que a mínima";
    }
    return {};
}

bool HasProjectionInputs(const ProjectionInputs& in) {
    const ProjectionInputs fresh;
    return in.given || in.ambientLux || in.throwRatioMin || in.throwRatioMax || in.lensHeight ||
           in.throwDistance || in.ledPitchMm || in.ledTileWidth || in.ledTileHeight ||
           in.contrast != fresh.contrast || in.gain != fresh.gain ||
           in.lensDerating != fresh.lensDerating || in.ageingDerating != fresh.ageingDerating ||
           in.lensOffset != fresh.lensOffset;
}

}  // namespace vm
