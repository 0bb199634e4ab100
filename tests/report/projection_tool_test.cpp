// vistametra-report's projector and LED options, run as a real process: refusals with exit 2,
// the JSON under "projection", the page after the analysis's, the DXF's layer PROJETOR, and the
// inputs kept in the project file without changing what a reader of the 22 fields finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/dados_projeto.h"
#include "core/whole_file.h"
#include "project/project_file.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class ProjectionTool : public ToolProcessTest {
protected:
    Json JsonOf(std::vector<std::string> args) {
        args.push_back("--json");
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return Json::parse(r.out, nullptr, false);
    }
};

TEST_F(ProjectionTool, BadInputsAreRefusedNamingTheOption) {
    const std::vector<std::vector<std::string>> cases = {
        {"--ambient-lux", "-5"},   {"--gain", "0"},          {"--throw-ratio", "0"},
        {"--led-pitch", "0"},      {"--throw-ratio", "2:1.5"}, {"--led-tile", "0.5"},
        {"--contrast", "1"},       {"--contrast", "alto"},   {"--lens-derating", "1.2"},
        {"--ambient-lux", "1e3"},  {"--led-tile", "0x0.5"},  {"--lens-offset", "x%"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> full = args;
        full.insert(full.end(), {"--save", "p.qtv", "-o", "r.pdf"});
        const ToolRun r = run(full);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1];
        EXPECT_NE(r.err.find(args[0] + " " + args[1] + ":"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(m_dir / "p.qtv"));
        EXPECT_FALSE(fs::exists(m_dir / "r.pdf"));
    }
}

TEST_F(ProjectionTool, JsonCarriesTheProjectionOnlyWhenAsked) {
    EXPECT_FALSE(JsonOf({}).contains("projection"));

    // Decimal commas as a Brazilian types them; the category by its name.
    const Json j = JsonOf({"--ambient-lux", "100", "--contrast", "basic", "--throw-ratio",
                           "1,5:2,0", "--led-pitch", "2,5"});
    ASSERT_TRUE(j.contains("projection"));
    const Json& p = j["projection"];
    EXPECT_EQ(p["category"], "basic");
    EXPECT_EQ(p["brightness"]["images"][0]["image"], "planned");
    EXPECT_EQ(p["brightness"]["images"][0]["lumens"], 11280);
    EXPECT_EQ(p["brightness"]["images"][0]["lumens_exact"], 10528);
    EXPECT_EQ(p["brightness"]["categories"][3]["lumens"], 60160);
    EXPECT_DOUBLE_EQ(p["throw"]["distance_min_m"], 4.5);
    EXPECT_DOUBLE_EQ(p["throw"]["distance_max_m"], 6.0);
    EXPECT_EQ(p["throw"]["rows_in_beam"], Json::array());
    // The lens level with the image's top at 4.5 m: above every view from behind.
    EXPECT_EQ(p["throw"]["rows_seeing_projector"], Json::array());
    // Lower, at 1.9 m, 6.0 m from the screen: in the view of rows 4 and 5 behind it.
    const Json low = JsonOf({"--throw-ratio", "2", "--lens-height", "1.9"})["projection"]["throw"];
    EXPECT_EQ(low["rows_seeing_projector"], Json({4, 5}));
    ASSERT_EQ(low["rows_behind"].size(), 4u);
    EXPECT_EQ(low["rows_behind"][0]["row"], 4);
    EXPECT_EQ(low["rows_behind"][0]["sees_projector"], true);
    EXPECT_EQ(low["rows_behind"][2]["sees_projector"], false);
    EXPECT_EQ(p["led"]["pixels_across"], 1200);
    EXPECT_EQ(p["led"]["rows_closer"], Json({1, 2, 3, 4, 5}));

    // What cannot be computed is null with its reason.
    const Json q = JsonOf({"--led-pitch", "3.9"})["projection"];
    EXPECT_TRUE(q["brightness"].is_null());
    EXPECT_TRUE(q["brightness_reason"].is_string());
    EXPECT_TRUE(q["throw"].is_null());
    EXPECT_TRUE(q["throw_reason"].is_string());
    EXPECT_TRUE(q["led"]["tiles_across"].is_null());
    EXPECT_TRUE(q["led"]["tiles_across_reason"].is_string());

    // Without --json the table follows the result lines.
    const ToolRun r = run({"--ambient-lux", "100"});
    EXPECT_NE(r.out.find("Planejada"), std::string::npos);
    EXPECT_NE(r.out.find("11 280 lm"), std::string::npos);
}

std::vector<std::string> PdfPageWords(const fs::path& pdf, int page) {
    std::vector<std::string> words;
    for (const Word& w : pdfWords(pdf)) {
        if (w.page == page) {
            words.push_back(w.text);
        }
    }
    return words;
}

TEST_F(ProjectionTool, PageAfterTheAnalysis) {
    ASSERT_EQ(run({"--analysis", "-o", "a.pdf"}).exitCode, 0);
    EXPECT_EQ(pdfWords(m_dir / "a.pdf").back().page, 4);
    const ToolRun r = run({"--analysis", "--ambient-lux", "100", "--throw-ratio", "2",
                           "--lens-height", "1", "-o", "p.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> words = PdfPageWords(m_dir / "p.pdf", 5);
    const auto has = [&](const std::vector<std::string>& run) {
        return std::search(words.begin(), words.end(), run.begin(), run.end()) != words.end();
    };
    EXPECT_TRUE(has({"Projeção"}));
    EXPECT_TRUE(has({"11", "280", "lm"}));
    EXPECT_TRUE(has({"cabeça", "corta", "o", "feixe"}));
    EXPECT_TRUE(has({"1-3"}));  // rows 1 to 3 cut the beam of a lens 1 m high at 6 m
    EXPECT_TRUE(has({"5"}));  // its number in the footer
    EXPECT_TRUE(has({"veem", "o", "projetor"}));
    EXPECT_TRUE(has({"nenhuma"}));  // no row behind the lens has it in view

    // A lens at 1.9 m stands in the view of rows 4 and 5 behind it.
    ASSERT_EQ(run({"--analysis", "--throw-ratio", "2", "--lens-height", "1.9", "-o", "b.pdf"})
                  .exitCode,
              0);
    const std::vector<std::string> behind = PdfPageWords(m_dir / "b.pdf", 5);
    EXPECT_NE(std::find(behind.begin(), behind.end(), "4-5"), behind.end());
    EXPECT_EQ(std::find(words.begin(), words.end(), "4-5"), words.end());
}

// What ezdxf reads in a DXF (tests/report/dxf_facts.py).
Json DxfFacts(const fs::path& dir, const std::string& file) {
    const std::string command = "/usr/bin/python3 '" + std::string(VM_TEST_DATA) +
                                "/../dxf_facts.py' '" + (dir / file).string() + "'";
    int status = 0;
    const std::string out = capture(command, &status);
    EXPECT_EQ(status, 0) << command;
    return Json::parse(out, nullptr, false);
}

TEST_F(ProjectionTool, DxfLayerWithLensBeamAndHeads) {
    ASSERT_EQ(run({"-o", "plain.dxf"}).exitCode, 0);
    const Json plain = DxfFacts(m_dir, "plain.dxf");
    EXPECT_EQ(plain["projector_lines"].size(), 0u);

    const ToolRun r = run({"--throw-ratio", "2", "--lens-height", "1", "-o", "p.dxf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json dxf = DxfFacts(m_dir, "p.dxf");
    EXPECT_EQ(dxf["errors"], Json::array());
    const auto& layers = dxf["layers"];
    EXPECT_NE(std::find(layers.begin(), layers.end(), "PROJETOR"), layers.end());
    ASSERT_EQ(dxf["projector_circles"].size(), 1u);
    EXPECT_DOUBLE_EQ(dxf["projector_circles"][0][0], 6.0);
    EXPECT_DOUBLE_EQ(dxf["projector_circles"][0][1], 1.0);
    int beam = 0, heads = 0;
    for (const Json& line : dxf["projector_lines"]) {
        if (line[2] == 0.0) {
            ++beam;  // to the screen wall
        }
        if (line[4] == 1) {
            ++heads;  // red: rows 1 to 3
        }
    }
    EXPECT_EQ(beam, 2);
    EXPECT_EQ(heads, 3);

    // At 1.9 m no head cuts the beam, but rows 4 and 5 behind the lens (6.7 m and 7.7 m) have it
    // in view: their heads red.
    ASSERT_EQ(run({"--throw-ratio", "2", "--lens-height", "1.9", "-o", "v.dxf"}).exitCode, 0);
    const Json inView = DxfFacts(m_dir, "v.dxf");
    std::vector<double> red;
    for (const Json& line : inView["projector_lines"]) {
        if (line[4] == 1) {
            red.push_back(line[0].get<double>());
        }
    }
    ASSERT_EQ(red.size(), 2u);
    EXPECT_NEAR(red[0], 6.7, 1e-9);
    EXPECT_NEAR(red[1], 7.7, 1e-9);
}

TEST_F(ProjectionTool, InputsTravelInTheProjectFile) {
    ASSERT_EQ(run({"--save", "plain.qtv"}).exitCode, 0);
    ASSERT_EQ(run({"--ambient-lux", "300", "--throw-ratio", "1.5:2", "--led-pitch", "2.5",
                   "--led-tile", "0.5x0.5", "--save", "proj.qtv"})
                  .exitCode,
              0);
    const std::string plain = vm::ReadWholeFile(m_dir / "plain.qtv");
    const std::string withInputs = vm::ReadWholeFile(m_dir / "proj.qtv");
    // The inputs are one group before the last, empty line; without it the file is the plain one.
    const size_t from = withInputs.find("<projecao>\r\n");
    const size_t to = withInputs.find("</projecao>\r\n");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(withInputs.substr(0, from) + withInputs.substr(to + 13), plain);

    // A reader that knows only the 22 fields finds every one of them as in the plain file.
    vm::DadosProjeto a, b;
    std::vector<std::string> missing;
    EXPECT_EQ(vm::LerProjeto(a, plain), 22);
    EXPECT_EQ(vm::LerProjeto(b, withInputs, &missing), 22);
    EXPECT_TRUE(missing.empty());
    EXPECT_EQ(b.projecao.ambientLux, 300);
    b.projecao = {};
    EXPECT_EQ(vm::TextoProjeto(b), vm::TextoProjeto(a));

    // Opened again, the inputs come back, and an option goes over the file's.
    const Json j = JsonOf({"proj.qtv", "--ambient-lux", "50"});
    const Json& in = j["projection"]["inputs"];
    EXPECT_EQ(in["ambient_lux"], 50.0);
    EXPECT_EQ(in["throw_ratio_min"], 1.5);
    EXPECT_EQ(in["throw_ratio_max"], 2.0);
    EXPECT_EQ(in["led_tile_width_m"], 0.5);
    // Saved again unchanged, the file is the same byte for byte.
    ASSERT_EQ(run({"proj.qtv", "--save", "again.qtv"}).exitCode, 0);
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "again.qtv"), withInputs);
}

}  // namespace
