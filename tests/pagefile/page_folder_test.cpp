// Each run's page folder, and the removal at start-up of the folders that killed runs left.
#include "pagefile/page_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "core/end_files.h"
#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

// A process id that no process has now: a child that has ended and been waited for.
pid_t deadPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

// A folder with one page file in it.
std::string plant(const std::string& folder) {
    fs::create_directory(folder);
    std::ofstream(folder + "/00012345_kpv_print_preview_0001.Emf") << "EMF";
    return folder;
}

// A folder that nothing has changed in for `days` days.
std::string aged(const std::string& folder, int days) {
    const timespec when[2] = {{time(nullptr) - days * 24 * 3600, 0},
                              {time(nullptr) - days * 24 * 3600, 0}};
    utimensat(AT_FDCWD, folder.c_str(), when, 0);
    return folder;
}

// A process that holds the folder's lock as a live run does, until `release` is called.
class LockHolder {
public:
    explicit LockHolder(const std::string& folder) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(m_hold), 0);
        m_child = fork();
        if (m_child == 0) {
            close(m_hold[1]);
            const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
            [[maybe_unused]] const ssize_t told = write(ready[1], &ok, 1);
            char end;
            [[maybe_unused]] const ssize_t got = read(m_hold[0], &end, 1);
            _exit(0);
        }
        close(ready[1]);
        close(m_hold[0]);
        char ok = 'n';
        EXPECT_EQ(read(ready[0], &ok, 1), 1);
        EXPECT_EQ(ok, 'y') << folder;
        close(ready[0]);
    }
    ~LockHolder() { release(); }
    void release() {
        if (m_child > 0) {
            close(m_hold[1]);
            waitpid(std::exchange(m_child, -1), nullptr, 0);
        }
    }

private:
    int m_hold[2] = {-1, -1};
    pid_t m_child = -1;
};

// A folder whose run holds its lock stays, even when its process id names no process here (a
// run of another PID namespace); once the lock is free it goes, whatever process has that id
// now. A folder from before the lock (no "locked-" in its name) goes only when its process is
// gone and it is a week old. This run's own folder, links, other names and other files stay.
TEST(PageFolder, StartUpRemovesOnlyTheFoldersOfRunsThatAreGone) {
    test::TempFolder tmp("vm-page-folder");
    const std::string base = tmp.path() + "/";
    const auto name = [&](pid_t pid, const std::string& rest) {
        return base + "vistametra-" + std::to_string(pid) + "-" + rest;
    };
    const std::string hidden = plant(name(deadPid(), "locked-a1B2c3"));
    const std::string leftLocked = plant(name(deadPid(), "locked-x1Y2z3"));
    const std::string reusedPid = plant(name(getppid(), "locked-r1R2r3"));
    const std::string leftEmpty = name(deadPid(), "locked-e1E2e3");
    fs::create_directory(leftLocked);
    fs::create_directory(leftEmpty);
    const std::string deadOld = aged(plant(name(deadPid(), "d1D2d3")), 8);
    const std::string deadRecent = aged(plant(name(deadPid(), "n1N2n3")), 6);
    const std::string liveOld = aged(plant(name(getppid(), "d4E5f6")), 30);
    const std::string init = aged(plant(name(1, "g7H8i9")), 30);
    const std::string otherName = plant(base + "vistametra-report-Q1w2E3");
    const std::string elsewhere = plant(base + "somewhere");
    const std::string link = name(deadPid(), "locked-link");
    fs::create_directory_symlink(elsewhere, link);
    std::ofstream(name(deadPid(), "locked-file")) << "not a folder";

    setenv("TMPDIR", tmp.path().c_str(), 1);
    const std::string own = PageFolder();
    std::ofstream(own + "00012345_kpv_print_preview_0001.Emf") << "EMF";
    EXPECT_NE(own.find("/vistametra-" + std::to_string(getpid()) + "-locked-"), std::string::npos);

    {
        LockHolder run(hidden);
        EXPECT_EQ(RemoveLeftPageFolders(base), 4);
        for (const std::string& gone : {leftLocked, reusedPid, leftEmpty, deadOld}) {
            EXPECT_FALSE(fs::exists(gone)) << gone;
        }
        for (const std::string& kept :
             {hidden, deadRecent, liveOld, init, otherName, elsewhere, own}) {
            EXPECT_EQ(std::distance(fs::directory_iterator(kept), fs::directory_iterator()), 1)
                << kept;
        }
        EXPECT_TRUE(fs::is_symlink(link));
        run.release();
    }
    // The run ended: its lock is free.
    EXPECT_EQ(RemoveLeftPageFolders(base), 1);
    EXPECT_FALSE(fs::exists(hidden));
    EXPECT_TRUE(fs::exists(own));
    unsetenv("TMPDIR");
}

