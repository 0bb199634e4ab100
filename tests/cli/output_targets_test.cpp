// What vistametra-report does with outputs that are no ordinary new file: a FIFO nobody reads, a
// bound socket and a device as the target of each of its outputs, and a table of hostile names
// (markup characters, bytes that are not UTF-8, "/", "..", 300 bytes, a NUL in the project's name)
// through each writer. Every output either fails cleanly or is exactly the file asked for, and
// every file written is read by an independent parser.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/odd_targets.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;

using ReportToolTargets = ToolProcessTest;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The tool's arguments that write `name` (-o, or --save for a project file) and the file that
// output's first (or only) file gets.
struct Output {
    const char* suffix;
    const char* firstFile;
};
const Output kOutputs[] = {{".pdf", ".pdf"},      {".svg", "_0001.svg"}, {".png", "_0001.png"},
                           {".emf", "_0001.emf"}, {".dxf", ".dxf"},      {".qtv", ".qtv"}};

std::vector<std::string> writing(const std::string& name, const char* suffix,
                                 std::vector<std::string> before = {}) {
    before.insert(before.end(), {std::string(suffix) == ".qtv" ? "--save" : "-o", name + suffix});
    return before;
}

// Runs the tool in `dir` with at most 20 seconds; -1 when it had to be killed.
int runIn(const fs::path& dir, const std::vector<std::string>& args, std::string* err) {
    const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int code = runWithOutput(out, args, dir, err);
    close(out);
    return code;
}

// A FIFO nobody reads, a bound socket and a device (a link to /dev/full) as the target of each
// output: exit code 1 at once with one line naming the target and the reason, the target as it
// was, nothing else left in the folder; except that a link at a page the set numbered is
// replaced by the page.
TEST_F(ReportToolTargets, FifosSocketsAndDevicesFailAtOnceAndStayAsTheyWere) {
    using Kind = vm::test::OddTarget;
    for (const Kind kind : vm::test::kOddTargets) {
        for (const Output& output : kOutputs) {
            const fs::path dir = m_dir / "alvo";
            fs::create_directory(dir);
            const std::string target = "saída" + std::string(output.firstFile);
            const fs::path path = dir / target;
            SCOPED_TRACE(target + " as " + vm::test::OddTargetName(kind));
            std::optional<vm::test::BoundSocket> socket;
            ASSERT_TRUE(vm::test::MakeOddTarget(kind, path, socket, "/dev/full"));
            std::string err;
            const bool numbered = std::string(output.firstFile) != output.suffix;
            if (kind == Kind::Device && numbered) {
                // A page that the set numbered is a name the program made: a link there is
                // replaced by the page, never written through.
                EXPECT_EQ(runIn(dir, writing("saída", output.suffix), &err), 0) << err;
                EXPECT_EQ(fs::symlink_status(path).type(), fs::file_type::regular);
                fs::remove_all(dir);
                continue;
            }
            EXPECT_EQ(runIn(dir, writing("saída", output.suffix), &err), 1) << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            // The file that was to be written: a link's target.
            EXPECT_NE(err.find(kind == Kind::Device ? "/dev/full" : target), std::string::npos)
                << err;
            EXPECT_NE(err.find(kind == Kind::Fifo     ? "nobody reads from this FIFO"
                               : kind == Kind::Socket ? "not a regular file"
                                                      : std::strerror(ENOSPC)),
                      std::string::npos)
                << err;
            if (kind == Kind::Fifo) {
                EXPECT_TRUE(fs::is_fifo(path));
            } else if (kind == Kind::Socket) {
                EXPECT_TRUE(fs::is_socket(path));
            } else {
                EXPECT_EQ(fs::read_symlink(path), "/dev/full");
            }
            EXPECT_EQ(namesIn(dir), (std::vector<std::string>{target, "stderr"}));
            socket.reset();
            fs::remove_all(dir);
        }
    }
}

// The name as a UTF-8 reader shows it: each byte that starts no valid sequence becomes U+FFFD.
std::string shownAsUtf8(const std::string& name) {
    std::string shown;
    for (size_t i = 0; i < name.size();) {
        const unsigned char lead = static_cast<unsigned char>(name[i]);
        const size_t length = lead < 0x80         ? 1
                              : (lead >> 5) == 6  ? 2
                              : (lead >> 4) == 14 ? 3
                              : (lead >> 3) == 30 ? 4
                                                  : 0;
        bool valid = length > 0 && i + length <= name.size();
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(name[i + k]) >> 6) == 2;
        }
        shown += valid ? name.substr(i, length) : std::string("\xEF\xBF\xBD");
        i += valid ? length : 1;
    }
    return shown;
}

