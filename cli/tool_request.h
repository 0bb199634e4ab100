#pragma once
// vistametra-report's command line, read and checked into one request: what every project of the
// run gets. Nothing runs and nothing is written before the whole command line is known to be
// good.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/project_fields.h"
#include "report/projection.h"
#include "report/wheelchair_positions.h"

namespace vm {

// One --set, checked: the field and the value as the project holds it.
struct Override {
    const ProjectField* field;
    std::string value;
};

// What every project of a run gets: the overrides in order, and the outputs asked for.
struct ProjectRequest {
    std::vector<std::string> projectFiles;  // none: the default project
    std::vector<Override> overrides;
    bool summary = false;
    bool json = false;
    bool jsonLines = false;
    bool analysis = false;
    bool staggered = false;
    double targetCmm = kDefaultTargetCmm;
    double elementPercent = kDefaultElementPercent;
    int riserBlock = 0;
    AccessibilityInputs accessibility;  // the wheelchair spaces and the interpreter's window
    // Each of accessibility.wheelchairs as typed, its option first ("--wheelchair 3:left").
    std::vector<std::string> wheelchairOptions;
    std::string saveFile;
    std::string reportFile;
    std::string reportFormat;  // the suffix of reportFile, or --format for -o -
    bool several = false;      // more than one project file: each message names its file
    // The projector inputs of the options over a project's own; nothing when no option gives one.
    std::function<std::optional<ProjectionInputs>(const ProjectionInputs&)> projectionOver;
};

// Reads the command line into *out. Returns nothing when the run goes on; else the exit code it
// ends with: 0 after --help or --version (printed on standard output), 2 after a bad command
// line (one line on standard error). `writesPages`: the build writes the report's pages (PDF,
// SVG, PNG, EMF), not only the DXF.
std::optional<int> ReadToolRequest(int argc, char** argv, bool writesPages, ProjectRequest* out);

}  // namespace vm
