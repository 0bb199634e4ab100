// Fatal errors of C++ itself (signals, uncaught exceptions, a failure inside the handler) reach
// the error handler. Each runs in a child process that really dies; the test reads its exit code,
// its log and its standard error, where the default error box writes.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "core/whole_file.h"
#include "runtime/error_handler.h"
#include "runtime/html_log.h"
#include "runtime/mem_vars.h"
#include "runtime/process.h"
#include "tests/runtime/runtime_fixture.h"

namespace vm::test {
namespace {

class CrashRoutingTest : public RuntimeTest {
protected:
    // Runs `body` in a child with the handler installed the way the program installs it: the
    // default end of process and the default error box (standard error).
    ChildEnd Crash(const std::function<void()>& body) {
        return RunInChild(
            [&] {
                SetErrorBoxHandler(nullptr);
                SetEndProcessHandler(nullptr);
                ErrorSys();
                body();
            },
            "stderr.txt");
    }
};

int* volatile g_nullPointer = nullptr;
volatile int g_zero = 0;
volatile int g_sink = 0;

// Each returns, when called with false, the line on which it fails when called with true. The
// undefined-behaviour sanitizer is kept out of the faulting functions, so that in a sanitizer
// build the fault itself still happens and reaches the handler.
__attribute__((noinline, no_sanitize("undefined"))) int SegvHere(bool fail) {
    if (!fail) {
        return __LINE__ + 2;
    }
    *g_nullPointer = 1;
    return 0;
}

[[gnu::noinline]] int ThrowHere(bool fail) {
    if (!fail) {
        return __LINE__ + 2;
    }
    throw std::runtime_error("boom & bust");
}

[[gnu::noinline]] int AbortHere(bool fail) {
    if (!fail) {
        return __LINE__ + 2;
    }
    std::abort();
}

__attribute__((noinline, no_sanitize("undefined"))) int DivideHere(bool fail) {
    if (!fail) {
        return __LINE__ + 2;
    }
    g_sink = 10 / g_zero;
    return 0;
}

__attribute__((noinline, no_sanitize("undefined"))) double ReadThroughNull() {
    return *g_nullPointer;
}

// One level more, so the chain has a caller to show.
[[gnu::noinline]] void CallerOf(int (*fails)(bool)) {
    fails(true);
    g_sink = 1;
}

TEST_F(CrashRoutingTest, FatalRunTimeErrorsOfCxxReachTheLog) {
    struct Case {
        const char* name;
        int (*fails)(bool);
        const char* function;
        const char* messageLine;
        // Thrown on a thread of its own: on the main thread the test framework's own handler
        // would catch the exception.
        bool onThread = false;
    };
    const Case cases[] = {
        {"SIGSEGV", SegvHere, "SegvHere", "Error SIGNAL/11  Invalid memory access: SIGSEGV</p>"},
        {"uncaught exception", ThrowHere, "ThrowHere",
         "Error EXCEPTION/1  Uncaught exception (boom &amp; bust): std::runtime_error</p>", true},
        {"abort", AbortHere, "AbortHere", "Error SIGNAL/6  Abnormal termination: SIGABRT</p>"},
        {"integer division by zero", DivideHere, "DivideHere",
         "Error SIGNAL/8  Integer division by zero: SIGFPE</p>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove("qtv.htm");
        const ChildEnd end = Crash([&] {
            if (c.onThread) {
                std::thread([&] { CallerOf(c.fails); }).join();
            } else {
                CallerOf(c.fails);
            }
        });
        EXPECT_TRUE(end.exited) << "killed by signal " << end.signal;
        EXPECT_EQ(end.exitCode, kFatalExitCode);

        const std::string log = ReadWholeFile("qtv.htm");
        const std::vector<std::string> lines = LogLines(log);
        size_t message = 0;
        while (message < lines.size() && lines[message] != c.messageLine) {
            ++message;
        }
        ASSERT_LT(message + 2, lines.size()) << log;
        EXPECT_EQ(lines[message - 3].rfind("<p class=\"updated\">Application: ", 0), 0u)
            << lines[message - 3];
        // The chain starts at the failing function with the failing line, then its caller; the
        // handler, the signal trampoline and the throw machinery are not shown.
        EXPECT_EQ(lines[message + 1], std::string("Called from vm::test::(anonymous namespace)::") +
                                          c.function + "(" + std::to_string(c.fails(false)) +
                                          ")\r\n");
        EXPECT_EQ(
            lines[message + 2].rfind("Called from vm::test::(anonymous namespace)::CallerOf(", 0),
            0u)
            << lines[message + 2];
        // The chain goes out to main, or on a thread to the thread's function, and no further.
        if (c.onThread) {
            EXPECT_EQ(log.find("Called from main("), std::string::npos);
            EXPECT_EQ(log.find("start_thread"), std::string::npos);
        } else {
            EXPECT_NE(log.find("Called from main("), std::string::npos);
            EXPECT_EQ(log.find("__libc_start"), std::string::npos);
        }
        EXPECT_EQ(Count(log, " System Information "), 1);
        EXPECT_EQ(log.substr(log.size() - 20), "<HR>\r\n</BODY></HTML>");

        // The default box writes its title and text to standard error.
        const std::string err = ReadWholeFile("stderr.txt");
        EXPECT_EQ(err.rfind("Program Error\n", 0), 0u) << err;
        EXPECT_NE(
            err.find("Called from vm::test::(anonymous namespace)::" + std::string(c.function)),
            std::string::npos);
    }
}

TEST_F(CrashRoutingTest, FailureWhileHandlingAppendsASecondShortEntry) {
    // A variable whose getter faults while the detailed report is written.
    const ChildEnd end = Crash([] {
        RegisterMemVar(MemVarScope::Public, "BROKEN",
                       [] { return MemVarValue{ReadThroughNull()}; });
        RaiseMgError("Window: w is not defined.");
    });
    EXPECT_TRUE(end.exited) << "killed by signal " << end.signal;
    EXPECT_EQ(end.exitCode, kFatalExitCode);

    const std::string log = ReadWholeFile("qtv.htm");
    EXPECT_EQ(Count(log, "<HTML><HEAD>"), 1);
    EXPECT_EQ(Count(log, "<p class=\"updated\">Application: "), 2);
    EXPECT_EQ(Count(log, " System Information "), 1);
    const size_t first = log.find("Error MGERROR/0  Window: w is not defined. Program terminated.");
    const size_t second = log.find("Error SIGNAL/11  Invalid memory access: SIGSEGV</p>");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(log.substr(log.size() - 20), "<HR>\r\n</BODY></HTML>");
    // One dialog only: the second error's, as the first had not shown its own yet.
    EXPECT_EQ(Count(ReadWholeFile("stderr.txt"), "Program Error\n"), 1);
}

TEST_F(CrashRoutingTest, MgErrorInAChildEndsWithExitCodeOne) {
    const ChildEnd end = Crash([] { RaiseMgError("Main Window is already defined."); });
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.exitCode, kFatalExitCode);
    EXPECT_NE(ReadWholeFile("qtv.htm").find(
                  "Error MGERROR/0  Main Window is already defined. Program terminated.</p>"),
              std::string::npos);
}

// Files named for removal at the end go with every end of the process: its ordinary end, a fatal
// error, and SIGTERM, SIGINT or SIGHUP from outside (the signal still ends the process). Files
// that were kept again, and other files, stay.
TEST_F(CrashRoutingTest, EveryEndRemovesTheFilesThatMustNotOutliveTheProcess) {
    const struct {
        const char* how;
        std::function<void()> end;
        int exitCode;  // -1: ended by `signal`
        int signal;
    } cases[] = {
        {"EndProcess", [] { EndProcess(0); }, 0, 0},
        {"fatal error", [] { RaiseMgError("Window: x is not defined."); }, kFatalExitCode, 0},
        {"SIGTERM", [] { raise(SIGTERM); }, -1, SIGTERM},
        {"SIGINT", [] { raise(SIGINT); }, -1, SIGINT},
        {"SIGHUP", [] { raise(SIGHUP); }, -1, SIGHUP},
    };
    for (const auto& c : cases) {
        const std::string page = m_folder + "/00012345_kpv_print_preview_0001.Emf";
        const std::string kept = m_folder + "/00012345_kpv_print_preview_0002.Emf";
        const std::string other = m_folder + "/Relatório da Sala.pdf";
        for (const std::string& file : {page, kept, other}) {
            std::FILE* f = std::fopen(file.c_str(), "w");
            ASSERT_NE(f, nullptr);
            std::fclose(f);
        }
        const ChildEnd end = Crash([&] {
            RemoveAtProcessEnd(page);
            RemoveAtProcessEnd(kept);
            KeepAtProcessEnd(kept);
            c.end();
        });
        if (c.exitCode >= 0) {
            EXPECT_TRUE(end.exited) << c.how;
            EXPECT_EQ(end.exitCode, c.exitCode) << c.how;
        } else {
            EXPECT_EQ(end.signal, c.signal) << c.how;
        }
        EXPECT_FALSE(FileExists(page)) << c.how;
        EXPECT_TRUE(FileExists(kept)) << c.how;
        EXPECT_TRUE(FileExists(other)) << c.how;
    }
}

// A fatal error ends the process with exit code 1 and writes its log in the current folder, or,
// where that is a system folder (or "/"), under $XDG_STATE_HOME/vistametra/; never beside the
// program when that is a system folder.
TEST_F(CrashRoutingTest, LogsGoToTheCurrentFolderButNeverIntoASystemFolder) {
    const std::string state = m_folder + "/estado";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    const struct {
        const char* current;
        std::string log;  // where the entry must be
    } cases[] = {
        {".", m_folder + "/qtv.htm"},
        {"/usr/share", state + "/vistametra/qtv.htm"},
        {"/", state + "/vistametra/qtv.htm"},
    };
    for (const auto& c : cases) {
        const ChildEnd end = Crash([&] {
            if (chdir(c.current) != 0) {
                std::_Exit(98);
            }
            RaiseMgError("Window: x is not defined.");
        });
        EXPECT_TRUE(end.exited) << c.current;
        EXPECT_EQ(end.exitCode, kFatalExitCode) << c.current;
        EXPECT_NE(ReadWholeFile(c.log).find("Error MGERROR/0  Window: x is not defined."),
                  std::string::npos)
            << c.current;
        std::remove(c.log.c_str());
    }
    EXPECT_FALSE(FileExists("/usr/share/qtv.htm"));
    EXPECT_FALSE(FileExists("/qtv.htm"));
    unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace vm::test
