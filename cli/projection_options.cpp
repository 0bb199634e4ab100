#include "cli/projection_options.h"

#include <algorithm>
#include <cctype>

#include "core/ascii.h"

namespace vm {

namespace {

// Two numbers "AxB" (or "A:B"); nothing when the text is anything else.
std::optional<std::pair<double, double>> Pair(const std::string& text, const std::string& marks) {
    const size_t at = text.find_first_of(marks);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const auto a = ProjectionNumberFromText(text.substr(0, at));
    const auto b = ProjectionNumberFromText(text.substr(at + 1));
    if (!a || !b) {
        return std::nullopt;
    }
    return std::make_pair(*a, *b);
}

}  // namespace

void AddProjectionOptions(CLI::App& app, ProjectionOptionTexts& t) {
    const auto add = [&app](const char* name, std::string& text, const char* type,
                            const char* help) {
        app.add_option(name, text, help)->type_name(type);
    };
    add("--ambient-lux", t.ambientLux, "LUX",
        "projector: the ambient light on the screen in lux (vertical illuminance), 0 or more");
    add("--contrast", t.contrast, "N",
        "projector: the contrast ratio N:1 the image must keep (default 15; 7 passive viewing, 15 "
        "basic decision making, 50 analytical decision making, 80 full-motion video; the names "
        "passive, basic, analytical and video are taken too)");
    add("--gain", t.gain, "G", "projector: the screen gain (default 1)");
    add("--lens-derating", t.lensDerating, "D",
        "projector: the lens's derating, above 0 up to 1 (default 1; 0.8 for a short or long "
        "throw lens)");
    add("--ageing-derating", t.ageingDerating, "D",
        "projector: the lamp's ageing derating, above 0 up to 1 (default 0.75)");
    add("--throw-ratio", t.throwRatio, "MIN[:MAX]",
        "projector: the lens's throw ratio, distance / image width (a zoom lens: its range)");
    add("--lens-offset", t.lensOffset, "SHARE",
        "projector: the lens centre's height above the image's bottom edge in image heights "
        "(default 1: level with the top edge; 0.5 the centre; \"50%\" is taken too)");
    add("--lens-height", t.lensHeight, "M",
        "projector: the lens centre's height above the floor in metres, instead of --lens-offset");
    add("--throw-distance", t.throwDistance, "M",
        "projector: where the lens stands, metres from the screen (default the shortest throw)");
    add("--led-pitch", t.ledPitch, "MM", "LED wall: the pixel pitch in millimetres");
    add("--led-tile", t.ledTile, "WxH", "LED wall: the size of one tile in metres, as 0.5x0.5");
}

std::optional<ProjectionInputs> ParseProjectionOptions(const CLI::App& app,
                                                       const ProjectionOptionTexts& t,
                                                       std::string& error,
                                                       const ProjectionInputs& base) {
    ProjectionInputs in = base;
    bool any = false;
    const auto bad = [&error](const char* option, const std::string& text, const std::string& why) {
        error = std::string(option) + " " + text + ": " + why;
        return std::nullopt;
    };
    // One number option: the value of `text` into `target`, checked against its limit; an error
    // shows the text as typed.
    const auto number = [&](const char* option, const char* key, const std::string& typed,
                            const std::string& text, auto& target) -> bool {
        if (app.count(option) == 0) {
            return true;
        }
        any = true;
        const ProjectionInputLimit& limit = projectionInputLimit(key);
        const std::optional<double> value = ProjectionNumberFromText(text);
        if (!value || !WithinLimit(limit, *value)) {
            error =
                std::string(option) + " " + typed + ": " + limit.label + ": " + LimitInWords(limit);
            return false;
        }
        target = *value;
        return true;
    };
    const auto plain = [&](const char* option, const char* key, const std::string& text,
                           auto& target) { return number(option, key, text, text, target); };

    // The contrast as N, N:1 or a category's name.
    std::string contrast = AsciiLower(t.contrast);
    for (const ViewingCategory& c : kViewingCategories) {
        if (contrast == c.key) {
            contrast = std::to_string(static_cast<int>(c.contrast));
        }
    }
    if (contrast.size() > 2 && contrast.compare(contrast.size() - 2, 2, ":1") == 0) {
        contrast.resize(contrast.size() - 2);
    }
    if (!plain("--ambient-lux", "ambient-lux", t.ambientLux, in.ambientLux) ||
        !number("--contrast", "contrast", t.contrast, contrast, in.contrast) ||
        !plain("--gain", "gain", t.gain, in.gain) ||
        !plain("--lens-derating", "lens-derating", t.lensDerating, in.lensDerating) ||
        !plain("--ageing-derating", "ageing-derating", t.ageingDerating, in.ageingDerating) ||
        !plain("--lens-height", "lens-height", t.lensHeight, in.lensHeight) ||
        !plain("--throw-distance", "throw-distance", t.throwDistance, in.throwDistance) ||
        !plain("--led-pitch", "led-pitch", t.ledPitch, in.ledPitchMm)) {
        return std::nullopt;
    }
    if (app.count("--lens-offset") > 0) {
        std::string text = t.lensOffset;
        const bool percent = !text.empty() && text.back() == '%';
        if (percent) {
            text.pop_back();
        }
        const std::optional<double> value = ProjectionNumberFromText(text);
        const ProjectionInputLimit& limit = projectionInputLimit("lens-offset");
        const double share = value ? (percent ? *value / 100 : *value) : 0;
        if (!value || !WithinLimit(limit, share)) {
            return bad("--lens-offset", t.lensOffset,
                       std::string(limit.label) + ": " + LimitInWords(limit));
        }
        any = true;
        in.lensOffset = share;
    }
    if (app.count("--throw-ratio") > 0) {
        any = true;
        const ProjectionInputLimit& limit = projectionInputLimit("throw-ratio");
        const std::string range = std::string(limit.label) + ": " + LimitInWords(limit);
        if (const auto pair = Pair(t.throwRatio, ":")) {
            if (!WithinLimit(limit, pair->first) || !WithinLimit(limit, pair->second)) {
                return bad("--throw-ratio", t.throwRatio, range);
            }
            if (pair->second < pair->first) {
                return bad("--throw-ratio", t.throwRatio, "MAX is less than MIN");
            }
            in.throwRatioMin = pair->first;
            in.throwRatioMax = pair->second;
        } else {
            const std::optional<double> value = ProjectionNumberFromText(t.throwRatio);
            if (!value || !WithinLimit(limit, *value)) {
                return bad("--throw-ratio", t.throwRatio, range);
            }
            in.throwRatioMin = in.throwRatioMax = *value;
        }
    }
    if (app.count("--led-tile") > 0) {
        any = true;
        const ProjectionInputLimit& limit = projectionInputLimit("led-tile");
        const auto pair = Pair(AsciiLower(t.ledTile), "x");
        if (!pair || !WithinLimit(limit, pair->first) || !WithinLimit(limit, pair->second)) {
            return bad("--led-tile", t.ledTile,
                       std::string(limit.label) + ": WxH, cada um " + LimitInWords(limit));
        }
        in.ledTileWidth = pair->first;
        in.ledTileHeight = pair->second;
    }
    if (!any) {
        error.clear();
        return std::nullopt;
    }
    // An option that names its default is an input given all the same.
    in.given = true;
    return in;
}

}  // namespace vm
