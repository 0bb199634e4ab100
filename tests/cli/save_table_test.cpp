// Every format vistametra-report -o writes, under a UTF-8 name and under one that is not, into a
// folder with room and onto a full disk: a small tmpfs mounted for the test, another file system
// than the temporary folder's.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Every writer of the tool against what its target may be: an earlier file of the chosen name, a
// link that another user planted in a shared sticky folder, standard output that the shell
// appends to (/dev/stdout, or "-"), a reader that has gone, a name at the file system's limit.
// Each is refused with the earlier files byte for byte as they were, or written exactly as asked.
struct Writer {
    const char* option;  // "--save" or "-o"
    const char* suffix;  // of the name; "" for standard output ("-")
    const char* magic;   // how the (first) file starts
    bool numbered;       // a set of pages numbered _0001, _0002...
};

const Writer kWriters[] = {
    {"--save", ".qtv", "<?xml", false},
    {"-o", ".pdf", "%PDF-", false},
    {"-o", ".svg", "<?xml", true},
    {"-o", ".png", "\x89PNG", true},
    {"-o", ".emf", "\x01\x00\x00\x00", true},
    {"-o", ".dxf", "0\r\nSECTION", false},
    {"-o", "", "%PDF-", false},
    {"--save", "", "<?xml", false},
};

enum class Situation {
    EarlierFile,
    PlantedLink,
    AppendedOutput,
    ReaderGone,
    LongestName,
    LargerEarlierSet
};

const Situation kSituations[] = {Situation::EarlierFile,    Situation::PlantedLink,
                                 Situation::AppendedOutput, Situation::ReaderGone,
                                 Situation::LongestName,    Situation::LargerEarlierSet};

std::string Describe(const Writer& w, Situation s) {
    static const char* const names[] = {"an earlier file", "a planted link",
                                        "standard output appended to", "a reader that has gone",
                                        "a 255-byte name", "a larger earlier set of pages"};
    return std::string(w.option) + " " + (*w.suffix ? w.suffix : "-") + " into " +
           names[static_cast<int>(s)];
}

bool StartsWith(const std::string& bytes, const char* magic) {
    return bytes.compare(0, std::strlen(magic), magic) == 0;
}

// The name of the (first) file a writer makes of `stem`.
std::string FirstFile(const Writer& w, const std::string& stem) {
    return stem + (w.numbered ? "_0001" : "") + w.suffix;
}

// Names that a writer left in `folder` beside the ones expected: hidden files among them.
std::vector<std::string> Hidden(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : FilesIn(folder)) {
        if (name[0] == '.') {
            hidden.push_back(name);
        }
    }
    return hidden;
}

