// Start-up to the first painted window, timed from outside: each start is a fresh process of
// this program, spawned here, that writes one line once its window has been painted and then
// ends. The program's own start-up and main window ("main") are compared with an empty Qt
// window of the same size ("empty") and with that window holding one label ("label"), which is
// what any window that shows text pays for the font set-up. Starts alternate between the three
// so that a slow moment of the machine falls on all of them.
// Usage: bench_startup [--runs N]       compares and prints a table
//        bench_startup main|empty|label one start
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "program/first_paint.h"
#include "program/program_start.h"

extern char** environ;

namespace {

// Writes the line that ends the clock, first in the queue of what waits for the first paint, so
// nothing the program puts off until then is counted.
void writeLineOncePainted() {
    vm::AfterFirstPaint([] {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        std::_Exit(0);
    });
}

int startOnce(const std::string& mode, int argc, char** argv) {
    if (mode == "main") {
        // The update check waits on the network; it is not part of what is measured.
        return vm::RunProgram(argc, argv,
                              {.checkForUpdates = false, .afterApplication = writeLineOncePainted});
    }
    QApplication app(argc, argv);
    writeLineOncePainted();
    QWidget window;
    window.resize(640, 480);
    if (mode == "label") {
        auto* label = new QLabel(QStringLiteral("Medidas em metros"), &window);
        label->move(20, 20);
    }
    window.show();
    return app.exec();
}

// Milliseconds from spawning one start to its line at the first paint; -1 when it failed.
double timeOneStart(const char* mode) {
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char self[] = "/proc/self/exe";
    std::string modeArg = mode;
    char* args[] = {self, modeArg.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    double ms = -1;
    if (spawned == 0) {
        char line[16];
        if (read(out[0], line, sizeof line) > 0) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            ms = -1;
        }
    }
    close(out[0]);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--runs") != 0) {
        return startOnce(argv[1], argc, argv);
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
    const char* const modes[] = {"empty", "label", "main"};
    std::vector<double> times[3];
    for (int r = 0; r < runs; ++r) {
        for (int m = 0; m < 3; ++m) {
            const double ms = timeOneStart(modes[m]);
            if (ms < 0) {
                std::fprintf(stderr, "bench_startup: the %s start failed\n", modes[m]);
                return 1;
            }
            times[m].push_back(ms);
        }
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const double empty = median(times[0]);
    std::printf("start-up to the first paint, median of %d starts each (QT_QPA_PLATFORM=%s)\n",
                runs, platform ? platform : "");
    std::printf("empty %.1f ms\n", empty);
    std::printf("label %.1f ms %.2f\n", median(times[1]), median(times[1]) / empty);
    std::printf("main %.1f ms %.2f\n", median(times[2]), median(times[2]) / empty);
    return 0;
}
