// Files written as one set: an earlier set replaced whole, all or nothing, one descriptor at a
// time however long the set, and an ending signal that waits for the set.
#include "pagefile/file_set.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/end_files.h"
#include "pagefile/page_set.h"
#include "tests/support/temp_folder.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int openDescriptors() {
    return static_cast<int>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// The set of pages `pages` long under `target`, as SavePages makes it for numbered pages; each
// page's bytes say which page of which set it is.
FileSet pageSet(const std::string& target, size_t pages) {
    FileSet set;
    for (size_t n = 1; n <= pages; ++n) {
        set.names.push_back(NumberedPageFileName(target, static_cast<int>(n)));
    }
    set.options.replaceLinkItself = true;
    set.earlierFiles = [target, pages] { return LeftoverPagesOfEarlierSet(target, pages); };
    return set;
}

MakeSetFile pages(const std::string& tag) {
    return [tag](size_t i, std::string* bytes, std::string*) {
        *bytes = tag + " page " + std::to_string(i + 1);
        return true;
    };
}

// An earlier set in `folder`: pages 1..count of rel.png, each saying it is "old".
std::string plantEarlierSet(const std::string& folder, int count) {
    const std::string target = folder + "/rel.png";
    for (int n = 1; n <= count; ++n) {
        std::ofstream(NumberedPageFileName(target, n)) << "old page " << n;
    }
    return target;
}

// A shorter set takes the place of a longer one whole: its pages, and nothing of the earlier set
// beside them; the removed pages are named. A longer set leaves nothing to remove.
TEST(FileSet, ANewSetReplacesTheEarlierOneWhole) {
    struct Case {
        int earlier;
        size_t now;
    };
    for (const Case c : {Case{13, 2}, Case{4, 3}, Case{3, 5}, Case{0, 1}}) {
        SCOPED_TRACE(std::to_string(c.earlier) + " pages, then " + std::to_string(c.now));
        test::TempFolder dir("vm-file-set");
        const std::string target = plantEarlierSet(dir.path(), c.earlier);
        std::vector<std::string> removed = {"stale"};
        std::string error;
        ASSERT_TRUE(WriteFileSet(pageSet(target, c.now), pages("new"), &error, nullptr, &removed))
            << error;
        std::vector<std::string> expected;
        for (size_t n = 1; n <= c.now; ++n) {
            const std::string name = NumberedPageFileName(target, static_cast<int>(n));
            EXPECT_EQ(contentOf(name), "new page " + std::to_string(n));
            expected.push_back(fs::path(name).filename().string());
        }
        EXPECT_EQ(namesIn(dir.path()), expected) << "only the new set";
        std::vector<std::string> gone;
        for (int n = static_cast<int>(c.now) + 1; n <= c.earlier; ++n) {
            gone.push_back(NumberedPageFileName(target, n));
        }
        EXPECT_EQ(removed, gone);
    }
}

// When any file of the set cannot be made or written, the earlier set stays as it was, every
// page of it, and no new or hidden file is left.
TEST(FileSet, AFailureLeavesTheEarlierSetAsItWas) {
    struct Case {
        const char* what;
        std::function<void(const std::string& target)> prepare;
        MakeSetFile make;
    };
    const Case cases[] = {
        {"a page that cannot be drawn", [](const std::string&) {},
         [](size_t i, std::string* bytes, std::string* error) {
             *bytes = "new";
             *error = "cannot draw page " + std::to_string(i + 1);
             return i != 1;
         }},
        {"a folder where the last page goes",
         [](const std::string& target) { fs::create_directory(NumberedPageFileName(target, 3)); },
         pages("new")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder dir("vm-file-set");
        const std::string target = dir.path() + "/rel.png";
        c.prepare(target);
        // Pages 1, 2 and 4..8 of an earlier set (page 3 may be the folder).
        for (const int n : {1, 2, 4, 5, 6, 7, 8}) {
            std::ofstream(NumberedPageFileName(target, n)) << "old page " << n;
        }
        const std::vector<std::string> before = namesIn(dir.path());
        std::vector<std::string> removed;
        std::string error;
        EXPECT_FALSE(WriteFileSet(pageSet(target, 3), c.make, &error, nullptr, &removed));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(removed.empty());
        EXPECT_EQ(namesIn(dir.path()), before);
        for (const int n : {1, 2, 4, 5, 6, 7, 8}) {
            EXPECT_EQ(contentOf(NumberedPageFileName(target, n)), "old page " + std::to_string(n));
        }
    }
}

// Hundreds of files with few descriptors to spare: each file's descriptor is closed before the
// next is made, with unnamed temporary files and with named ones alike.
TEST(FileSet, HundredsOfFilesHoldOneDescriptorAtATime) {
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary files" : "named temporary files");
        AtomicFile::UseUnnamedFiles(unnamed);
        test::TempFolder dir("vm-file-set");
        const std::string target = plantEarlierSet(dir.path(), 310);
        rlimit limit{};
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
        const int before = openDescriptors();
        rlimit low = limit;
        low.rlim_cur = static_cast<rlim_t>(before + 24);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
        // Back to the usual limit however the test ends.
        const std::unique_ptr<rlimit, void (*)(rlimit*)> restore(
            &limit, [](rlimit* usual) { setrlimit(RLIMIT_NOFILE, usual); });
        int most = 0;
        const MakeSetFile make = [&](size_t i, std::string* bytes, std::string*) {
            most = std::max(most, openDescriptors() - before);
            *bytes = "new page " + std::to_string(i + 1);
            return true;
        };
        std::vector<std::string> removed;
        std::string error;
        const bool written = WriteFileSet(pageSet(target, 300), make, &error, nullptr, &removed);
        AtomicFile::UseUnnamedFiles(true);
        ASSERT_TRUE(written) << error;
        EXPECT_LE(most, 2) << "descriptors held while the set was written";
        EXPECT_EQ(namesIn(dir.path()).size(), 300u);
        EXPECT_EQ(contentOf(NumberedPageFileName(target, 300)), "new page 300");
        EXPECT_EQ(removed.size(), 10u);
    }
}

// An ending signal while the files are made: the set gives up at the next file, and the signal
// ends the process with every temporary file gone (more than the end-of-process table could
// name) and the earlier set as it was.
TEST(FileSet, AnEndingSignalEndsTheSetWithNothingLeft) {
    test::TempFolder dir("vm-file-set");
    const std::string target = plantEarlierSet(dir.path(), 5);
    const std::vector<std::string> before = namesIn(dir.path());
    const pid_t child = fork();
    if (child == 0) {
        AtomicFile::UseUnnamedFiles(false);
        RemoveFilesOnEndSignals();
        const MakeSetFile make = [](size_t i, std::string* bytes, std::string*) {
            if (i == 290) {
                raise(SIGTERM);
            }
            *bytes = "new page " + std::to_string(i + 1);
            return true;
        };
        std::string error;
        WriteFileSet(pageSet(target, 300), make, &error);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(namesIn(dir.path()), before);
    EXPECT_EQ(contentOf(NumberedPageFileName(target, 1)), "old page 1");
}

}  // namespace
}  // namespace vm