TEST_F(SaveTable, EveryWriterAgainstEveryKindOfTarget) {
    const std::string tool = "'" + reportToolPath() + "'";
    const fs::path out = m_dir / "out";
    const std::string earlier = "earlier line\n";
    for (const Situation situation : kSituations) {
        for (const Writer& w : kWriters) {
            const bool stream = *w.suffix == '\0';
            SCOPED_TRACE(Describe(w, situation));
            fs::remove_all(out);
            fs::create_directory(out);
            switch (situation) {
                case Situation::EarlierFile:
                case Situation::LongestName: {
                    if (stream) {
                        continue;  // standard output has no name to replace
                    }
                    const size_t numbering = w.numbered ? 5 : 0;
                    const std::string stem =
                        situation == Situation::EarlierFile
                            ? std::string("sala")
                            : std::string(255 - numbering - std::strlen(w.suffix), 's');
                    const std::string first = FirstFile(w, stem);
                    std::ofstream(out / first, std::ios::binary) << earlier;
                    const ToolRun r = run({w.option, "out/" + stem + w.suffix});
                    ASSERT_EQ(r.exitCode, 0) << r.err;
                    const std::string now = vm::ReadWholeFile(out / first);
                    EXPECT_TRUE(StartsWith(now, w.magic)) << now.substr(0, 16);
                    EXPECT_EQ(now.find(earlier), std::string::npos);
                    EXPECT_EQ(Hidden(out), std::vector<std::string>{});
                    break;
                }
                case Situation::LargerEarlierSet: {
                    if (stream) {
                        continue;
                    }
                    // 13 pages of an earlier set, and a 15th beyond a gap that is no page of it.
                    const std::string suffix = w.suffix;
                    std::vector<std::string> earlierSet;
                    for (const int page : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15}) {
                        char number[8];
                        std::snprintf(number, sizeof number, "_%04d", page);
                        earlierSet.push_back("sala" + std::string(number) + suffix);
                        std::ofstream(out / earlierSet.back(), std::ios::binary) << earlier;
                    }
                    const ToolRun r = run({w.option, "out/sala" + std::string(w.suffix)});
                    ASSERT_EQ(r.exitCode, 0) << r.err;
                    std::vector<std::string> expected;
                    if (w.numbered) {
                        // The default report's two pages; pages 3 to 13 of the earlier set went
                        // with them, the 15th stays.
                        expected = {"sala_0001" + suffix, "sala_0002" + suffix,
                                    "sala_0015" + suffix};
                        EXPECT_TRUE(StartsWith(vm::ReadWholeFile(out / expected[1]), w.magic));
                        EXPECT_EQ(vm::ReadWholeFile(out / expected[2]), earlier);
                    } else {
                        // One file: numbered files beside it are no pages of it.
                        expected = earlierSet;
                        expected.push_back("sala" + std::string(w.suffix));
                        std::sort(expected.begin(), expected.end());
                        for (const std::string& page : earlierSet) {
                            EXPECT_EQ(vm::ReadWholeFile(out / page), earlier) << page;
                        }
                    }
                    EXPECT_EQ(FilesIn(out), expected);
                    break;
                }
                case Situation::PlantedLink: {
                    if (stream) {
                        continue;
                    }
                    if (geteuid() != 0) {
                        continue;  // said below
                    }
                    const std::string victim = (m_dir / "victim").string();
                    std::ofstream(victim, std::ios::binary) << earlier;
                    chmod(out.c_str(), 01777);
                    // At the name the user gave, or at page 2 of a set (a name the set made).
                    const std::string linkName =
                        std::string("sala") + (w.numbered ? "_0002" : "") + w.suffix;
                    fs::create_symlink(victim, out / linkName);
                    ASSERT_EQ(lchown((out / linkName).c_str(), 65534, 65534), 0);
                    const ToolRun r = run({w.option, "out/sala" + std::string(w.suffix)});
                    EXPECT_EQ(vm::ReadWholeFile(victim), earlier);
                    // A page the set numbered is a name the program made: the link there is
                    // replaced itself. The name the user gave is refused.
                    if (w.numbered) {
                        ASSERT_EQ(r.exitCode, 0) << r.err;
                        EXPECT_EQ(fs::symlink_status(out / linkName).type(),
                                  fs::file_type::regular);
                        EXPECT_TRUE(StartsWith(vm::ReadWholeFile(out / linkName), w.magic));
                        break;
                    }
                    EXPECT_EQ(r.exitCode, 1);
                    EXPECT_EQ(r.err, "vistametra-report: cannot write out/" + linkName +
                                         ": a link that another user owns in a shared folder "
                                         "is not followed\n");
                    EXPECT_TRUE(fs::is_symlink(out / linkName));
                    // Nothing of the set: its pages take their places all together or not at all.
                    EXPECT_EQ(FilesIn(out), std::vector<std::string>{linkName});
                    break;
                }
                case Situation::AppendedOutput: {
                    if (w.numbered) {
                        continue;  // several files: none of them is standard output
                    }
                    // "-", or a name that leads to standard output: /dev/stdout itself, or a
                    // link of the user's where the suffix chooses the format.
                    std::string name = "-";
                    if (!stream) {
                        name = "/dev/stdout";
                        if (std::string(w.option) == "-o") {
                            name = std::string("out/sala") + w.suffix;
                            fs::create_symlink("/dev/stdout", m_dir / name);
                        }
                    }
                    for (const char* redirect : {">>", ">"}) {
                        SCOPED_TRACE(redirect);
                        std::ofstream(m_dir / "log", std::ios::binary) << earlier;
                        int status = -1;
                        capture("cd '" + m_dir.string() + "' && " + tool + " " + w.option + " '" +
                                    name + "' " + redirect + " log",
                                &status);
                        EXPECT_EQ(status, 0);
                        const std::string log = vm::ReadWholeFile(m_dir / "log");
                        const std::string expected =
                            std::string(redirect) == ">>" ? earlier + w.magic : w.magic;
                        EXPECT_EQ(log.compare(0, expected.size(), expected), 0)
                            << log.substr(0, 40);
                    }
                    break;
                }
                case Situation::ReaderGone: {
                    int ends[2];
                    ASSERT_EQ(pipe(ends), 0);
                    close(ends[0]);
                    const std::string name =
                        stream ? std::string("-") : "out/sala" + std::string(w.suffix);
                    std::string err;
                    // The reader's leaving ends the tool at once; 5 s only bounds a hang.
                    const int code = runWithOutput(ends[1], {w.option, name}, m_dir, &err, 5);
                    close(ends[1]);
                    EXPECT_EQ(code, 1);
                    EXPECT_EQ(err, "");
                    if (!stream) {
                        // The file was whole before the result lines found no reader.
                        EXPECT_TRUE(
                            StartsWith(vm::ReadWholeFile(out / FirstFile(w, "sala")), w.magic));
                        EXPECT_EQ(Hidden(out), std::vector<std::string>{});
                    }
                    break;
                }
            }
        }
    }
    if (geteuid() != 0) {
        GTEST_SKIP() << "links planted by another user were not tried: that needs root";
    }
}

}  // namespace
