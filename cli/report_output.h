#pragma once
// Writing the calculation report of a project to a file, for vistametra-report -o.

#include <string>

#include "cli/report_tool.h"
#include "core/dados_projeto.h"

namespace vm {

// Builds the report's pages with the program's own page-building code and writes them by the
// file's extension (any case): ".pdf" one A4 PDF with every page and its fonts embedded; ".svg"
// and ".png" one file per page and ".emf" the page files themselves, each named with the suffix
// _0001, _0002... before the extension; ".dxf" the section and the plan for CAD, drawn for
// options.targetCmm. With options.analysis the sightline analysis's pages
// follow the report's, numbered on. `file` "-" writes the one file of options.streamFormat
// to standard output instead. Returns false with `error` set when a page or the file
// cannot be written. Needs a QGuiApplication.
bool writeReportFile(const DadosProjeto& p, const std::string& file,
                     const ReportFileOptions& options, std::string& error);

}  // namespace vm
