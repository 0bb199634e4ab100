// vistametra-report with several project files in one run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;

class SeveralProjects : public ToolProcessTest {
protected:
    // Writes a project of that name with the given --set values through the tool itself.
    void save(const std::string& file, const std::vector<std::string>& sets) {
        std::vector<std::string> args;
        for (const std::string& set : sets) {
            args.insert(args.end(), {"--set", set});
        }
        args.insert(args.end(), {"--save", file});
        const ToolRun r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    static std::vector<nlohmann::json> lines(const std::string& out) {
        std::vector<nlohmann::json> objects;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            objects.push_back(nlohmann::json::parse(line));
        }
        return objects;
    }
};

// A broken file in the middle is named on standard error and in the exit code; the files around
// it are still done, each from the default project: what one file lacks is empty, not taken over
// from the file before it.
TEST_F(SeveralProjects, EachFileALineAndABrokenOneNamed) {
    save("sala a.qtv", {"cProjeto=SALA A", "nLargura=9", "nAspecto=2"});
    save("b.qtv", {"cProjeto=B", "nNumeroFilas=3"});
    std::string partial = vm::ReadWholeFile(m_dir / "b.qtv");
    partial.erase(partial.find("<Aspecto>"), 9);
    std::ofstream(m_dir / "parcial.qtv", std::ios::binary) << partial;
    std::ofstream(m_dir / "quebrado.qtv") << "not a project";

    const ToolRun r = run({"sala a.qtv", "quebrado.qtv", "parcial.qtv", "ausente.qtv", "b.qtv",
                           "--jsonl", "--set", "nComprimento=20"});
    EXPECT_EQ(r.exitCode, 1);
    // One line for each file that is not a project; the system's reason is in the user's language.
    std::vector<std::string> messages;
    std::istringstream err(r.err);
    for (std::string line; std::getline(err, line);) {
        messages.push_back(line);
    }
    ASSERT_EQ(messages.size(), 3u) << r.err;
    EXPECT_EQ(messages[0],
              "vistametra-report: quebrado.qtv is not a Vistametra project: it holds no project "
              "field");
    EXPECT_EQ(messages[1],
              "vistametra-report: warning: parcial.qtv lacks the field nAspecto; it is empty");
    EXPECT_EQ(messages[2].rfind("vistametra-report: cannot read ausente.qtv: ", 0), 0u)
        << messages[2];
    const std::vector<nlohmann::json> objects = lines(r.out);
    ASSERT_EQ(objects.size(), 3u) << r.out;
    const struct {
        const char* file;
        const char* projeto;
        double largura;
        double filas;
        double aspecto;
    } expected[] = {
        {"sala a.qtv", "SALA A", 9, 7, 2},
        {"parcial.qtv", "B", 5, 3, 0},
        {"b.qtv", "B", 5, 3, 3},
    };
    for (size_t i = 0; i < objects.size(); ++i) {
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(objects[i]["file"], expected[i].file);
        EXPECT_EQ(objects[i]["cProjeto"], expected[i].projeto);
        EXPECT_EQ(objects[i]["nLargura"], expected[i].largura);
        EXPECT_EQ(objects[i]["nNumeroFilas"], expected[i].filas);
        EXPECT_EQ(objects[i]["nAspecto"], expected[i].aspecto);
        EXPECT_EQ(objects[i]["nComprimento"], 20.0);  // --set applies to each
    }
}

// Each project's object is the one a run of its own prints; --json gathers them in an array.
TEST_F(SeveralProjects, SameObjectsAsRunsOfTheirOwn) {
    save("a.qtv", {"cProjeto=A", "nAlturaFila2=0.35"});
    save("b.qtv", {"cProjeto=B", "nNumeroFilas=20", "nComprimento=25"});
    const std::vector<std::string> options = {"--analysis", "--target-c", "120", "--ambient-lux",
                                              "200"};
    std::vector<std::string> both = {"a.qtv", "b.qtv", "--jsonl"};
    both.insert(both.end(), options.begin(), options.end());
    const ToolRun jsonl = run(both);
    ASSERT_EQ(jsonl.exitCode, 0) << jsonl.err;
    EXPECT_EQ(jsonl.err, "");
    both[2] = "--json";
    const ToolRun json = run(both);
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json array = nlohmann::json::parse(json.out);
    ASSERT_TRUE(array.is_array());
    ASSERT_EQ(array.size(), 2u);

    const std::vector<nlohmann::json> objects = lines(jsonl.out);
    ASSERT_EQ(objects.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        std::vector<std::string> one = {i == 0 ? "a.qtv" : "b.qtv", "--json"};
        one.insert(one.end(), options.begin(), options.end());
        const ToolRun alone = run(one);
        ASSERT_EQ(alone.exitCode, 0) << alone.err;
        const nlohmann::json object = nlohmann::json::parse(alone.out);
        EXPECT_EQ(objects[i], object);
        EXPECT_EQ(array[i], object);
        EXPECT_TRUE(object.contains("analysis"));
        EXPECT_TRUE(object.contains("projection"));
    }
}

// Outputs that belong to one project, or that name none, are refused before anything is done.
TEST_F(SeveralProjects, OutputsOfOneProjectRefused) {
    save("a.qtv", {"cProjeto=A"});
    save("b.qtv", {"cProjeto=B"});
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--jsonl", "--save", "c.qtv"}, "--save writes one project file, not 2 project files"},
        {{"--json", "-o", "c.pdf"}, "-o writes the report of one project, not 2 project files"},
        {{"--jsonl", "--summary"}, "--summary prints lines that name no project"},
        {{}, "2 project files are printed with --json (one array) or --jsonl (one line each)"},
        {{"--analysis"}, "2 project files are printed with --json"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"a.qtv", "b.qtv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun r = run(args);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(m_dir / "c.qtv"));
        EXPECT_FALSE(fs::exists(m_dir / "c.pdf"));
    }
}

}  // namespace

namespace {

// A reader that leaves early (`| head -1` over 200 projects; a 200-row analysis line, larger than
// a pipe holds, into `head -c 100`) ends the tool at once with 1 and nothing on standard error.
// timeout(1) only bounds a tool that would hang: it kills it after 5 s, and the run fails then.
TEST_F(SeveralProjects, AReaderThatLeavesEndsTheRunAtOnceAndQuietly) {
    save("sala.qtv", {"nNumeroFilas=12"});
    std::string files;
    for (int i = 0; i < 200; ++i) {
        const std::string name = "sala" + std::to_string(i) + ".qtv";
        fs::copy_file(m_dir / "sala.qtv", m_dir / name);
        files += " " + name;
    }
    const std::string tool = "timeout -s KILL 5 '" + reportToolPath() + "'";
    const std::string runs[] = {
        tool + files + " --jsonl 2>err | head -1",
        tool +
            " --jsonl --analysis --set nNumeroFilas=200 --set nComprimento=300 2>err"
            " | head -c 100",
    };
    for (const std::string& command : runs) {
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(command.substr(command.size() - 30) + " #" + std::to_string(i));
            std::ofstream(m_dir / "run.sh") << command << " >first; echo ${PIPESTATUS[0]}\n";
            const std::string shown = capture("cd '" + m_dir.string() + "' && bash run.sh");
            EXPECT_EQ(shown, "1\n");  // 137 when killed
            EXPECT_EQ(vm::ReadWholeFile(m_dir / "err"), "");
            const std::string first = vm::ReadWholeFile(m_dir / "first");
            EXPECT_EQ(first.rfind("{\"schema\":1", 0), 0u) << first.substr(0, 40);
        }
    }
}

}  // namespace
