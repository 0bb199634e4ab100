#pragma once
// vistametra-report: starts like the program, optionally opens a project file, applies overrides,
// runs the calculation and prints or writes the results.

#include <functional>
#include <optional>
#include <string>

#include "core/dados_projeto.h"
#include "report/projection.h"
#include "report/wheelchair_positions.h"

namespace vm {

// What -o writes besides the report's own pages.
struct ReportFileOptions {
    bool analysis = false;   // the sightline analysis as pages after the report's (--analysis)
    double targetCmm = 90;   // the C-value the analysis designs the risers for (--target-c)
    bool staggered = false;  // seats alternate row by row (--staggered)
    double elementPercent = 4;  // DISCAS's smallest element, % of the image height
    int riserBlock = 0;         // rows per block of the grouped risers, 0 the best
    // The projector or LED wall: a page after the analysis's, a layer of the DXF drawing.
    std::optional<ProjectionInputs> projection;
    // The wheelchair spaces and the interpreter's window (--wheelchair, --interpreter...).
    AccessibilityInputs accessibility;
    // -o -: the one file written to standard output, "pdf", "svg" (every page in one SVG) or
    // "dxf".
    std::string streamFormat = "pdf";
};

// Writes the report of the calculated project to a file (-o); false with `error` set on failure.
using ReportFileWriter = std::function<bool(const DadosProjeto& p, const std::string& file,
                                            const ReportFileOptions& options, std::string& error)>;

// Runs the tool with the process's arguments; returns the exit code (0 success, 1 a file that
// cannot be read or written, 2 a bad command line). Without a writer, -o is refused.
int runReportTool(int argc, char** argv, const ReportFileWriter& writeReport = {});

}  // namespace vm
