// vistametra-report asked to end (SIGINT, SIGHUP, SIGTERM) while it exports a large report: it
// ends by that signal and leaves nothing in its temporary folder or its current folder, whatever
// moment the signal comes at.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().string());
    }
    return names;
}

TEST(ReportToolSignals, AnEndedExportLeavesNothingBehind) {
    // A hall of 999 rows of narrow seats on a wide screen, 25 pages: seconds of drawing as PNG,
    // about a second as SVG or PDF, and a few tenths of a second as EMF, whose pages are only
    // written (each signal must come before the export ends).
    const std::vector<std::string> large = {
        "--set", "nNumeroFilas=999", "--set",     "nLarguraAssento=0.3",
        "--set", "nLargura=400",     "--analysis"};
    struct Case {
        int signal;
        const char* output;
        int delayMs;
    };
    const Case cases[] = {
        {SIGINT, "Sala de Reunião.png", 150}, {SIGHUP, "Auditório.pdf", 400},
        {SIGTERM, "Auditório.svg", 700},      {SIGTERM, "Auditório.emf", 150},
        {SIGINT, "Auditório.png", 1300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " " + c.output + " after " +
                     std::to_string(c.delayMs) + " ms");
        vm::test::TempFolder work("vm-tool-signal");
        const fs::path here = fs::path(work.path()) / "aqui";
        const fs::path tmp = fs::path(work.path()) / "tmp";
        // A desktop session's runtime folder: without one Qt makes its own in TMPDIR, which
        // stays for every later run of every Qt program (runtime-<user>).
        const fs::path run = fs::path(work.path()) / "run";
        fs::create_directory(here);
        fs::create_directory(tmp);
        fs::create_directory(run);
        fs::permissions(run, fs::perms::owner_all);
        std::vector<std::string> args = large;
        args.insert(args.end(), {"-o", c.output});
        const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
        const pid_t tool =
            startTool(args, here, out, fs::path(work.path()) / "stderr",
                      {"TMPDIR=" + tmp.string(), "XDG_RUNTIME_DIR=" + run.string()}, {});
        close(out);
        usleep(static_cast<useconds_t>(c.delayMs) * 1000);
        kill(tool, c.signal);
        int status = 0;
        waitpid(tool, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
            << "the export ended before the signal came (status " << status << ")";
        EXPECT_EQ(entriesOf(here), std::vector<std::string>{});
        EXPECT_EQ(entriesOf(tmp), std::vector<std::string>{});
        EXPECT_EQ(entriesOf(run), std::vector<std::string>{});
    }
}

}  // namespace
