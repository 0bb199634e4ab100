#include "cli/tool_request.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>
#include <utility>

#include "cli/accessibility_options.h"
#include "cli/command_line.h"
#include "cli/output_target.h"
#include "cli/projection_options.h"
#include "cli/set_value.h"
#include "cli/several_projects.h"
#include "core/ascii.h"
#include "pagefile/page_set.h"
#include "report/grouped_risers.h"
#include "report/projection_output.h"
#include "report/sightline_analysis.h"
#include "report/sightline_analysis_output.h"

namespace vm {
namespace {

const char* const kDescription =
    "vistametra-report: sizes the projection screen of a room as Vistametra does, without a "
    "window.\n"
    "It starts like the program (the default project with today's date and its calculation), "
    "then opens PROJECT.qtv when one is named, applies every --set in order, runs the calculation "
    "once more and prints the result.\n";

// The input fields' names, as the project's field table has them: "cProjeto cData ... nTelaF".
std::string InputFieldNames() {
    std::string names;
    for (const ProjectField& f : projectFields()) {
        if (f.input) {
            names += (names.empty() ? "" : " ") + std::string(f.name);
        }
    }
    return names;
}

// After the list of the fields for --set.
const char* const kFooter =
    "Numbers are written with digits and at most one \".\" as the decimal point (3.5, not 3,5), "
    "cData as a real dd/mm/yy date, the flags nTelaG/nTelaA/nTelaF are true only for text that "
    "begins with \"T\", texts unchanged (characters that Windows-1252 holds); any other value "
    "is refused with exit code 2. No length, count or size may be negative, and nComprimento, "
    "nLargura, nPeDireito, nDistOlhos1 and nAlturaOlhos1 must be more than 0.\n\n"
    "--summary (the default) prints the main window's three result lines (detail, computer, "
    "video).\n"
    "--json prints one object with every input field and every result by its record name: "
    "numbers as numbers (the counts nNumeroFilas, nImagemLargura, nImagemAltura and nAspecto as "
    "integers when they are whole), cData as its dd/mm/yy text, the flags as true/false, texts in "
    "UTF-8; \"file\" holds the project file's path when one was opened; \"warnings\" is always "
    "there, a list of texts in Portuguese ([] when none): fields outside their range, rows beyond "
    "the back wall, the planned image's top above the ceiling or its bottom below the last row's "
    "eyes, a minimum image that does not fit under the ceiling, risers that lift the last row's "
    "eyes to the ceiling.\n"
    "A project file opens as written: values that describe no room give a warning on standard "
    "error naming each field, and with -o nothing is written (exit code 1).\n"
    "--jsonl prints the same object on one line, written at once, so that the output of runs in "
    "parallel (xargs -P) can be joined line by line.\n"
    "With --summary as well, the JSON follows the summary.\n"
    "Several project files are each opened in turn from the default project, with the same --set "
    "values and options, and printed with --jsonl (a line each) or --json (one array), each "
    "object with its \"file\"; a file that cannot be read is named on standard error and gives "
    "exit code 1, the others are still done. --save, -o and --summary take one project file.\n\n";

// After the description of the analysis.
const char* const kFooterEnd =
    "\nExit codes: 0 success; 1 a file that cannot be read or written (also a file that holds no "
    "project field, a folder, a FIFO, a device, a file over 1 MiB, and output that did not all "
    "reach standard output); 2 a bad command line (also an empty file name).\n\n"
    "Examples:\n"
    "  vistametra-report\n"
    "  vistametra-report --set nComprimento=20 --set nNumeroFilas=12 --json\n"
    "  vistametra-report Sala_Calculo_Tela.qtv --set cProjeto=SALA2 --save SALA2.qtv\n"
    "  vistametra-report --set nNumeroFilas=12 -o relatorio.pdf\n"
    "  vistametra-report --save - | ssh obra vistametra-report - -o - > sala.pdf\n"
    "  vistametra-report salas/*.qtv --set nAlturaFila2=0.35 --jsonl > salas.jsonl\n"
    "  vistametra-report --set nAlturaFila2=0.35 --analysis\n"
    "  vistametra-report --analysis --target-c 120 -o relatorio.pdf\n";

// A whole number written with digits only ("4"); nothing for "3.5", "4x", "" or one too large
// for an int.
std::optional<int> WholeNumberFromText(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [last, fault] = std::from_chars(text.data(), end, value);
    if (text.empty() || !(text.front() >= '0' && text.front() <= '9') || fault != std::errc() ||
        last != end) {
        return std::nullopt;
    }
    return value;
}

// The parser and the texts its options fill.
struct Parser {
    CLI::App app{kDescription, "vistametra-report"};
    ProjectionOptionTexts projectionTexts;
    AccessibilityOptionTexts accessibilityTexts;
};

}  // namespace

std::optional<int> ReadToolRequest(int argc, char** argv, bool writesPages, ProjectRequest* out) {
    // The options' texts are read again for each project file's projector inputs, after this
    // function: the parser lives on with the request.
    const auto parser = std::make_shared<Parser>();
    CLI::App& app = parser->app;
    ProjectionOptionTexts& projectionTexts = parser->projectionTexts;
    AccessibilityOptionTexts& accessibilityTexts = parser->accessibilityTexts;
    app.formatter(WrappingFormatter(HelpColumns()));
    app.footer("Fields for --set (case ignored): " + InputFieldNames() + ".\n" + kFooter +
               kAnalysisJsonHelp + "\n" + kProjectionJsonHelp + kFooterEnd);
    std::vector<std::string> projectFiles;
    std::vector<std::string> sets;
    bool summary = false;
    bool json = false;
    bool jsonLines = false;
    bool version = false;
    bool analysis = false;
    std::string targetC;
    bool staggered = false;
    std::string elementHeight;
    std::string riserBlockText;
    std::string saveFile;
    std::string reportFile;
    std::string streamFormat;
    app.add_option("PROJECT.qtv", projectFiles,
                   "project file to open (\"-\": read from standard input); several are each "
                   "opened in turn, with --json or --jsonl");
    // Each --set takes exactly one value: the words after it are project files
    // (`xargs vistametra-report --set X=1` hands them on).
    app.add_option("--set", sets,
                   "FIELD=VALUE: set an input field (one each time; repeatable, applied in order)")
        ->type_name("FIELD=VALUE")
        ->allow_extra_args(false);
    app.add_flag("--summary", summary, "print the three result lines (the default)");
    app.add_flag("--json", json, "print every field and result as one JSON object");
    app.add_flag("--jsonl", jsonLines, "as --json, on one line");
    app.add_flag("--analysis", analysis,
                 "print the seat-by-seat sightline analysis (with --json: under \"analysis\"; "
                 "with -o: as pages after the report's)");
    app.add_option("--target-c", targetC,
                   "the C-value in millimetres (1 to 300) that the analysis designs the risers "
                   "for (default 90); needs --analysis or a .dxf output")
        ->type_name("MM");
    app.add_flag("--staggered", staggered,
                 "the analysis with staggered seats: each row graded by C2, over the row two "
                 "ahead; needs --analysis or a .dxf output");
    app.add_option("--element-height", elementHeight,
                   "DISCAS: the content's smallest element as a percentage of the image height "
                   "(above 0 up to 100; default 4, the share the divisor 8 implies); needs "
                   "--analysis")
        ->type_name("PERCENT");
    app.add_option("--riser-block", riserBlockText,
                   "the rows in each block of the grouped risers the analysis proposes (3 to 5; "
                   "default the best of them); needs --analysis or a .dxf output")
        ->type_name("K");
    app.add_option("--save", saveFile,
                   "write the project file after the calculation (\"-\": to standard output)")
        ->type_name("FILE.qtv");
    app.add_option("-o,--output", reportFile,
                   "write the calculation report: .pdf (one file), .svg, .png or .emf (one file "
                   "a page, suffixes _0001, _0002...); or .dxf: the section and the plan for "
                   "CAD, at 1:1 in metres; \"-\": one file to standard output, as --format says")
        ->type_name("FILE");
    app.add_option("--format", streamFormat,
                   "the file -o - writes to standard output: pdf (the default), svg (every page "
                   "in one SVG, one under the other) or dxf")
        ->type_name("pdf|svg|dxf");
    AddProjectionOptions(app, projectionTexts);
    AddAccessibilityOptions(app, accessibilityTexts);
    app.add_flag("--version", version, "print the version and end");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return FinishStandardOutput(0);
    } catch (const CLI::ParseError& e) {
        std::cerr << "vistametra-report: " << e.what() << " (see --help)\n";
        return 2;
    }
    if (version) {
        std::cout << VersionLine("vistametra-report") << "\n";
        return FinishStandardOutput(0);
    }
    json = json || jsonLines;
    for (const char* name : {"--save", "--output"}) {
        const CLI::Option* option = app.get_option(name);
        if (option->count() > 0 && option->as<std::string>().empty()) {
            std::cerr << "vistametra-report: " << name << ": an empty file name\n";
            return 2;
        }
    }
    if (std::find(projectFiles.begin(), projectFiles.end(), "") != projectFiles.end()) {
        std::cerr << "vistametra-report: the project file: an empty file name\n";
        return 2;
    }
    if (std::count_if(projectFiles.begin(), projectFiles.end(), IsStandardInput) > 1) {
        std::cerr << "vistametra-report: standard input (\"-\") holds one project only\n";
        return 2;
    }
    // -o - and --save - take standard output for themselves.
    if (const std::string refused =
            StandardOutputRefusal({.report = reportFile,
                                   .save = saveFile,
                                   .format = streamFormat,
                                   .formatGiven = app.count("--format") > 0,
                                   .summary = summary,
                                   .json = json,
                                   .analysisTable = analysis && reportFile.empty(),
                                   .pages = writesPages});
        !refused.empty()) {
        std::cerr << "vistametra-report: " << refused << "\n";
        return 2;
    }
    const std::string reportFormat = IsStandardOutput(reportFile)
                                         ? (streamFormat.empty() ? "pdf" : AsciiLower(streamFormat))
                                         : SuffixOf(reportFile);
    if (const std::string refused =
            SeveralProjectsRefusal(projectFiles.size(), {.save = !saveFile.empty(),
                                                         .report = !reportFile.empty(),
                                                         .summary = summary,
                                                         .json = json});
        !refused.empty()) {
        std::cerr << "vistametra-report: " << refused << "\n";
        return 2;
    }