// Whether an independent reader takes the file, and finds the project's name where the format
// keeps it: xmllint for SVG (the name among its texts), ezdxf for DXF (the title block's texts),
// pdfinfo for PDF (the title); the PNG and EMF signatures; the name field of a project file.
void expectParses(const fs::path& file, const std::string& projectName) {
    const std::string suffix = file.extension().string();
    const std::string quoted = "'" + file.string() + "'";
    int status = -1;
    if (suffix == ".svg") {
        // The title is the page file's own name; the project's name is among the page's texts.
        const std::string title = capture(
            "xmllint --xpath 'string(//*[local-name()=\"title\"])' " + quoted + " 2>&1", &status);
        EXPECT_EQ(status, 0) << file << ": " << title;
        EXPECT_EQ(title, shownAsUtf8(file.stem().string()) + "\n");
        const std::string texts = capture("xmllint --xpath 'string(/)' " + quoted, &status);
        EXPECT_NE(texts.find(projectName), std::string::npos) << texts.substr(0, 2000);
    } else if (suffix == ".dxf") {
        const std::string facts = capture(
            "/usr/bin/python3 -c 'import sys; from ezdxf import recover; "
            "d, a = recover.readfile(sys.argv[1]); print(len(a.errors) + len(a.fixes)); "
            "print(\"\\n\".join(t.dxf.text for t in d.modelspace().query(\"TEXT\")))' " +
                quoted + " 2>&1",
            &status);
        EXPECT_EQ(status, 0) << file << ": " << facts;
        EXPECT_EQ(facts.rfind("0\n", 0), 0u) << file << ": " << facts.substr(0, 300);
        EXPECT_NE(facts.find(projectName), std::string::npos) << facts.substr(0, 2000);
    } else if (suffix == ".pdf") {
        const std::string info = capture("pdfinfo " + quoted + " 2>&1", &status);
        EXPECT_EQ(status, 0) << file << ": " << info;
        EXPECT_NE(info.find(projectName), std::string::npos) << info;  // in the title
    } else if (suffix == ".qtv") {
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find("<Projeto>" + projectName), std::string::npos) << text;
    } else {
        std::ifstream in(file, std::ios::binary);
        std::string head(4, '\0');
        in.read(head.data(), 4);
        EXPECT_EQ(head, suffix == ".png" ? std::string("\x89PNG") : std::string("\x01\0\0\0", 4))
            << file;
    }
}

// Hostile output names through every writer: a name a file can hold is written exactly there
// (and parses); one it cannot (300 bytes, a missing folder) fails with exit code 1 and leaves
// nothing. The project's own name, markup and a "../" in it, reaches the SVG title, the DXF title
// block and the PDF's metadata, and changes no file name.
TEST_F(ReportToolTargets, HostileNamesEitherFailCleanlyOrWriteExactlyTheFile) {
    struct Name {
        std::string stem;
        bool written;
    };
    const Name names[] = {
        {"Sala P&D", true},
        {"a<b>\"c\"", true},
        {"r\xff\xfe x", true},
        {"sub/../rel", true},
        {std::string(300, 'A'), false},
        {"falta/rel", false},
    };
    fs::create_directory(m_dir / "sub");
    const std::string project = "P&D <x> \"../../y\"";
    for (const Name& name : names) {
        for (const Output& output : kOutputs) {
            SCOPED_TRACE(name.stem.substr(0, 20) + output.suffix);
            const std::vector<std::string> before = namesIn(m_dir);
            std::string err;
            const int code = runIn(
                m_dir, writing(name.stem, output.suffix, {"--set", "cProjeto=" + project}), &err);
            fs::remove(m_dir / "stderr");
            std::vector<std::string> written;
            for (const std::string& file : namesIn(m_dir)) {
                if (std::find(before.begin(), before.end(), file) == before.end()) {
                    written.push_back(file);
                }
            }
            if (!name.written) {
                EXPECT_EQ(code, 1) << err;
                EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
                EXPECT_EQ(written, std::vector<std::string>{});
                continue;
            }
            ASSERT_EQ(code, 0) << err;
            const std::string stem = fs::path(name.stem).filename().string();
            ASSERT_FALSE(written.empty());
            EXPECT_EQ(written[0], stem + output.firstFile);
            for (const std::string& file : written) {
                // Only the file asked for, or its numbered pages.
                EXPECT_EQ(file.rfind(stem, 0), 0u) << file;
                EXPECT_EQ(fs::path(file).extension(), output.suffix) << file;
                expectParses(m_dir / file, project);
                fs::remove(m_dir / file);
            }
        }
    }
}

// A project file may hold any byte in its name: a NUL, a line break followed by what would be
// DXF groups, a control character. The name is kept as read (--save writes it back), and every
// page and drawing still parses: the DXF's title text stays one value, the SVG holds no character
// that XML refuses.
TEST_F(ReportToolTargets, ControlCharactersInAProjectNameKeepEveryOutputValid) {
    const std::string name = std::string("AUDI\0TORIO\r\n0\r\nEOF\r\nX\x01Y", 23);
    {
        std::ofstream(m_dir / "hostil.qtv", std::ios::binary)
            << "<Projeto>" << name << "</Projeto>\r\n<Comprimento>12.00</Comprimento>\r\n";
    }
    for (const Output& output : kOutputs) {
        SCOPED_TRACE(output.suffix);
        std::string err;
        ASSERT_EQ(runIn(m_dir, writing("saida", output.suffix, {"hostil.qtv"}), &err), 0) << err;
        const fs::path first = m_dir / (std::string("saida") + output.firstFile);
        ASSERT_TRUE(fs::is_regular_file(first));
        // The DXF's title text has a space for each control character.
        const std::string suffix = output.suffix;
        expectParses(first, suffix == ".qtv"   ? name
                            : suffix == ".dxf" ? std::string("Projeto: AUDI TORIO  0  EOF  X Y ")
                                               : std::string("TORIO"));
    }
}

}  // namespace
