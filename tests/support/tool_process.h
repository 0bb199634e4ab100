#pragma once
// Runs vistametra-report as a real process in a temporary folder of its own, for the tests of the
// command-line tool; and other programs (readers of our files) through the shell.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

struct ToolRun {
    int exitCode = -1;  // -1 when the tool did not end normally
    std::string out;
    std::string err;
};

// Runs a shell command and returns what it printed on its standard output; "" when it cannot
// run. *exitStatus, when given, receives pclose's status (0 when the command succeeded).
std::string capture(const std::string& command, int* exitStatus = nullptr);

// A word of a PDF as poppler's pdftotext reads it, with its box in millimetres.
struct Word {
    int page;
    double xMm, yMm;  // top-left corner
    std::string text;
    double xMaxMm = 0, yMaxMm = 0;  // bottom-right corner
};

// Every word of a PDF with its page (from 1) and box, read with `pdftotext -bbox`; the numbers
// are read whatever the locale.
std::vector<Word> pdfWords(const std::filesystem::path& pdf);

// The built vistametra-report's path, for tests that run it through the shell (pipes).
std::string reportToolPath();

// Runs the built vistametra-report with the arguments in `dir`, its standard output on the open
// descriptor `out` (a full disk, a pipe nobody reads...) and its standard error into dir/stderr,
// which *err receives when err is not null. Returns the tool's exit code; -1 when it did not end
// by itself within `seconds` (it is then killed).
int runWithOutput(int out, const std::vector<std::string>& args, const std::filesystem::path& dir,
                  std::string* err = nullptr, int seconds = 20);

// Starts the built vistametra-report with the arguments in `dir`: its standard output on the
// descriptor `out`, its standard error into `errFile`, its environment first changed by
// `environment` ("NAME=VALUE" sets, "NAME" removes), then given `variables`. Returns the child's
// process id without waiting; the child ends with 99 when it cannot set itself up and 98 when the
// tool does not start.
pid_t startTool(const std::vector<std::string>& args, const std::filesystem::path& dir, int out,
                const std::filesystem::path& errFile, const std::vector<std::string>& environment,
                const std::vector<std::pair<std::string, std::string>>& variables);

class ToolProcessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the built vistametra-report with the arguments, in m_dir, and waits for its end.
    // `environment` changes the tool's environment: "NAME=VALUE" sets a variable, "NAME" removes
    // it.
    ToolRun run(const std::vector<std::string>& args,
                const std::vector<std::string>& environment = {});

    std::optional<vm::test::TempFolder> m_folder;
    std::filesystem::path m_dir;  // the tool's current folder (m_folder's), removed after the test
    // Variables set in the tool's environment, e.g. {"LC_ALL", "pt_BR.UTF-8"}.
    std::vector<std::pair<std::string, std::string>> m_env;
};
