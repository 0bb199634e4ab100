#include "cli/report_tool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/accessibility_options.h"
#include "cli/command_line.h"
#include "cli/output_target.h"
#include "cli/projection_options.h"
#include "cli/set_value.h"
#include "cli/several_projects.h"
#include "cli/values_outside_limits.h"
#include "core/ascii.h"
#include "core/atomic_file.h"
#include "core/calculo.h"
#include "core/plausibility.h"
#include "core/project_fields.h"
#include "core/result_line.h"
#include "core/text.h"
#include "core/win1252.h"
#include "pagefile/page_set.h"
#include "project/project_file.h"
#include "report/dxf_file.h"
#include "report/projection_output.h"
#include "report/sightline_analysis.h"
#include "report/sightline_analysis_output.h"
#include "runtime/startup.h"

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

// Counts that the form and the project file hold as whole numbers.
bool isCount(const ProjectField& f) {
    const std::string name = f.name;
    return name == "nNumeroFilas" || name == "nImagemLargura" || name == "nImagemAltura" ||
           name == "nAspecto";
}

nlohmann::ordered_json numberJson(const ProjectField& f, double value) {
    double whole = 0;
    if (isCount(f) && std::modf(value, &whole) == 0 && std::fabs(whole) < 9e15) {
        return static_cast<long long>(whole);
    }
    return value;
}

// The JSON's layout: a reader that knows schema 1 reads every key this tool writes today; a key
// that changes its meaning or goes away comes with another number.
constexpr int kJsonSchema = 1;