    double targetCmm = kDefaultTargetCmm;
    if (app.count("--target-c") > 0) {
        const std::optional<double> value = TargetCFromText(targetC);
        if (!value) {
            std::cerr << "vistametra-report: --target-c " << targetC
                      << ": expected millimetres from 1 to 300\n";
            return 2;
        }
        // Without the analysis or a drawing nothing uses the target: refuse it, not ignore it.
        if (!analysis && reportFormat != "dxf") {
            std::cerr << "vistametra-report: --target-c needs --analysis or a .dxf output\n";
            return 2;
        }
        targetCmm = *value;
    }
    double elementPercent = kDefaultElementPercent;
    if (app.count("--element-height") > 0) {
        const std::optional<double> value = ElementPercentFromText(elementHeight);
        if (!value) {
            std::cerr << "vistametra-report: --element-height " << elementHeight
                      << ": expected a percentage above 0 up to 100\n";
            return 2;
        }
        if (!analysis) {
            std::cerr << "vistametra-report: --element-height needs --analysis\n";
            return 2;
        }
        elementPercent = *value;
    }
    int riserBlock = 0;
    if (app.count("--riser-block") > 0) {
        const std::optional<int> rows = WholeNumberFromText(riserBlockText);
        if (!rows || *rows < kMinRiserBlock || *rows > kMaxRiserBlock) {
            std::cerr << "vistametra-report: --riser-block " << riserBlockText
                      << ": expected a whole number of rows from " << kMinRiserBlock << " to "
                      << kMaxRiserBlock << "\n";
            return 2;
        }
        if (!analysis && reportFormat != "dxf") {
            std::cerr << "vistametra-report: --riser-block needs --analysis or a .dxf output\n";
            return 2;
        }
        riserBlock = *rows;
    }
    if (staggered && !analysis && reportFormat != "dxf") {
        std::cerr << "vistametra-report: --staggered needs --analysis or a .dxf output\n";
        return 2;
    }

