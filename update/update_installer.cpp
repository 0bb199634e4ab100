#include "update/update_installer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

namespace vm {

namespace {

std::function<bool(const std::string&)>& starter() {
    static std::function<bool(const std::string&)> s;
    return s;
}

// The program's path for a name without "/", looked up in PATH; "" when it is nowhere.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return access(name.c_str(), X_OK) == 0 ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::filesystem::path candidate(folder.empty() ? std::string(".") : folder);
        candidate /= name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

// Adds the run bit wherever the file can be read.
bool SetRunBit(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    mode_t mode = info.st_mode & 07777;
    mode |= S_IXUSR;
    if (mode & S_IRGRP) {
        mode |= S_IXGRP;
    }
    if (mode & S_IROTH) {
        mode |= S_IXOTH;
    }
    return chmod(path.c_str(), mode) == 0;
}

// Starts `program` with `args` detached: a child starts a new session and forks the program,
// then ends at once, so the program belongs to no one and is never waited for. A pipe that closes
// on exec tells whether the exec itself succeeded. Returns 0 when the program runs, else the
// reason (an errno value).
int SpawnDetached(const std::string& program, const std::vector<std::string>& args) {
    // Everything the children use is prepared before the fork: after it, in a program with
    // several threads, only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    rlimit files{};
    const int lastFd = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                           ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536)) - 1
                           : 1023;
    sigset_t noSignals;
    sigemptyset(&noSignals);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return errno;
    }
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return error;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!write(report[1], &error, sizeof error);
            }
            _exit(0);
        }
        // The program must not inherit our descriptors (the single-instance lock, sockets) nor the
        // signal mask of this thread.
        if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
            for (int fd = 3; fd <= lastFd; ++fd) {
                fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
        }
        sigprocmask(SIG_SETMASK, &noSignals, nullptr);
        execv(program.c_str(), argv.data());
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

bool StartInstaller(const std::string& path) {
    if (starter()) {
        return starter()(path);
    }
    return LaunchInstaller(path);
}

void SetInstallerStarter(std::function<bool(const std::string& path)> s) {
    starter() = std::move(s);
}

bool LaunchInstaller(const std::string& path, const std::string& opener) {
    if (SetRunBit(path) && SpawnDetached(path, {path}) == 0) {
        return true;
    }
    const std::string program = FindProgram(opener);
    if (program.empty()) {
        return false;
    }
    return SpawnDetached(program, {program, path}) == 0;
}

}  // namespace vm