// The date as ISO 8601 "2026-12-11", or null for the empty date.
nlohmann::ordered_json isoDateJson(const Date& date) {
    if (date.isEmpty()) {
        return nullptr;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

nlohmann::ordered_json projectJson(const DadosProjeto& p, const std::string& file) {
    nlohmann::ordered_json json;
    json["schema"] = kJsonSchema;
    if (!file.empty()) {
        json["file"] = file;
    }
    for (const ProjectField& f : projectFields()) {
        switch (f.kind) {
            case FieldKind::Text:
                json[f.name] = win1252ToUtf8(p.*f.text);
                break;
            case FieldKind::Date:
                json[f.name] = DToC(p.*f.date);
                json[std::string(f.name) + "_iso"] = isoDateJson(p.*f.date);
                break;
            case FieldKind::Number:
                json[f.name] = numberJson(f, p.*f.number);
                break;
            case FieldKind::Logical:
                json[f.name] = p.*f.logical;
                break;
        }
    }
    return json;
}

// A file name given in another encoding than UTF-8 is shown with replacement characters.
constexpr auto kReplaceBadUtf8 = nlohmann::ordered_json::error_handler_t::replace;

// An exclusive lock on what standard output writes into, held while one line is written, so that
// runs sharing a pipe or a file never interleave their lines: a pipe takes a long line in several
// pieces. The lock is taken through a descriptor of its own: runs started side by side share
// their standard output's open file, on which a lock would not keep them apart. Where the output
// takes no lock (a terminal, /dev/null), the line is written without one.
class OutputLock {
public:
    OutputLock() {
        m_fd = ::open("/proc/self/fd/1", O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0) {
            m_fd = ::open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        }
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~OutputLock() {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;

private:
    int m_fd = -1;
};

// The whole line at once under the output's lock, so that lines of tools running side by side
// stay whole.
bool writeLine(const std::string& line) {
    std::cout.flush();
    const OutputLock lock;
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, data, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Flushes standard output and gives `code`, or 1 with a message when the output did not all get
// out (a full device, a closed pipe).
int finishOutput(int code) {
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) != 0 || !std::cout.good() || std::ferror(stdout)) {
        const int err = errno;
        std::cerr << "vistametra-report: cannot write the output"
                  << (err != 0 ? std::string(": ") + std::strerror(err) : std::string()) << "\n";
        return 1;
    }
    return code;
}

// One --set, checked: the field and the value as the project holds it.
struct Override {
    const ProjectField* field;
    std::string value;
};

// What every project of a run gets: the overrides in order, and the outputs asked for.
struct ProjectRequest {
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
    std::string saveFile;
    std::string reportFile;
    std::string reportFormat;  // the suffix of reportFile, or --format for -o -
    bool several = false;      // more than one project file: each message names its file
    // The projector inputs of the options over a project's own; nothing when no option gives one.
    std::function<std::optional<ProjectionInputs>(const ProjectionInputs&)> projectionOver;
};

// runProject's result when standard output took no more: the run ends there.
constexpr int kOutputLost = -1;

// Opens `file` (none: the default project) into the program's project, applies the request and
// prints or writes its outputs. Several projects in one run pass `jsonArray`: the JSON object is
// added to it instead of being printed. Returns 0, or 1 when the project could not be read or an
// output file not written (said on standard error, naming the file), or kOutputLost.
int runProject(const ProjectRequest& r, const std::string& file,
               const ReportFileWriter& writeReport, nlohmann::ordered_json* jsonArray) {
    DadosProjeto& p = projeto();
    if (!file.empty()) {
        std::string error;
        const auto text = IsStandardInput(file) ? ReadProjectStreamText(STDIN_FILENO, &error)
                                                : ReadProjectFileText(file, &error);
        if (!text) {
            std::cerr << "vistametra-report: cannot read "
                      << (IsStandardInput(file) ? "standard input" : file) << ": " << error << "\n";
            return 1;
        }
        std::vector<std::string> missing;
        if (LerProjeto(p, *text, &missing) == 0) {
            std::cerr << "vistametra-report: " << file
                      << " is not a Vistametra project: it holds no project field\n";
            return 1;
        }
        if (!missing.empty()) {
            std::cerr << "vistametra-report: warning: " << file << " lacks the field"
                      << (missing.size() > 1 ? "s" : "");
            for (size_t i = 0; i < missing.size(); ++i) {
                std::cerr << (i == 0 ? " " : ", ") << missing[i];
            }
            std::cerr << (missing.size() > 1 ? "; they are" : "; it is") << " empty\n";
        }
    }
    for (const Override& o : r.overrides) {
        setFieldFromText(p, *o.field, o.value);
    }
    // --save keeps the options' projector inputs.
    if (const auto given = r.projectionOver(p.projecao)) {
        p.projecao = *given;
    }
    const std::optional<ProjectionInputs> projection =
        HasProjectionInputs(p.projecao) ? std::optional<ProjectionInputs>(p.projecao)
                                        : std::nullopt;
    Calculo(p);
    if (!TellValuesOutsideLimits(p, !r.reportFile.empty(), r.several ? file : "")) {
        return 1;
    }

    if (!r.saveFile.empty()) {
        std::string error;
        if (!WriteOutput(r.saveFile, ProjectFileBytes(TextoProjeto(p)), &error)) {
            std::cerr << "vistametra-report: " << error << "\n";
            return 1;
        }
    }

    if (!r.reportFile.empty()) {
        std::string error = "this build has no report writer";
        const ReportFileOptions options{.analysis = r.analysis,
                                        .targetCmm = r.targetCmm,
                                        .staggered = r.staggered,
                                        .elementPercent = r.elementPercent,
                                        .riserBlock = r.riserBlock,
                                        .projection = projection,
                                        .accessibility = r.accessibility,
                                        .streamFormat = r.reportFormat};
        if (writeReport) {
            if (!writeReport(p, r.reportFile, options, error)) {
                std::cerr << "vistametra-report: " << error << "\n";
                return 1;
            }
        } else if (!WriteOutput(
                       r.reportFile,
                       DxfOfProject(p, r.targetCmm, projection, r.riserBlock, r.accessibility),
                       &error)) {
            std::cerr << "vistametra-report: " << error << "\n";
            return 1;
        }
    }

    const auto analyse = [&] {
        return AnalyseSightlines(p, r.targetCmm, r.staggered, r.elementPercent, r.riserBlock,
                                 r.accessibility);
    };
    // A file written to standard output is all that goes there.
    const bool streamTaken = IsStandardOutput(r.reportFile) || IsStandardOutput(r.saveFile);
    if (streamTaken) {
        return 0;
    }
    if (r.summary || (!r.json && !r.analysis)) {
        for (Categoria c : {Categoria::G, Categoria::A, Categoria::F}) {
            std::cout << win1252ToUtf8(LinhaResultado(p, c)) << "\n";
        }
    }
    if (r.analysis && !r.json) {
        std::cout << (r.summary ? "\n" : "") << AnalysisTable(analyse());
    }
    const auto projectionFigures = [&] { return ComputeProjection(p, analyse(), *projection); };
    if (projection && !r.json) {
        std::cout << "\n" << ProjectionTable(projectionFigures());
    }
    if (r.json) {
        nlohmann::ordered_json out = projectJson(p, file);
        out["warnings"] = PlausibilityWarnings(p);
        if (r.analysis) {
            out["analysis"] = AnalysisJson(analyse());
        }
        if (projection) {
            out["projection"] = ProjectionJson(projectionFigures());
        }
        if (r.jsonLines) {
            if (!writeLine(out.dump(-1, ' ', false, kReplaceBadUtf8) + "\n")) {
                std::cerr << "vistametra-report: cannot write the output: " << std::strerror(errno)
                          << "\n";
                return kOutputLost;
            }
        } else if (jsonArray != nullptr) {
            jsonArray->push_back(std::move(out));
        } else {
            std::cout << out.dump(2, ' ', false, kReplaceBadUtf8) << "\n";
        }
    }
    return 0;
}

}  // namespace

int runReportTool(int argc, char** argv, const ReportFileWriter& writeReport) {
    CLI::App app{kDescription, "vistametra-report"};
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
    int riserBlock = 0;
    std::string saveFile;
    std::string reportFile;
    std::string streamFormat;
    app.add_option("PROJECT.qtv", projectFiles,
                   "project file to open (\"-\": read from standard input); several are each "
                   "opened in turn, with --json or --jsonl");
    app.add_option("--set", sets, "FIELD=VALUE: set an input field (repeatable, applied in order)")
        ->type_name("FIELD=VALUE");
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
    app.add_option("--riser-block", riserBlock,
                   "the rows in each block of the grouped risers the analysis proposes (3 to 5; "
                   "default the best of them); needs --analysis or a .dxf output")
        ->type_name("K")
        ->check(CLI::Range(kMinRiserBlock, kMaxRiserBlock));
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
    ProjectionOptionTexts projectionTexts;
    AddProjectionOptions(app, projectionTexts);
    AccessibilityOptionTexts accessibilityTexts;
    AddAccessibilityOptions(app, accessibilityTexts);
    app.add_flag("--version", version, "print the version and end");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return finishOutput(0);
    } catch (const CLI::ParseError& e) {
        std::cerr << "vistametra-report: " << e.what() << " (see --help)\n";
        return 2;
    }
    if (version) {
        std::cout << VersionLine("vistametra-report") << "\n";
        return finishOutput(0);
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
                                   .pages = static_cast<bool>(writeReport)});
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
    if (app.count("--riser-block") > 0 && !analysis && reportFormat != "dxf") {
        std::cerr << "vistametra-report: --riser-block needs --analysis or a .dxf output\n";
        return 2;
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
        !(writeReport ? CanSavePagesAs(reportFile, {{"dxf", "DXF", {}}})
                      : SuffixOf(reportFile) == "dxf")) {
        std::cerr << "vistametra-report: -o " << reportFile << ": the report is written as "
                  << (writeReport ? ".pdf, .svg, .png, .emf or .dxf" : ".dxf (this build)") << "\n";
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
    request.projectionOver = [&](const ProjectionInputs& base) {
        std::string ignored;
        return ParseProjectionOptions(app, projectionTexts, ignored, base);
    };

    StartWithoutWindow();
    if (projectFiles.size() <= 1) {
        const int code =
            runProject(request, projectFiles.empty() ? "" : projectFiles[0], writeReport, nullptr);
        return code == kOutputLost ? 1 : code != 0 ? code : finishOutput(0);
    }
    // Several projects: each starts from the default project, as a run of its own would.
    const DadosProjeto initial = projeto();
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    int code = 0;
    for (const std::string& file : projectFiles) {
        projeto() = initial;
        const int fileCode = runProject(request, file, writeReport, jsonLines ? nullptr : &array);
        if (fileCode == kOutputLost) {
            return 1;
        }
        code = std::max(code, fileCode);
    }
    if (!jsonLines) {
        std::cout << array.dump(2, ' ', false, kReplaceBadUtf8) << "\n";
    }
    return finishOutput(code);
}

}  // namespace vm