    AccessibilityInputs accessibility;
    if (HasAccessibilityOptions(app)) {
        std::string error;
        if (!ParseAccessibilityOptions(app, accessibilityTexts, accessibility, &error)) {
            std::cerr << "vistametra-report: " << error << "\n";
            return 2;
        }
        if (!analysis && reportFormat != "dxf") {
            std::cerr << "vistametra-report: --wheelchair, --wheelchair-platform and --interpreter "
                         "need --analysis or a .dxf output\n";
            return 2;
        }
    }

    std::string projectionError;
    ParseProjectionOptions(app, projectionTexts, projectionError);
    if (!projectionError.empty()) {
        std::cerr << "vistametra-report: " << projectionError << "\n";
        return 2;
    }

    // Nothing is written before every output is known to be writable by its suffix.
    if (!reportFile.empty() && !IsStandardOutput(reportFile) &&
        !(writesPages ? CanSavePagesAs(reportFile, {{"dxf", "DXF", {}}})
                      : SuffixOf(reportFile) == "dxf")) {
        std::cerr << "vistametra-report: -o " << reportFile << ": the report is written as "
                  << (writesPages ? ".pdf, .svg, .png, .emf or .dxf" : ".dxf (this build)") << "\n";
        return 2;
    }

    // Check the overrides before anything runs.
    ProjectRequest request{.summary = summary,
                           .json = json,
                           .jsonLines = jsonLines,
                           .analysis = analysis,
                           .staggered = staggered,
                           .targetCmm = targetCmm,
                           .elementPercent = elementPercent,
                           .riserBlock = riserBlock,
                           .accessibility = accessibility,
                           .wheelchairOptions = WheelchairOptionTexts(accessibilityTexts),
                           .saveFile = saveFile,
                           .reportFile = reportFile,
                           .reportFormat = reportFormat,
                           .several = projectFiles.size() > 1};
    for (const std::string& set : sets) {
        const auto eq = set.find('=');
        const std::string name = set.substr(0, eq);
        if (eq == std::string::npos) {
            std::cerr << "vistametra-report: --set " << set << ": expected FIELD=VALUE\n";
            return 2;
        }
        const ProjectField* field = findProjectField(name);
        if (!field) {
            std::cerr << "vistametra-report: --set: unknown field \"" << name << "\"\n";
            return 2;
        }
        if (!field->input) {
            std::cerr << "vistametra-report: --set: \"" << field->name
                      << "\" is a result of the calculation, not an input field\n";
            return 2;
        }
        const std::string value = set.substr(eq + 1);
        std::string held;
        const std::string refused = CheckSetValue(*field, value, held);
        if (!refused.empty()) {
            std::cerr << "vistametra-report: --set " << field->name << "=" << value << ": \""
                      << value << "\" " << refused << "\n";
            return 2;
        }
        request.overrides.push_back({field, held});
    }
    // The options go over each project file's own projector inputs.
    request.projectionOver = [parser](const ProjectionInputs& base) {
        std::string ignored;
        return ParseProjectionOptions(parser->app, parser->projectionTexts, ignored, base);
    };
    request.projectFiles = projectFiles;
    *out = std::move(request);
    return std::nullopt;
}

}  // namespace vm