// A live run in another PID namespace, as a container has: its process id names no process here,
// yet the sweep keeps its folder while it runs, and removes it once the run has been killed.
TEST(PageFolder, StartUpKeepsTheFolderOfALiveRunInAnotherPidNamespace) {
    test::TempFolder tmp("vm-page-folder");
    const pid_t hiddenPid = deadPid();  // the run's id in its namespace: no process here has it
    int ready[2];
    int stop[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(stop), 0);
    const pid_t outer = fork();
    if (outer == 0) {
        close(ready[0]);
        close(stop[1]);
        // The first child in a new PID namespace is its init: it sets the next id there and
        // starts the run, which then has the chosen id.
        if (unshare(CLONE_NEWPID | CLONE_NEWNS) != 0) {
            _exit(2);
        }
        const pid_t init = fork();
        if (init == 0) {
            if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("proc", "/proc", "proc", 0, nullptr) != 0) {
                _exit(2);
            }
            std::ofstream("/proc/sys/kernel/ns_last_pid") << hiddenPid - 1;
            const pid_t run = fork();
            if (run == 0) {
                setenv("TMPDIR", tmp.path().c_str(), 1);
                const std::string folder = PageFolder();
                const std::string line = std::to_string(getpid()) + " " + folder + "\n";
                [[maybe_unused]] const ssize_t told = write(ready[1], line.data(), line.size());
                for (;;) {
                    pause();  // until killed
                }
            }
            waitpid(run, nullptr, 0);
            _exit(0);
        }
        close(ready[1]);
        // Told to stop: the namespace's init is killed, and the kernel kills the run with it
        // before the init can be waited for.
        char end;
        [[maybe_unused]] const ssize_t got = read(stop[0], &end, 1);
        kill(init, SIGKILL);
        waitpid(init, nullptr, 0);
        _exit(0);
    }
    close(ready[1]);
    close(stop[0]);
    std::string line;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(ready[0]);
    const auto endRun = [&] {
        close(stop[1]);
        waitpid(outer, nullptr, 0);
    };
    if (line.empty()) {
        endRun();
        GTEST_SKIP() << "cannot make a PID namespace here (needs root)";
    }
    const std::string folder = line.substr(line.find(' ') + 1);
    EXPECT_EQ(line.substr(0, line.find(' ')), std::to_string(hiddenPid)) << line;
    EXPECT_EQ(kill(hiddenPid, 0), -1) << "the run's id names a process here";
    std::ofstream(folder + "00012345_kpv_print_preview_0001.Emf") << "EMF";

    EXPECT_EQ(RemoveLeftPageFolders(tmp.path() + "/"), 0);
    EXPECT_TRUE(fs::exists(folder + "00012345_kpv_print_preview_0001.Emf"));

    // The run is killed: the folder stays behind with its lock free.
    endRun();
    EXPECT_TRUE(fs::exists(folder + "00012345_kpv_print_preview_0001.Emf"));
    EXPECT_EQ(RemoveLeftPageFolders(tmp.path() + "/"), 1);
    EXPECT_TRUE(fs::is_empty(tmp.path()));
}

// The run's own folder: private, named with the process id, the same on every call; it goes
// with the process however it ends, with whatever page files are still in it.
TEST(PageFolder, GoesWithTheProcessHoweverItEnds) {
    for (const int signal : {0, SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal == 0 ? "return from main" : strsignal(signal));
        test::TempFolder tmp("vm-page-folder");
        const pid_t child = fork();
        if (child == 0) {
            setenv("TMPDIR", tmp.path().c_str(), 1);
            RemoveFilesOnEndSignals();
            const std::string folder = PageFolder();
            struct stat st {};
            const bool right =
                folder == PageFolder() && stat(folder.c_str(), &st) == 0 &&
                (st.st_mode & 0777) == 0700 &&
                folder.rfind(tmp.path() + "/vistametra-" + std::to_string(getpid()) + "-", 0) == 0;
            const std::string page = folder + "00012345_kpv_print_preview_0001.Emf";
            std::ofstream(page) << "EMF";
            // The report names each page file as it draws it.
            RemoveAtProcessEnd(page);
            std::ofstream(folder + "00012345_kpv_print_preview_0002.Emf") << "EMF";
            if (signal != 0) {
                raise(signal);
            }
            std::exit(right ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (signal == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_TRUE(fs::is_empty(tmp.path()));
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            // The page files the report named go, and the folder with them; a file that nobody
            // named keeps the folder, for the next start to remove.
            ASSERT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()),
                      1);
            const std::string left = fs::directory_iterator(tmp.path())->path().string();
            EXPECT_EQ(std::distance(fs::directory_iterator(left), fs::directory_iterator()), 1);
            EXPECT_EQ(RemoveLeftPageFolders(tmp.path() + "/"), 1);
            EXPECT_TRUE(fs::is_empty(tmp.path()));
        }
    }
}

}  // namespace
}  // namespace vm
