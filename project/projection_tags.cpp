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
    std::optional<double> ProjectionInputs::*optional;
    double ProjectionInputs::*plain;
};

const ProjectionTag kProjectionTags[] = {
    {"ProjIluminacao", &ProjectionInputs::ambientLux, nullptr},
    {"ProjContraste", nullptr, &ProjectionInputs::contrast},
    {"ProjGanho", nullptr, &ProjectionInputs::gain},
    {"ProjFatorLente", nullptr, &ProjectionInputs::lensDerating},
    {"ProjFatorLampada", nullptr, &ProjectionInputs::ageingDerating},
    {"ProjRazaoMin", &ProjectionInputs::throwRatioMin, nullptr},
    {"ProjRazaoMax", &ProjectionInputs::throwRatioMax, nullptr},
    {"ProjDeslocLente", nullptr, &ProjectionInputs::lensOffset},
    {"ProjAlturaLente", &ProjectionInputs::lensHeight, nullptr},
    {"ProjDistLente", &ProjectionInputs::throwDistance, nullptr},
    {"LedPitch", &ProjectionInputs::ledPitchMm, nullptr},
    {"LedModuloLargura", &ProjectionInputs::ledTileWidth, nullptr},
    {"LedModuloAltura", &ProjectionInputs::ledTileHeight, nullptr},
};

const char* const kGroup = "projecao";

// The shortest text that reads back as the same number, with "." before the decimals.
std::string Exact(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
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
    ProjectionInputs in;
    const std::string group = CampoXml(text, std::string("<") + kGroup + ">",
                                       std::string("</") + kGroup + ">");
    for (const ProjectionTag& tag : kProjectionTags) {
        const std::string open = std::string("<") + tag.name + ">";
        const std::string value = CampoXml(group, open, std::string("</") + tag.name + ">");
        if (!IsNumberText(value)) {
            continue;  // absent or not a number: the input keeps its default
        }
        const double number = Val(value);
        if (!std::isfinite(number)) {
            continue;
        }
        if (tag.optional) {
            in.*tag.optional = number;
        } else {
            in.*tag.plain = number;
        }
    }
    // Values a hand-edited file holds outside their limits are dropped as a whole: the planner
    // sees the defaults rather than figures nobody could have typed.
    if (!CheckProjectionInputs(in).empty()) {
        return {};
    }
    return in;
}

}  // namespace vm
