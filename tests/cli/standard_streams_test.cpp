// vistametra-report with "-" for its project (standard input) and its outputs (standard output),
// run through the shell's pipes and redirections.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "core/date.h"
#include "core/whole_file.h"
#include "tests/support/tool_process.h"

namespace {

using StandardStreams = ToolProcessTest;

// The command run in the test's folder; its status in *status.
std::string inFolder(const std::filesystem::path& dir, const std::string& command,
                     int* status = nullptr) {
    return capture("cd '" + dir.string() + "' && " + command, status);
}

TEST_F(StandardStreams, ProjectsComeFromStandardInputAndGoToStandardOutput) {
    const std::string tool = "'" + reportToolPath() + "'";
    int status = -1;
    inFolder(m_dir,
             tool + " --set 'cProjeto=Sala de Reunião' --set nNumeroFilas=12 --save - > piped.qtv",
             &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(run({"--set", "cProjeto=Sala de Reunião", "--set", "nNumeroFilas=12", "--save",
                   "named.qtv"})
                  .exitCode,
              0);
    const std::string named = vm::ReadWholeFile(m_dir / "named.qtv");
    ASSERT_FALSE(named.empty());
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "piped.qtv"), named);

    // "-" reads the project from standard input, whole, as a file would be read.
    const auto j = nlohmann::json::parse(inFolder(m_dir, tool + " - --json < named.qtv", &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(j["file"], "-");
    EXPECT_EQ(j["cProjeto"], "Sala de Reunião");
    EXPECT_EQ(j["nNumeroFilas"], 12);
    const auto piped = nlohmann::json::parse(
        inFolder(m_dir, tool + " --save - --set nLargura=7.5 | " + tool + " - --jsonl", &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(piped["nLargura"], 7.5);
    // An empty standard input holds no project.
    inFolder(m_dir, tool + " - --json < /dev/null", &status);
    EXPECT_NE(status, 0);
}

TEST_F(StandardStreams, OneFileOfEachFormatGoesToStandardOutput) {
    const std::string tool = "'" + reportToolPath() + "'";
    int status = -1;
    inFolder(m_dir, tool + " --analysis -o - > piped.pdf", &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(run({"--analysis", "-o", "named.pdf"}).exitCode, 0);
    const std::string pages =
        capture("pdfinfo '" + (m_dir / "named.pdf").string() + "' | grep Pages");
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(capture("pdfinfo '" + (m_dir / "piped.pdf").string() + "' | grep Pages"), pages);
    EXPECT_EQ(capture("pdftotext '" + (m_dir / "piped.pdf").string() + "' -"),
              capture("pdftotext '" + (m_dir / "named.pdf").string() + "' -"));

    // Every page in one SVG that an XML parser takes, one A4 sheet under the other.
    inFolder(m_dir, tool + " --analysis -o - --format SVG > piped.svg", &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(capture("xmllint --noout '" + (m_dir / "piped.svg").string() + "' 2>&1; echo $?"),
              "0\n");
    const int pageCount = std::stoi(pages.substr(pages.find_last_of(' ') + 1));
    EXPECT_NE(vm::ReadWholeFile(m_dir / "piped.svg")
                  .find("height=\"" + std::to_string(297 * pageCount) + "mm\""),
              std::string::npos);

    inFolder(m_dir, tool + " -o - --format dxf > piped.dxf", &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(run({"-o", "named.dxf"}).exitCode, 0);
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "piped.dxf"), vm::ReadWholeFile(m_dir / "named.dxf"));
}

TEST_F(StandardStreams, StandardOutputTakesOneOutputOnly) {
    const std::vector<std::vector<std::string>> refused{
        {"-o", "-", "--save", "-"},    {"-o", "-", "--json"},
        {"-o", "-", "--summary"},      {"--save", "-", "--jsonl"},
        {"--save", "-", "--analysis"}, {"-o", "-", "--format", "png"},
        {"--format", "svg"},           {"-o", "x.pdf", "--format", "svg", "--save", "x.qtv"},
        {"-", "-", "--jsonl"},
    };
    for (const auto& args : refused) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1];
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x.qtv"));
}

TEST_F(StandardStreams, JsonNamesItsSchemaAndTheDateInIsoForm) {
    const ToolRun r = run({"--json", "--set", "cData=07/09/22"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(j["schema"], 1);
    EXPECT_EQ(j["cData"], "07/09/22");
    EXPECT_EQ(j["cData_iso"], "2022-09-07");
    // The schema comes first, before the keys that were there already.
    EXPECT_EQ(j.begin().key(), "schema");
}

}  // namespace

namespace {

// Started with standard input closed, the tool refuses "-" at once (it does not read whatever file
// took descriptor 0); the other descriptors closed, it still runs, its outputs whole.
TEST_F(StandardStreams, ClosedStandardDescriptors) {
    const std::string tool = "timeout -s KILL 5 '" + reportToolPath() + "'";
    int status = -1;
    const std::string said = inFolder(m_dir, tool + " - --json <&- 2>&1", &status);
    EXPECT_EQ(WEXITSTATUS(status), 1);  // 137 when killed
    EXPECT_EQ(said, "vistametra-report: cannot read standard input: it is closed\n");

    ASSERT_EQ(run({"--save", "named.qtv"}).exitCode, 0);
    inFolder(m_dir, tool + " --save closed.qtv <&- 2>&-", &status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "closed.qtv"), vm::ReadWholeFile(m_dir / "named.qtv"));
    // No standard output to take the result lines: the project is written, the run fails.
    const std::string err = inFolder(m_dir, tool + " --save shut.qtv 2>&1 >&-", &status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(err, std::string("vistametra-report: cannot write the output: ") +
                       std::strerror(EBADF) + "\n");
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "shut.qtv"), vm::ReadWholeFile(m_dir / "named.qtv"));
}

}  // namespace
