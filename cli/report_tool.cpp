#include "cli/report_tool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
#include "cli/output_target.h"
#include "cli/tool_request.h"
#include "cli/values_outside_limits.h"
#include "core/calculo.h"
#include "core/plausibility.h"
#include "core/project_fields.h"
#include "core/result_line.h"
#include "core/standard_descriptors.h"
#include "core/win1252.h"
#include "project/project_file.h"
#include "report/dxf_file.h"
#include "report/projection_output.h"
#include "report/sightline_analysis.h"
#include "report/sightline_analysis_output.h"
#include "runtime/startup.h"

namespace vm {
namespace {

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
// their standard output's open file, on which a lock would not keep them apart. A pipe is locked
// through a writer of its own, never a reader: a reader held by the tool would keep the pipe open
// after its real reader has gone, and the tool would wait for ever for room in it. Where the
// output takes no lock (a terminal, /dev/null, a pipe whose reader has gone), the line is written
// without one.
class OutputLock {
public:
    OutputLock() {
        struct stat st {};
        const bool pipe = ::fstat(STDOUT_FILENO, &st) == 0 && S_ISFIFO(st.st_mode);
        if (!pipe) {
            m_fd = ::open("/proc/self/fd/1", O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        }
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

// runProject's result when standard output took no more: the run ends there.
constexpr int kOutputLost = -1;

// Opens `file` (none: the default project) into the program's project, applies the request and
// prints or writes its outputs. Several projects in one run pass `jsonArray`: the JSON object is
// added to it instead of being printed. Returns 0, or 1 when the project could not be read or an
// output file not written (said on standard error, naming the file), 2 when the wheelchair spaces
// placed by hand do not fit its hall, or kOutputLost.
int runProject(const ProjectRequest& r, const std::string& file,
               const ReportFileWriter& writeReport, nlohmann::ordered_json* jsonArray) {
    DadosProjeto& p = projeto();
    if (IsStandardInput(file) && StandardDescriptorWasClosed(STDIN_FILENO)) {
        // /dev/null stands in for it, and would read as an empty project.
        std::cerr << "vistametra-report: cannot read standard input: it is closed\n";
        return 1;
    }
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
    // Spaces placed by hand that do not fit this hall are a wrong command line, told before
    // anything is written.
    if (std::string error;
        !WheelchairPlacesFit(p, r.accessibility, r.wheelchairOptions, &error)) {
        std::cerr << "vistametra-report: " << (r.several ? file + ": " : "") << error << "\n";
        return 2;
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
    ProjectRequest request;
    if (const std::optional<int> ended =
            ReadToolRequest(argc, argv, static_cast<bool>(writeReport), &request)) {
        return *ended;
    }
    const std::vector<std::string>& projectFiles = request.projectFiles;
    StartWithoutWindow();
    if (projectFiles.size() <= 1) {
        const int code =
            runProject(request, projectFiles.empty() ? "" : projectFiles[0], writeReport, nullptr);
        return code == kOutputLost ? 1 : code != 0 ? code : FinishStandardOutput(0);
    }
    // Several projects: each starts from the default project, as a run of its own would.
    const DadosProjeto initial = projeto();
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    int code = 0;
    for (const std::string& file : projectFiles) {
        projeto() = initial;
        const int fileCode =
            runProject(request, file, writeReport, request.jsonLines ? nullptr : &array);
        if (fileCode == kOutputLost) {
            return 1;
        }
        code = std::max(code, fileCode);
    }
    if (!request.jsonLines) {
        std::cout << array.dump(2, ' ', false, kReplaceBadUtf8) << "\n";
    }
    return FinishStandardOutput(code);
}

}  // namespace vm
