// The table of files that go at the end of the process, on real files and folders.
#include "core/end_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

std::string makeFile(const std::string& name) {
    std::ofstream(name) << "x";
    return name;
}

// A folder named before the files in it goes once they have gone; a forgotten file stays, and
// so does the folder that holds it; names that the table cannot hold are refused.
TEST(EndFiles, FilesThenTheirFoldersGoAndForgottenOnesStay) {
    test::TempFolder dir("vm-end-files");
    const std::string pages = dir.path() + "/páginas";
    const std::string kept = dir.path() + "/kept";
    fs::create_directory(pages);
    fs::create_directory(kept);
    ASSERT_TRUE(RemoveAtProcessEnd(pages));
    ASSERT_TRUE(RemoveAtProcessEnd(kept));
    ASSERT_TRUE(RemoveAtProcessEnd(makeFile(pages + "/0001.Emf")));
    ASSERT_TRUE(RemoveAtProcessEnd(makeFile(pages + "/0002.Emf")));
    const std::string keptFile = makeFile(kept + "/saved.emf");
    ASSERT_TRUE(RemoveAtProcessEnd(keptFile));
    KeepAtProcessEnd(keptFile);
    EXPECT_FALSE(RemoveAtProcessEnd(dir.path() + "/" + std::string(1100, 'a')));
    EXPECT_FALSE(RemoveAtProcessEnd(std::string("a\0b", 3)));

    RemoveFilesAtProcessEnd();
    EXPECT_FALSE(fs::exists(pages));
    EXPECT_TRUE(fs::exists(keptFile));
    EXPECT_TRUE(fs::exists(kept));
    // The table is empty now: a file of a removed name made later stays.
    makeFile(dir.path() + "/later");
    RemoveFilesAtProcessEnd();
    EXPECT_TRUE(fs::exists(dir.path() + "/later"));
}

// Downloads and exports name their files from worker threads while the event loop names its
// own: every name is kept once, and all of them go.
TEST(EndFiles, NamesFromSeveralThreadsAreAllKept) {
    test::TempFolder dir("vm-end-files");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&dir, t] {
            for (int n = 0; n < 50; ++n) {
                const std::string name =
                    makeFile(dir.path() + "/" + std::to_string(t) + "-" + std::to_string(n));
                EXPECT_TRUE(RemoveAtProcessEnd(name));
                if (n % 2 == 1) {
                    KeepAtProcessEnd(name);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    RemoveFilesAtProcessEnd();
    size_t left = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(std::stoi(name.substr(name.find('-') + 1)) % 2, 1) << name;
        ++left;
    }
    EXPECT_EQ(left, 100u);
}

// SIGTERM, SIGINT and SIGHUP remove the named files and then end the process by that signal; a
// forked child (the installer's starter) leaves the files its parent named alone.
TEST(EndFiles, EndingSignalsRemoveTheFilesAndStillEndTheProcess) {
    for (const int signal : {SIGINT, SIGHUP, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        test::TempFolder dir("vm-end-files");
        const std::string file = dir.path() + "/Sala de Reunião.pdf";
        const std::string parents = makeFile(dir.path() + "/parent.Emf");
        ASSERT_TRUE(RemoveAtProcessEnd(parents));
        const pid_t child = fork();
        if (child == 0) {
            RemoveFilesOnEndSignals();
            RemoveAtProcessEnd(makeFile(file));
            raise(signal);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(fs::exists(file));
        EXPECT_TRUE(fs::exists(parents));
        KeepAtProcessEnd(parents);
    }
}

// While a set of files takes its places, an ending signal (even a second one) waits; once the
// last holder is gone it removes the named files and ends the process by that signal, and what
// the holder did meanwhile is all done.
TEST(EndFiles, EndingSignalsWaitWhileASetOfFilesTakesItsPlaces) {
    test::TempFolder dir("vm-end-files");
    const std::string hidden = dir.path() + "/.rel_0002.png.tmp";
    const std::string last = dir.path() + "/rel_0002.png";
    const pid_t child = fork();
    if (child == 0) {
        RemoveFilesOnEndSignals();
        RemoveAtProcessEnd(makeFile(hidden));
        {
            const EndSignalsHeld outer;
            raise(SIGTERM);
            {
                const EndSignalsHeld inner;
                raise(SIGTERM);
            }
            makeFile(last);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(fs::exists(last));
    EXPECT_FALSE(fs::exists(hidden));
}

}  // namespace
}  // namespace vm
