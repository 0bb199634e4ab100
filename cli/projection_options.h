#pragma once
// The tool's options for the projector and the LED wall: --ambient-lux, --contrast, --gain,
// --lens-derating, --ageing-derating, --throw-ratio, --lens-offset, --lens-height,
// --throw-distance, --led-pitch and --led-tile.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "report/projection.h"

namespace vm {

// The options' texts as typed.
struct ProjectionOptionTexts {
    std::string ambientLux, contrast, gain, lensDerating, ageingDerating, throwRatio, lensOffset,
        lensHeight, throwDistance, ledPitch, ledTile;
};

void AddProjectionOptions(CLI::App& app, ProjectionOptionTexts& texts);

// `base` with the inputs the options give; nothing when none was given, or when one is wrong: then
// `error` names the option, its text and what it takes.
std::optional<ProjectionInputs> ParseProjectionOptions(const CLI::App& app,
                                                       const ProjectionOptionTexts& texts,
                                                       std::string& error,
                                                       const ProjectionInputs& base = {});

}  // namespace vm
