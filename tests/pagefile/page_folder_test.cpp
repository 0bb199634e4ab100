// Each run's page folder, and the removal at start-up of the folders that killed runs left.
#include "pagefile/page_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// Only the folders of runs that are gone go; a live run's, this run's own, links, other names
// and other files stay.
TEST(PageFolder, StartUpRemovesOnlyTheFoldersOfRunsThatAreGone) {
    test::TempFolder tmp("vm-page-folder");
    const std::string base = tmp.path() + "/";
    const std::string dead = plant(base + "vistametra-" + std::to_string(deadPid()) + "-a1B2c3");
    const std::string deadEmpty = base + "vistametra-" + std::to_string(deadPid()) + "-x";
    fs::create_directory(deadEmpty);
    const std::string live = plant(base + "vistametra-" + std::to_string(getppid()) + "-d4E5f6");
    const std::string init = plant(base + "vistametra-1-g7H8i9");
    const std::string otherName = plant(base + "vistametra-report-Q1w2E3");
    const std::string elsewhere = plant(base + "somewhere");
    const std::string link = base + "vistametra-" + std::to_string(deadPid()) + "-link";
    fs::create_directory_symlink(elsewhere, link);
    std::ofstream(base + "vistametra-" + std::to_string(deadPid()) + "-file") << "not a folder";

    setenv("TMPDIR", tmp.path().c_str(), 1);
    const std::string own = PageFolder();
    std::ofstream(own + "00012345_kpv_print_preview_0001.Emf") << "EMF";

    EXPECT_EQ(RemoveLeftPageFolders(base), 2);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_FALSE(fs::exists(deadEmpty));
    for (const std::string& kept : {live, init, otherName, elsewhere, own}) {
        EXPECT_EQ(std::distance(fs::directory_iterator(kept), fs::directory_iterator()), 1) << kept;
    }
    EXPECT_TRUE(fs::is_symlink(link));
    unsetenv("TMPDIR");
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
