// Every format vistametra-report -o writes, under a UTF-8 name and under one that is not, into a
// folder with room and onto a full disk: a small tmpfs mounted for the test, another file system
// than the temporary folder's.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;

// A mount namespace of this test program's own, made before any thread starts, so that a test
// may mount a small file system (root only) that the tool it runs sees too.
const bool g_ownMounts =
    unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;

struct Format {
    const char* suffix;
    const char* firstFile;  // the name the first (or only) file gets, after the stem
    const char* magic;      // how that file starts; nullptr: the suffix is refused
};

const Format kFormats[] = {
    {".pdf", ".pdf", "%PDF-"},        {".svg", "_0001.svg", "<?xml"},
    {".png", "_0001.png", "\x89PNG"}, {".emf", "_0001.emf", "\x01\x00\x00\x00"},
    {".dxf", ".dxf", "0\r\nSECTION"}, {".txt", ".txt", nullptr},
};

// "Relatório" in UTF-8, and in Latin-1: bytes that are no UTF-8.
const char* const kStems[] = {"Relat\xC3\xB3rio", "Relat\xF3rio"};

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

using SaveTable = ToolProcessTest;

TEST_F(SaveTable, RoomWritesEveryFormatAndAnUnknownSuffixWritesNothing) {
    for (const Format& format : kFormats) {
        for (const char* stem : kStems) {
            SCOPED_TRACE(std::string(stem) + format.suffix);
            const fs::path folder = m_dir / "out";
            fs::remove_all(folder);
            fs::create_directory(folder);
            const std::string target = "out/" + std::string(stem) + format.suffix;
            const ToolRun r = run({"--save", "p.qtv", "-o", target});
            if (format.magic == nullptr) {
                EXPECT_EQ(r.exitCode, 2);
                EXPECT_EQ(Lines(r.err), 1) << r.err;
                EXPECT_TRUE(FilesIn(folder).empty());
                EXPECT_FALSE(fs::exists(m_dir / "p.qtv"));  // nothing written before the check
                continue;
            }
            EXPECT_EQ(r.exitCode, 0) << r.err;
            const std::string first =
                vm::ReadWholeFile((folder / (std::string(stem) + format.firstFile)).string());
            EXPECT_EQ(first.compare(0, std::strlen(format.magic), format.magic), 0)
                << first.substr(0, 16);
            for (const std::string& name : FilesIn(folder)) {
                EXPECT_EQ(name.compare(0, std::strlen(stem), stem), 0) << name;
            }
            fs::remove(m_dir / "p.qtv");
        }
    }
}

TEST_F(SaveTable, AFullDiskKeepsTheEarlierFileExitsOneAndSaysSoOnce) {
    if (!g_ownMounts) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    }
    const fs::path full = m_dir / "full";
    fs::create_directory(full);
    ASSERT_EQ(mount("tmpfs", full.c_str(), "tmpfs", 0, "size=12k"), 0) << std::strerror(errno);
    const std::string earlier(6 * 1024, 'e');
    for (const Format& format : kFormats) {
        for (const char* stem : kStems) {
            SCOPED_TRACE(std::string(stem) + format.suffix);
            for (const std::string& name : FilesIn(full)) {
                fs::remove(full / name);
            }
            const std::string firstName = std::string(stem) + format.firstFile;
            std::ofstream(full / firstName, std::ios::binary) << earlier;
            const std::string target = "full/" + std::string(stem) + format.suffix;
            const ToolRun r = run({"-o", target});
            EXPECT_EQ(r.exitCode, format.magic == nullptr ? 2 : 1);
            EXPECT_EQ(Lines(r.err), 1) << r.err;
            if (format.magic != nullptr) {
                EXPECT_NE(r.err.find(std::strerror(ENOSPC)), std::string::npos)
                    << r.err;  // in the user's language
                EXPECT_EQ(Occurrences(r.err, "full/" + std::string(stem)), 1u) << r.err;
                // The tool speaks English, whatever the desktop's language.
                EXPECT_EQ(r.err.rfind("vistametra-report: cannot write full/", 0), 0u) << r.err;
            }
            EXPECT_EQ(FilesIn(full), std::vector<std::string>{firstName});
            EXPECT_EQ(vm::ReadWholeFile((full / firstName).string()), earlier);
        }
    }
    umount(full.c_str());
}

}  // namespace
