// Downloads a large body from a server on 127.0.0.1 with the update download's own transfer (the
// request, the header line by line, exactly the announced body in large receives written in blocks
// of 64 KiB or more to the installer's temporary file, renamed when complete) and then the same
// body with curl, and prints the time and memory of both.
//
// Usage: bench_download [--size BYTES] [--repeat N] [--curl PATH]

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/text.h"
#include "net/tsocket.h"
#include "tests/support/http_answers.h"
#include "tests/support/loopback_server.h"
#include "update/installer_file.h"
#include "update/installer_transfer.h"

namespace {

// A figure with `decimals` decimals and "." as the decimal mark, whatever the locale.
std::string Fixed(double value, int decimals) {
    return vm::AllTrim(vm::Str(value, 40, decimals));
}

using Clock = std::chrono::steady_clock;

long StatusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    }
    return -1;
}

// Resets the peak resident size to the current one, so the next VmHWM is the peak of what follows.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

// The download as the update does it: the program's own transfer (request, header, exactly the
// announced body in large blocks) into the installer's file, which gets its name when complete.
// Returns the body bytes written, or -1.
long long DownloadWithSocket(int port, const std::string& path) {
    vm::TSocket socket;
    socket.SetLimits(vm::UpdateNetLimits());
    if (!socket.Connect("127.0.0.1", port))
        return -1;
    vm::InstallerFile file(path);
    if (!file.Create())
        return -1;
    vm::TransferProgress progress;
    const vm::TransferResult result = vm::TransferInstaller(
        socket, vm::DownloadRequest("127.0.0.1"), file, vm::TransferLimits{}, &progress);
    socket.Close();
    if (result.outcome != vm::TransferOutcome::Complete || !file.Commit())
        return -1;
    return static_cast<long long>(result.received);
}

struct CurlRun {
    double seconds = -1;
    long peakKib = -1;
    bool ok = false;
};

CurlRun DownloadWithCurl(const std::string& curl, int port, const std::string& path) {
    CurlRun run;
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/vistametra/Update.exe";
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(curl.c_str(), curl.c_str(), "-s", "-f", "-o", path.c_str(), url.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKib = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

long long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    // In the user's locale, as the program runs its download; the figures ignore it.
    std::setlocale(LC_ALL, "");
    long long size = 100LL * 1024 * 1024;
    int repeat = 3;
    std::string curl = "curl";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--size")
            size = std::atoll(argv[i + 1]);
        if (option == "--repeat")
            repeat = std::max(1, std::atoi(argv[i + 1]));
        if (option == "--curl")
            curl = argv[i + 1];
    }
    if (curl.find('/') == std::string::npos) {
        for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
            if (access((dir + curl).c_str(), X_OK) == 0) {
                curl = dir + curl;
                break;
            }
        }
    }

    char folder[] = "/tmp/vm-download-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string ours = std::string(folder) + "/Update.exe";
    const std::string theirs = std::string(folder) + "/curl.exe";

    vm::test::HttpTestServer server(vm::test::LargeBodyAnswer(static_cast<std::uint64_t>(size)));
    // One small exchange first, so that the memory of a thread serving a connection (its stack,
    // its allocation arena) is already in place.
    {
        vm::test::HttpTestServer warm(vm::test::LargeBodyAnswer(16));
        DownloadWithSocket(warm.Port(), ours);
    }

    // Our download and curl's take turns, so that both meet the same load on a shared machine;
    // the best run of each counts.
    double best = 1e300;
    long growthKib = -1;
    long before = -1;
    long after = -1;
    bool peakReset = true;
    CurlRun bestCurl;
    bool curlFailed = false;
    for (int i = 0; i < repeat; ++i) {
        peakReset = ResetPeak() && peakReset;
        const long hwmBefore = StatusKib("VmHWM");
        const auto start = Clock::now();
        const long long got = DownloadWithSocket(server.Port(), ours);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const long hwmAfter = StatusKib("VmHWM");
        if (got != size || FileSize(ours) != size) {
            std::fprintf(stderr, "socket download incomplete: %lld of %lld bytes\n", got, size);
            return 1;
        }
        best = std::min(best, seconds);
        if (hwmAfter - hwmBefore > growthKib) {
            growthKib = hwmAfter - hwmBefore;
            before = hwmBefore;
            after = hwmAfter;
        }

        if (curlFailed)
            continue;
        const CurlRun run = DownloadWithCurl(curl, server.Port(), theirs);
        if (!run.ok || FileSize(theirs) != size) {
            std::fprintf(stderr, "curl download failed (%s)\n", curl.c_str());
            bestCurl = CurlRun{};
            curlFailed = true;
        } else if (!bestCurl.ok || run.seconds < bestCurl.seconds) {
            bestCurl = run;
        }
    }

    const double mib = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("body: %lld bytes (%s MiB), best of %d runs each\n", size, Fixed(mib, 1).c_str(),
                repeat);
    std::printf(
        "vm_net (TSocket, TransferInstaller to InstallerFile): %s s, %s MiB/s, "
        "peak memory growth %ld KiB (VmHWM %ld -> %ld KiB%s)\n",
        Fixed(best, 3).c_str(), Fixed(mib / best, 1).c_str(), growthKib, before, after,
        peakReset ? "" : "; peak could not be reset, growth is a lower bound");
    if (bestCurl.ok) {
        std::printf("curl (%s): %s s, %s MiB/s, peak RSS of the curl process %ld KiB\n",
                    curl.c_str(), Fixed(bestCurl.seconds, 3).c_str(),
                    Fixed(mib / bestCurl.seconds, 1).c_str(), bestCurl.peakKib);
        std::printf("vm_net takes %s times curl's time\n",
                    Fixed(best / bestCurl.seconds, 2).c_str());
    } else {
        std::printf("curl: not measured\n");
    }

    unlink(ours.c_str());
    unlink(theirs.c_str());
    rmdir(folder);
    return bestCurl.ok ? 0 : 2;
}
