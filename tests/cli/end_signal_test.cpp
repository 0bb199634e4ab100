// vistametra-report asked to end (SIGINT, SIGHUP, SIGTERM) while it exports a large report: it
// ends by that signal and leaves nothing in its temporary folder or its current folder, whatever
// moment of its work the signal comes at.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/whole_file.h"
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

// The processor time (user and system, all threads, in ticks of 1/100 s) that the live or
// ended-but-unreaped process has used; -1 once it cannot be read.
long processTicks(pid_t pid) {
    const std::string stat = vm::ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    // The fields after the command's name, which ends with the last ")": state is field 3,
    // utime 14 and stime 15.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number >= 14) {
            ticks += std::stol(field);
        }
    }
    return ticks;
}

// A folder laid out as a user's run: the current folder, a temporary folder and a desktop
// session's runtime folder (without one Qt makes its own in TMPDIR, which stays for every later
// run of every Qt program: runtime-<user>).
struct ToolRunFolders {
    explicit ToolRunFolders(vm::test::TempFolder& work)
        : here(fs::path(work.path()) / "aqui"),
          tmp(fs::path(work.path()) / "tmp"),
          runtime(fs::path(work.path()) / "run"),
          stderrFile(fs::path(work.path()) / "stderr") {
        fs::create_directory(here);
        fs::create_directory(tmp);
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
    }
    pid_t start(std::vector<std::string> args, const std::string& output) const {
        args.insert(args.end(), {"-o", output});
        const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
        const pid_t tool = startTool(
            args, here, out, stderrFile,
            {"TMPDIR=" + tmp.string(), "XDG_RUNTIME_DIR=" + runtime.string()}, {});
        close(out);
        return tool;
    }
    fs::path here, tmp, runtime, stderrFile;
};

TEST(ReportToolSignals, AnEndedExportLeavesNothingBehind) {
    // A hall of 999 rows of narrow seats on a wide screen, 25 pages: seconds of drawing as PNG,
    // about a second as SVG or PDF, and a few tenths of a second as EMF, whose pages are only
    // written.
    const std::vector<std::string> large = {
        "--set", "nNumeroFilas=999", "--set",     "nLarguraAssento=0.3",
        "--set", "nLargura=400",     "--analysis"};
    // Each signal comes at a share of the processor time that the same export takes here until its
    // first file takes its place: a moment of the tool's own progress before the placing, the
    // same on a fast idle machine and a slow loaded one.
    struct Case {
        int signal;
        const char* output;
        int percent;
    };
    const Case cases[] = {
        {SIGINT, "Sala de Reunião.png", 10}, {SIGHUP, "Auditório.pdf", 40},
        {SIGTERM, "Auditório.svg", 60},      {SIGTERM, "Auditório.emf", 30},
        {SIGINT, "Auditório.png", 85},
    };
    // suffix -> the ticks an export takes until its first file takes its place (what follows,
    // the other renames and the process's end, may be long under a leak checker).
    std::map<std::string, long> whole;
    for (const Case& c : cases) {
        const std::string suffix = fs::path(c.output).extension().string();
        if (whole.count(suffix) != 0) {
            continue;
        }
        vm::test::TempFolder work("vm-tool-whole");
        const ToolRunFolders run(work);
        const pid_t tool = run.start(large, "whole" + suffix);
        const auto placed = [&] {
            for (const std::string& entry : entriesOf(run.here)) {
                if (fs::path(entry).filename().string()[0] != '.') {
                    return true;
                }
            }
            return false;
        };
        int status = 0;
        long ticks = -1;
        while (waitpid(tool, &status, WNOHANG) == 0) {
            if (ticks < 0 && placed()) {
                ticks = processTicks(tool);
            }
            usleep(1000);
        }
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << suffix << ": " << vm::ReadWholeFile(run.stderrFile.string());
        ASSERT_GT(ticks, 0) << suffix << ": no file was seen taking its place";
        whole[suffix] = ticks;
    }
    for (const Case& c : cases) {
        const std::string suffix = fs::path(c.output).extension().string();
        const long moment = whole[suffix] * c.percent / 100;
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " " + c.output + " at " +
                     std::to_string(c.percent) + " % of " + std::to_string(whole[suffix]) +
                     " ticks");
        vm::test::TempFolder work("vm-tool-signal");
        const ToolRunFolders run(work);
        const pid_t tool = run.start(large, c.output);
        int status = 0;
        bool endedFirst = false;
        while (processTicks(tool) < moment) {
            if (waitpid(tool, &status, WNOHANG) == tool) {
                endedFirst = true;
                break;
            }
            usleep(1000);
        }
        if (!endedFirst) {
            kill(tool, c.signal);
            waitpid(tool, &status, 0);
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
            << "the export ended before the signal came (status " << status << ")";
        EXPECT_EQ(entriesOf(run.here), std::vector<std::string>{});
        EXPECT_EQ(entriesOf(run.tmp), std::vector<std::string>{});
        EXPECT_EQ(entriesOf(run.runtime), std::vector<std::string>{});
    }
}

}  // namespace
