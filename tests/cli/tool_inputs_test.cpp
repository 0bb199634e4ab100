// vistametra-report's inputs, run as a real process: each option takes one value and the words
// after it are project files; options that name their default still give the projection; the
// wheelchair places are capped; values that no field holds are refused, on the command line and
// in a file.
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
using Json = nlohmann::json;

using ToolInputs = ToolProcessTest;

// 1e-319 written as a project file and --set write numbers: digits with one ".".
std::string Subnormal() {
    return "0." + std::string(318, '0') + "1";
}

// Every line of the text parsed as JSON.
std::vector<Json> JsonLines(const std::string& text) {
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(Json::parse(line));
    }
    return lines;
}

TEST_F(ToolInputs, EachOptionTakesOneValueAndTheWordsAfterItAreProjectFiles) {
    ASSERT_EQ(run({"--set", "nNumeroFilas=9", "--save", "sala.qtv"}).exitCode, 0);
    ASSERT_EQ(run({"--set", "nNumeroFilas=8", "--save", "b.qtv"}).exitCode, 0);

    // The file after --set is opened, and the value goes over the file's.
    const ToolRun set = run({"--set", "nNumeroFilas=12", "sala.qtv", "--json"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const Json j = Json::parse(set.out);
    EXPECT_EQ(j["file"], "sala.qtv");
    EXPECT_EQ(j["nNumeroFilas"], 12);

    // Repeated occurrences still apply in order.
    const Json twice =
        Json::parse(run({"--set", "nNumeroFilas=12", "--set", "nComprimento=20", "--json"}).out);
    EXPECT_EQ(twice["nNumeroFilas"], 12);
    EXPECT_EQ(twice["nComprimento"], 20);

    // A second FIELD=VALUE after one --set is a project file, which does not exist.
    const ToolRun two = run({"--set", "nNumeroFilas=12", "nComprimento=20", "--json"});
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_NE(two.err.find("cannot read nComprimento=20"), std::string::npos) << two.err;
    EXPECT_EQ(two.out, "");

    // xargs puts the files after the options.
    int status = -1;
    const std::string out =
        capture("cd '" + m_dir.string() + "' && printf 'sala.qtv\\nb.qtv\\n' | xargs '" +
                    reportToolPath() + "' --jsonl --set nAlturaFila2=0.35",
                &status);
    EXPECT_EQ(status, 0);
    const std::vector<Json> lines = JsonLines(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    EXPECT_EQ(lines[0]["file"], "sala.qtv");
    EXPECT_EQ(lines[0]["nNumeroFilas"], 9);
    EXPECT_EQ(lines[1]["file"], "b.qtv");
    EXPECT_EQ(lines[1]["nNumeroFilas"], 8);
    for (const Json& line : lines) {
        EXPECT_EQ(line["nAlturaFila2"], 0.35);
    }

    // The wheelchair options too: one place each, then the project file.
    for (const std::vector<std::string>& place :
         {std::vector<std::string>{"--wheelchair", "2"},
          std::vector<std::string>{"--wheelchair-platform", "0.2@4.7"}}) {
        std::vector<std::string> args = place;
        args.insert(args.end(), {"sala.qtv", "--analysis", "--json"});
        const ToolRun r = run(args);
        ASSERT_EQ(r.exitCode, 0) << place[0] << ": " << r.err;
        const Json a = Json::parse(r.out);
        EXPECT_EQ(a["file"], "sala.qtv") << place[0];
        EXPECT_EQ(a["analysis"]["accessibility"]["positions"].size(), 1u) << place[0];
    }
}

// An option that names its default is an input given: the projection is computed, and --save
// keeps it in the file.
TEST_F(ToolInputs, OptionsThatEqualTheirDefaultGiveTheProjection) {
    const std::vector<std::vector<std::string>> defaults = {
        {"--contrast", "basic"},       {"--contrast", "15:1"}, {"--gain", "1"},
        {"--lens-offset", "100%"},     {"--lens-offset", "1"}, {"--lens-derating", "1"},
        {"--ageing-derating", "0.75"},
    };
    for (const auto& option : defaults) {
        std::vector<std::string> args = option;
        args.insert(args.end(), {"--json", "--save", "p.qtv"});
        const ToolRun r = run(args);
        ASSERT_EQ(r.exitCode, 0) << option[0] << " " << option[1] << ": " << r.err;
        const Json j = Json::parse(r.out);
        ASSERT_TRUE(j.contains("projection")) << option[0] << " " << option[1];
        EXPECT_EQ(j["projection"]["inputs"]["gain"], 1);
        EXPECT_EQ(j["projection"]["inputs"]["contrast"], 15);

        const ToolRun again = run({"p.qtv", "--json"});
        ASSERT_EQ(again.exitCode, 0) << again.err;
        EXPECT_TRUE(Json::parse(again.out).contains("projection")) << option[0];
    }
    const ToolRun plain = run({"--json", "--save", "p.qtv"});
    EXPECT_FALSE(Json::parse(plain.out).contains("projection"));
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "p.qtv").find("<projecao>"), std::string::npos);
}

TEST_F(ToolInputs, AtMost2000WheelchairPlaces) {
    const auto places = [](int rows, int platforms) {
        std::vector<std::string> args{"--analysis", "--json"};
        for (int k = 0; k < rows; ++k) {
            args.insert(args.end(), {"--wheelchair", "1:right"});
        }
        for (int k = 0; k < platforms; ++k) {
            args.insert(args.end(), {"--wheelchair-platform", "0.2@4.7"});
        }
        return args;
    };
    for (const auto& [rows, platforms] :
         {std::pair{2001, 0}, std::pair{0, 2001}, std::pair{1000, 1001}, std::pair{10000, 0}}) {
        const ToolRun r = run(places(rows, platforms));
        EXPECT_EQ(r.exitCode, 2) << rows << "+" << platforms;
        EXPECT_NE(r.err.find(std::to_string(rows + platforms) + " places"), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("at most 2000"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    // 1000 spaces side by side at each end of a 2000 m wide room, 800 m from each wall.
    std::vector<std::string> mostArgs = places(1000, 1000);
    mostArgs.insert(mostArgs.end(), {"--set", "nLargura=2000"});
    const ToolRun most = run(mostArgs);
    ASSERT_EQ(most.exitCode, 0) << most.err;
    EXPECT_EQ(Json::parse(most.out)["analysis"]["accessibility"]["positions"].size(), 2000u);
}

TEST_F(ToolInputs, RefusalsSayWhatIsWanted) {
    // --riser-block takes a whole number of rows.
    for (const char* text : {"3.5", "4x", "", "6", "2", "-4", "+4", "99999999999"}) {
        const ToolRun r = run({"--analysis", "--riser-block", text});
        EXPECT_EQ(r.exitCode, 2) << text;
        EXPECT_NE(r.err.find("--riser-block " + std::string(text) +
                             ": expected a whole number of rows from 3 to 5"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(run({"--analysis", "--riser-block", "4", "--json"}).exitCode, 0);

    // A subnormal number is no value a field or an input holds.
    const ToolRun set = run({"--set", "nLargura=" + Subnormal(), "--json"});
    EXPECT_EQ(set.exitCode, 2);
    EXPECT_NE(set.err.find("too small to be held"), std::string::npos) << set.err;
    const ToolRun gain = run({"--gain", Subnormal(), "--json"});
    EXPECT_EQ(gain.exitCode, 2);
    EXPECT_NE(gain.err.find("--gain 0.000"), std::string::npos) << gain.err;
    EXPECT_NE(gain.err.find("Ganho da tela"), std::string::npos) << gain.err;
}

// A file is read as written, but a figure no field holds counts as out of range: a subnormal
// gain keeps the default gain, a subnormal or enormous length describes no room.
TEST_F(ToolInputs, FiguresNoFieldHoldsAreOutOfRangeInAFile) {
    ASSERT_EQ(run({"--gain", "2", "--save", "g.qtv"}).exitCode, 0);
    std::string text = vm::ReadWholeFile(m_dir / "g.qtv");
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("<ProjGanho>2</ProjGanho>", "<ProjGanho>" + Subnormal() + "</ProjGanho>");
    std::ofstream(m_dir / "g.qtv", std::ios::binary) << text;
    const ToolRun r = run({"g.qtv", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["projection"]["inputs"]["gain"], 1);

    replace("<Largura> 5.00</Largura>", "<Largura>" + Subnormal() + "</Largura>");
    replace("<Cmprimento>10.00</Comprimento>", "<Cmprimento>1000000000000000000</Comprimento>");
    std::ofstream(m_dir / "g.qtv", std::ios::binary) << text;
    const ToolRun warned = run({"g.qtv", "--json"});
    EXPECT_EQ(warned.exitCode, 0) << warned.err;
    EXPECT_NE(warned.err.find("nLargura is 0.00 (too small to be held"), std::string::npos)
        << warned.err;
    EXPECT_NE(warned.err.find("nComprimento is 1000000000000000000.00 (too large to be held"),
              std::string::npos)
        << warned.err;
    const ToolRun report = run({"g.qtv", "-o", "g.dxf"});
    EXPECT_EQ(report.exitCode, 1);
    EXPECT_FALSE(fs::exists(m_dir / "g.dxf"));
}

}  // namespace
