#include <charconv>
#include <cmath>

#include "core/text.h"
#include "project/project_file.h"

namespace vm {

namespace {

const char* const kCrLf = "\r\n";

// Each input by its tag, between the record's fields and the end of the file. No tag holds one of
// the 22 fields' tags, so a reader that knows only those finds them as before.
struct ProjectionTag {
    const char* name;
    const char* limit;  // the input's limit (core/projection_inputs.h)
    std::optional<double> ProjectionInputs::*optional;
    double ProjectionInputs::*plain;
};

const ProjectionTag kProjectionTags[] = {
    {"ProjIluminacao", "ambient-lux", &ProjectionInputs::ambientLux, nullptr},
    {"ProjContraste", "contrast", nullptr, &ProjectionInputs::contrast},
    {"ProjGanho", "gain", nullptr, &ProjectionInputs::gain},
    {"ProjFatorLente", "lens-derating", nullptr, &ProjectionInputs::lensDerating},
    {"ProjFatorLampada", "ageing-derating", nullptr, &ProjectionInputs::ageingDerating},
    {"ProjRazaoMin", "throw-ratio", &ProjectionInputs::throwRatioMin, nullptr},
    {"ProjRazaoMax", "throw-ratio", &ProjectionInputs::throwRatioMax, nullptr},
    {"ProjDeslocLente", "lens-offset", nullptr, &ProjectionInputs::lensOffset},
    {"ProjAlturaLente", "lens-height", &ProjectionInputs::lensHeight, nullptr},
    {"ProjDistLente", "throw-distance", &ProjectionInputs::throwDistance, nullptr},
    {"LedPitch", "led-pitch", &ProjectionInputs::ledPitchMm, nullptr},
    {"LedModuloLargura", "led-tile", &ProjectionInputs::ledTileWidth, nullptr},
    {"LedModuloAltura", "led-tile", &ProjectionInputs::ledTileHeight, nullptr},
};

const char* const kGroup = "projecao";

// The shortest text that reads back as the same number, in digits with "." before the decimals
// (never "1e-05", which the reader takes for no number): the smallest value an input holds, some
// 2.2e-308, takes about 330 characters.
std::string Exact(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return "";  // beyond every input's limit: the reader keeps the default
    }
    return std::string(buffer, static_cast<size_t>(result.ptr - buffer));
}

}  // namespace

std::string ProjectionTagsText(const ProjectionInputs& in) {
    if (!HasProjectionInputs(in)) {
        return "";
    }
    std::string text = std::string("<") + kGroup + ">" + kCrLf;
    for (const ProjectionTag& tag : kProjectionTags) {
        const std::optional<double> value =
            tag.optional ? in.*tag.optional : std::optional<double>(in.*tag.plain);
        if (value) {
            text += std::string("<") + tag.name + ">" + Exact(*value) + "</" + tag.name + ">" +
                    kCrLf;
        }
    }
    text += std::string("</") + kGroup + ">" + kCrLf;
    return text;
}

ProjectionInputs LerProjecao(std::string_view text) {
    // What a hand-edited file holds outside an input's limits is left out, input by input.
    ProjectionInputs in;
    // The group stands after the fields: the same tags inside a field's value (a project's name
    // may hold any text) are that field's text.
    const std::string group = CampoXml(text.substr(EndOfFields(text)),
                                       std::string("<") + kGroup + ">",
                                       std::string("</") + kGroup + ">");
    in.given = !group.empty();
    for (const ProjectionTag& tag : kProjectionTags) {
        const std::string open = std::string("<") + tag.name + ">";
        const std::string value = CampoXml(group, open, std::string("</") + tag.name + ">");
        if (!IsNumberText(value)) {
            continue;  // absent or not a number: the input keeps its default
        }
        const double number = Val(value);
        if (!WithinLimit(projectionInputLimit(tag.limit), number)) {
            continue;  // a value no one could have typed: the input keeps its default
        }
        if (tag.optional) {
            in.*tag.optional = number;
        } else {
            in.*tag.plain = number;
        }
    }
    if (in.throwRatioMin && in.throwRatioMax && *in.throwRatioMax < *in.throwRatioMin) {
        in.throwRatioMax.reset();
    }
    return in;
}

}  // namespace vm
