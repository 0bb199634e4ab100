// vistametra-report --analysis, run as a real process: the table, the JSON under "analysis", and
// the output without --analysis unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <locale>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/whole_file.h"
#include "tests/support/tool_process.h"
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

class AnalysisTool : public ToolProcessTest {
protected:
    Json Analysis(std::vector<std::string> args) {
        args.push_back("--json");
        args.push_back("--analysis");
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const Json j = Json::parse(r.out);
        EXPECT_TRUE(j.contains("analysis"));
        return j.value("analysis", Json::object());
    }
};

// The whitespace-separated words of the table line whose first word is `first`, after `from`.
std::vector<std::string> LineWords(const std::string& text, const std::string& first,
                                   size_t from = 0) {
    std::istringstream lines(text.substr(from));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) {
            words.push_back(w);
        }
        if (!words.empty() && words[0] == first) {
            return words;
        }
    }
    return {};
}

// Every figure KEY that has a companion KEY_reason: null exactly when the reason is a text.
// Returns the number of such pairs seen.
int CheckReasons(const Json& j, const std::string& path) {
    int pairs = 0;
    if (j.is_array()) {
        for (size_t i = 0; i < j.size(); ++i) {
            pairs += CheckReasons(j[i], path + "[" + std::to_string(i) + "]");
        }
    }
    if (!j.is_object()) {
        return pairs;
    }
    for (const auto& [key, value] : j.items()) {
        pairs += CheckReasons(value, path + "." + key);
        const auto reason = j.find(key + "_reason");
        if (reason == j.end()) {
            continue;
        }
        ++pairs;
        EXPECT_TRUE(reason->is_null() || reason->is_string()) << path << "." << key;
        EXPECT_EQ(value.is_null(), reason->is_string()) << path << "." << key;
        if (reason->is_string()) {
            EXPECT_FALSE(reason->get<std::string>().empty()) << path << "." << key;
        }
    }
    return pairs;
}

TEST_F(AnalysisTool, WithoutAnalysisTheOutputIsAsBefore) {
    // Captured from vistametra-report before --analysis existed; the JSON has gained "warnings",
    // "schema" and "cData_iso" since.
    const struct {
        std::vector<std::string> args;
        const char* golden;
    } cases[] = {
        {{}, "default.out"},
        {{"--summary", "--json", "--set", "cData=01/02/24"}, "summary_json.out"},
        {{"--json", "--set", "cData=01/02/24", "--set", "nNumeroFilas=0", "--set",
          "nLarguraAssento=0", "--set", "nTelaAltura=0", "--set", "nImagemAltura=0"},
         "degenerate_json.out"},
        {{"--set", "nNumeroFilas=12", "--set", "nDistOlhos1=2.5", "--set", "nAlturaFila2=0.35"},
         "stepped.out"},
    };
    for (const auto& c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.golden << ": " << r.err;
        EXPECT_EQ(r.out, vm::ReadWholeFile(fs::path(VM_TEST_DATA) / "unchanged" / c.golden))
            << c.golden;
    }
}

TEST_F(AnalysisTool, TableOfTheDefaultRoom) {
    const ToolRun r = run({"--analysis"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Análise das linhas de visão: AUDITORIO_TERREO\n", 0), 0u) << r.out;
    // Row 2: eyes at 4.7 m and 1.4 m; 1.88 m screen with its top at 3.6 m, bottom 1.72 m.
    // Up to the top atan(2.2 / 4.7) = 25.08 degrees, to the bottom atan(0.32 / 4.7) = 3.89;
    // C over row 1 (D 3.7, R 1.2 - 1.72 = -0.52, N 0.2, T 1): 3.7 x -0.32 / 4.7 + 0.52 m.
    EXPECT_EQ(LineWords(r.out, "2"), (std::vector<std::string>{"2", "4.70", "1.40", "25.08", "3.89",
                                                               "268.1", "excelente"}));
    EXPECT_EQ(LineWords(r.out, "1"),
              (std::vector<std::string>{"1", "3.70", "1.20", "32.97", "8.00", "-", "primeira",
                                        "fila:", "não", "há", "fila", "à", "frente"}));
    // 4 x 1.88 = 7.52 m leaves rows 5 to 7 (7.7 m on) beyond detail.
    EXPECT_EQ(LineWords(r.out, "Detalhes"),
              (std::vector<std::string>{"Detalhes", "4", "7.52", "5-7"}));
    EXPECT_EQ(LineWords(r.out, "Vídeo"),
              (std::vector<std::string>{"Vídeo", "8", "15.04", "nenhuma"}));
    // ADM: 1.88 x 3438 / 800 = 8.08 m; CV: 1.732 x (1.88 + 0.52) = 4.16 m, the first row at
    // 3.70 m is nearer.
    EXPECT_NE(r.out.find("8.08 m; filas além dela: 6-7\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4.16 m; primeira fila a 3.70 m: perto demais\n"), std::string::npos);
    // INT((5 - 0.4) / 0.7) = 6 seats a row, all within 3.7 m and more of the centre line; the
    // hall's wheelchair space at row 1's left end (0.2-1.0 m) takes seats 1 and 2.
    EXPECT_NE(r.out.find("Assentos da planta: 6 por fila, 40 ao todo (2 assentos deram lugar aos "
                         "espaços para cadeira de rodas);"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(LineWords(r.out, "7", r.out.find("Mapa")),
              (std::vector<std::string>{"7", "IIIIII", "1-6", "Ideal"}));
    EXPECT_EQ(LineWords(r.out, "1", r.out.find("Mapa")),
              (std::vector<std::string>{"1", "CCIIII", "3-6", "Ideal;", "1-2", "cadeira", "de",
                                        "rodas"}));
    // --summary puts the result lines first.
    const ToolRun both = run({"--summary", "--analysis"});
    EXPECT_EQ(both.out, vm::ReadWholeFile(fs::path(VM_TEST_DATA) / "unchanged" / "default.out") +
                            "\n" + r.out);
}

TEST_F(AnalysisTool, JsonOfThePublishedExample) {
    // Image 1.5 m high with its bottom 1.4 m up, 1080 lines, eyes at 1.2 m, last row at 10.5 m.
    const Json a =
        Analysis({"--set", "nTelaTopo=2.9", "--set", "nTelaAltura=1.5", "--set",
                  "nImagemAltura=1080", "--set", "nDistOlhos1=3.5", "--set", "nNumeroFilas=8"});
    const Json& d = a["discas"];
    EXPECT_NEAR(d["farthest_viewer_m"].get<double>(), 10.5, 1e-12);
    // %EH from the farthest seat to the image's far edge, sqrt(10.5^2 + 3.45^2) m.
    EXPECT_NEAR(d["percent_eh"].get<double>(), std::hypot(10.5, 3.45) / 300 * 100, 1e-12);
    EXPECT_NEAR(d["element_height_mm"].get<double>(), std::hypot(10.5, 3.45) / 200 * 1000, 1e-9);
    EXPECT_NEAR(d["adm_farthest_viewer_m"].get<double>(), 4.775, 0.0005);
    EXPECT_EQ(d["adm_rows_beyond"], Json({3, 4, 5, 6, 7, 8}));
    EXPECT_NEAR(d["closest_viewer_m"].get<double>(), 2.944, 0.0005);
    EXPECT_EQ(d["first_row_far_enough"], true);
    EXPECT_TRUE(d["closest_viewer_m_reason"].is_null());
    ASSERT_EQ(a["rows"].size(), 8u);
    EXPECT_TRUE(a["rows"][0]["c_mm"].is_null());
    EXPECT_EQ(a["rows"][0]["c_mm_reason"], "primeira fila: não há fila à frente");
    EXPECT_EQ(a["categories"][1]["category"], "A");
    EXPECT_EQ(a["categories"][1]["divisor"], 6);
    EXPECT_EQ(a["seats"]["per_row"], 6);
    EXPECT_EQ(a["seats"]["total"], 48 - 2);  // seats 1-2 of row 1 make way for a wheelchair
    EXPECT_EQ(a["seats"]["wheelchair_seats"], 2);
    EXPECT_GT(CheckReasons(a, "analysis"), 40);

    // The rest of the object is what --json alone prints.
    const ToolRun plain = run({"--json", "--set", "cData=01/02/24"});
    const ToolRun with = run({"--json", "--analysis", "--set", "cData=01/02/24"});
    Json withAnalysis = Json::parse(with.out);
    ASSERT_TRUE(withAnalysis.contains("analysis"));
    withAnalysis.erase("analysis");
    EXPECT_EQ(withAnalysis, Json::parse(plain.out));
    EXPECT_FALSE(Json::parse(plain.out).contains("analysis"));
}

TEST_F(AnalysisTool, MeaninglessFiguresAreNullWithAReason) {
    const Json a = Analysis({"--set", "nNumeroFilas=0", "--set", "nLarguraAssento=0", "--set",
                             "nTelaAltura=0", "--set", "nImagemAltura=0"});
    EXPECT_TRUE(a["rows"].is_null());
    EXPECT_EQ(a["rows_reason"], "nenhuma fila de assentos");
    const struct {
        Json value;
        Json reason;
    } figures[] = {
        {a["categories"][0]["farthest_served_m"], a["categories"][0]["farthest_served_m_reason"]},
        {a["discas"]["farthest_viewer_m"], a["discas"]["farthest_viewer_m_reason"]},
        {a["discas"]["percent_eh"], a["discas"]["percent_eh_reason"]},
        {a["discas"]["adm_farthest_viewer_m"], a["discas"]["adm_farthest_viewer_m_reason"]},
        {a["discas"]["closest_viewer_m"], a["discas"]["closest_viewer_m_reason"]},
        {a["seats"]["per_row"], a["seats"]["per_row_reason"]},
        {a["seats"]["total"], a["seats"]["total_reason"]},
        {a["seats"]["ideal_percent"], a["seats"]["classes_reason"]},
    };
    for (const auto& f : figures) {
        EXPECT_TRUE(f.value.is_null()) << f.value;
        EXPECT_TRUE(f.reason.is_string()) << f.reason;
    }
    EXPECT_EQ(a["seats"]["per_row_reason"], "largura do assento nula");
    EXPECT_TRUE(a["seats"]["ideal"].is_null());
    EXPECT_GT(CheckReasons(a, "analysis"), 10);

    // The table says the same in words.
    const ToolRun r = run({"--analysis", "--set", "nTelaAltura=0"});
    EXPECT_EQ(LineWords(r.out, "Detalhes"),
              (std::vector<std::string>{"Detalhes", "4", "-", "-", "(a", "tela", "pretendida",
                                        "não", "tem", "altura)"}));
}

TEST_F(AnalysisTool, RisersForATargetCValue) {
    // Default project: s = (0.09 x 9.7 - 0.52 x 1) / 3.7 = 0.0954 -> 0.096 m; the 0.2 m steps
    // give every row more than 90 mm.
    const Json a = Analysis({});
    const Json& r = a["risers"];
    EXPECT_EQ(r["target_c_mm"], 90.0);
    EXPECT_NEAR(r["constant_step_m"].get<double>(), 0.096, 1e-12);
    EXPECT_EQ(r["current_step_m"], 0.2);
    EXPECT_EQ(r["rows_below_target"], Json::array());
    ASSERT_EQ(r["isoptic"].size(), 7u);
    EXPECT_TRUE(r["isoptic"][0]["step_m"].is_null());
    EXPECT_EQ(r["flat_floor_suffices"], false);
    // Row 2's line would allow eyes at 1.72 - 0.43 x 4.7 / 3.7 = 1.174 m: it stays level at 1.2.
    EXPECT_EQ(r["isoptic"][1]["eye_height_m"].get<double>(), 1.2);
    EXPECT_EQ(r["isoptic"][1]["step_m"].get<double>(), 0);
    EXPECT_EQ(r["isoptic"][1]["floor_rise_m"].get<double>(), 0);
    // Every row's step, isoptic, constant, rows, grouped.
    EXPECT_EQ(CheckReasons(r, "risers"), 7 + 4);

    // 120 mm on a flat floor: (0.12 x 9.7 - 0.52) / 3.7 = 0.17405 -> 0.175 m; a decimal comma
    // is read as a point. Row 2 sees 110.6 mm, so every row behind the first falls short.
    for (const char* target : {"120", "120,0", "120.0"}) {
        const Json flat = Analysis({"--target-c", target, "--set", "nAlturaFila2=0"})["risers"];
        EXPECT_EQ(flat["target_c_mm"], 120.0) << target;
        EXPECT_NEAR(flat["constant_step_m"].get<double>(), 0.175, 1e-12);
        EXPECT_EQ(flat["rows_below_target"], Json({2, 3, 4, 5, 6, 7}));
    }

    // One row: nothing to design, each figure null with its reason.
    const Json one = Analysis({"--set", "nNumeroFilas=1"})["risers"];
    EXPECT_TRUE(one["isoptic"].is_null());
    EXPECT_EQ(one["isoptic_reason"], "uma só fila: não há degrau a projetar");
    EXPECT_TRUE(one["constant_step_m"].is_null());
    EXPECT_TRUE(one["rows_below_target"].is_null());
    EXPECT_EQ(CheckReasons(one, "risers"), 4);

    // The table says the same.
    const ToolRun table = run({"--analysis", "--target-c", "60"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    // (0.06 x 9.7 - 0.52) / 3.7 = 0.0167 -> 0.017 m.
    EXPECT_NE(table.out.find("Degraus para um valor C de 60 mm"), std::string::npos);
    EXPECT_NE(table.out.find(" Degrau constante (arredondado para cima ao milímetro)  0.017 m\n"),
              std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find(" Degrau do projeto (Altura do degrau da Fila 2)         0.200 m\n"),
              std::string::npos)
        << table.out;

    // A target that a level floor gives: step 0 and the words for it, never a negative step.
    const ToolRun level = run({"--analysis", "--target-c", "1"});
    ASSERT_EQ(level.exitCode, 0) << level.err;
    EXPECT_NE(level.out.find("0.000 m (piso plano basta)"), std::string::npos) << level.out;
    const Json flat = Analysis({"--target-c", "1"})["risers"];
    EXPECT_EQ(flat["constant_step_m"], 0.0);
    EXPECT_EQ(flat["flat_floor_suffices"], true);
}

TEST_F(AnalysisTool, BadTargetsAreRefused) {
    for (const char* target :
         {"", "abc", "-1", "0", "0.9", "300.1", "1001", "9999", "9O", "1e2", "nan"}) {
        const ToolRun r = run({"--analysis", "--target-c", target});
        EXPECT_EQ(r.exitCode, 2) << target;
        EXPECT_NE(r.err.find("--target-c"), std::string::npos) << target << ": " << r.err;
        EXPECT_EQ(r.out, "") << target;
    }
    // The bounds themselves are targets.
    for (const char* target : {"1", "300", "300,0"}) {
        EXPECT_EQ(run({"--analysis", "--target-c", target}).exitCode, 0) << target;
    }

    // A target with nothing to design for is refused, not ignored: no analysis and no drawing.
    const std::vector<std::vector<std::string>> unused = {
        {"--target-c", "120"},
        {"--target-c", "120", "--json"},
        {"--target-c", "120", "-o", "r.pdf"},
    };
    for (const auto& args : unused) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("--target-c needs --analysis or a .dxf output"), std::string::npos)
            << r.err;
        EXPECT_FALSE(fs::exists(m_dir / "r.pdf"));
    }
    EXPECT_EQ(run({"--target-c", "120", "-o", "corte.DXF"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(m_dir / "corte.DXF"));
}

// The words of pdftotext's text of pages first to last of a PDF in `dir`.
std::vector<std::string> PdfWords(const fs::path& dir, const std::string& pdf, int first,
                                  int last) {
    const fs::path text = dir / "words.txt";
    const std::string command = "pdftotext -q -layout -f " + std::to_string(first) + " -l " +
                                std::to_string(last) + " '" + (dir / pdf).string() + "' '" +
                                text.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::istringstream in(vm::ReadWholeFile(text));
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

bool Contains(const std::vector<std::string>& words, const std::vector<std::string>& run) {
    return std::search(words.begin(), words.end(), run.begin(), run.end()) != words.end();
}

TEST_F(AnalysisTool, AnalysisPagesFollowTheReportPages) {
    ASSERT_EQ(run({"-o", "plain.pdf"}).exitCode, 0);
    ASSERT_EQ(
        std::system(
            ("pdfinfo '" + (m_dir / "plain.pdf").string() + "' | grep -q '^Pages: *2$'").c_str()),
        0);
    const ToolRun r = run({"--analysis", "-o", "analise.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The analysis table still goes to standard output.
    EXPECT_NE(r.out.find("Degraus para um valor C de 90 mm"), std::string::npos);

    // Pages 1 and 2 are the report's, unchanged; 3 and 4 the analysis, numbered on.
    EXPECT_EQ(PdfWords(m_dir, "analise.pdf", 1, 2), PdfWords(m_dir, "plain.pdf", 1, 2));
    const std::vector<std::string> drawings = PdfWords(m_dir, "analise.pdf", 3, 3);
    EXPECT_TRUE(Contains(drawings, {"Visibilidade", "dos", "Assentos"}));
    EXPECT_TRUE(Contains(drawings, {"40", "assentos:", "Ideal", "(90°):", "40", "(100.0", "%)"}));
    const std::vector<std::string> table = PdfWords(m_dir, "analise.pdf", 4, 4);
    EXPECT_TRUE(Contains(table, {"Filas", "e", "degraus"}));
    // Row 2 of the table: distance, eyes, angle to the top, C-value, grade, then the isoptic
    // eye height: level with row 1 (the line would allow 1.174), step and floor rise 0.
    EXPECT_TRUE(
        Contains(table, {"2", "4.70", "1.40", "25.08", "268.1", "excelente", "1.200", "0.000"}));
    EXPECT_TRUE(Contains(table, {"milímetro):", "0.096", "m"}));

    // Page files: the specified pages byte for byte as without --analysis.
    ASSERT_EQ(run({"-o", "plain.emf"}).exitCode, 0);
    ASSERT_EQ(run({"--analysis", "--target-c", "120", "-o", "analise.emf"}).exitCode, 0);
    for (const char* n : {"0001", "0002"}) {
        const std::string page = vm::ReadWholeFile(m_dir / ("plain_" + std::string(n) + ".emf"));
        EXPECT_FALSE(page.empty());
        EXPECT_EQ(vm::ReadWholeFile(m_dir / ("analise_" + std::string(n) + ".emf")), page) << n;
    }
    EXPECT_FALSE(fs::exists(m_dir / "plain_0003.emf"));
    EXPECT_TRUE(fs::exists(m_dir / "analise_0004.emf"));
    EXPECT_FALSE(fs::exists(m_dir / "analise_0005.emf"));
}

// What ezdxf reads in a DXF that the tool wrote (tests/report/dxf_facts.py); null when ezdxf
// cannot run here.
Json DxfFacts(const fs::path& dir, const std::string& file) {
    const fs::path out = dir / "facts.json";
    const std::string command = "/usr/bin/python3 '" + std::string(VM_TEST_DATA) +
                                "/../dxf_facts.py' '" + (dir / file).string() + "' > '" +
                                out.string() + "' 2> '" + (dir / "facts.err").string() + "'";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << command << ": " << vm::ReadWholeFile(dir / "facts.err");
        return nullptr;
    }
    return Json::parse(vm::ReadWholeFile(out));
}

TEST_F(AnalysisTool, StaggeredSeats) {
    // Flat floor: C2 of rows 5, 6, 7 over rows 3, 4, 5 is 135.1, 119.5 and 107.2 mm.
    const Json on = Analysis({"--staggered", "--set", "nAlturaFila2=0"});
    EXPECT_EQ(on["staggered"], true);
    const Json& rows = on["rows"];
    EXPECT_TRUE(rows[1]["c2_mm"].is_null());
    EXPECT_TRUE(rows[1]["c2_mm_reason"].is_string());
    const struct {
        size_t index;
        double c2;
        const char* grade;
        const char* cGrade;  // by C over the row in front: 0.52 / (D + 1)
    } expected[] = {{4, 1.04 / 7.7, "excelente", "aceitável"},
                    {5, 1.04 / 8.7, "bom", "ruim"},
                    {6, 1.04 / 9.7, "bom", "ruim"}};
    for (const auto& e : expected) {
        EXPECT_NEAR(rows[e.index]["c2_mm"].get<double>(), e.c2 * 1000, 1e-9);
        EXPECT_EQ(rows[e.index]["c2_grade"], e.grade);
        EXPECT_EQ(rows[e.index]["grade"], e.grade);
        EXPECT_EQ(rows[e.index]["c_grade"], e.cGrade);  // both are carried
    }
    // Without --staggered the C-value's grade counts, and C2 is still given.
    const Json off = Analysis({"--set", "nAlturaFila2=0"});
    EXPECT_EQ(off["staggered"], false);
    EXPECT_EQ(off["rows"][6]["grade"], "ruim");
    EXPECT_NEAR(off["rows"][6]["c2_mm"].get<double>(), 1.04 / 9.7 * 1000, 1e-9);

    // The table shows both columns, graded by C2: angles atan(2.4 / 9.7) and atan(0.52 / 9.7).
    const ToolRun table = run({"--analysis", "--staggered", "--set", "nAlturaFila2=0"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_NE(table.out.find("C2 (mm)"), std::string::npos);
    EXPECT_EQ(LineWords(table.out, "7"), (std::vector<std::string>{"7", "9.70", "1.20", "13.90",
                                                                   "3.07", "53.6", "107.2", "bom"}))
        << table.out;
    // Nothing to stagger without the analysis or a drawing.
    EXPECT_EQ(run({"--staggered"}).exitCode, 2);
}

// The grouped risers that count for the seating go the same into the table, the JSON and the DXF's
// layer DEGRAUS. Default project, 120 mm: by C2 (staggered) rows 6 and 7 rise 0.009 m each, 0.018 m
// in all; over the row in front 0.536 m. The staggered constant step is
// (0.12 x 9.7 - 2 x 0.52 x 1) / (2 x 3.7) = 0.0168 -> 0.017 m, by C (0.12 x 9.7 - 0.52) / 3.7 ->
// 0.175 m.
TEST_F(AnalysisTool, StaggeredRisersAreTheSameInEveryOutput) {
    const struct {
        bool staggered;
        const char* label;  // the first word of the table's line of the design
        const char* key;
        double rise;
        double constantStep;
    } cases[] = {{true, "Assentos", "grouped_staggered", 0.018, 0.017},
                 {false, "Sobre", "grouped", 0.536, 0.175}};
    std::string dxfBytes[2];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        std::vector<std::string> args = {"--target-c", "120"};
        if (c.staggered) {
            args.push_back("--staggered");
        }
        const Json risers = Analysis(args)["risers"];
        EXPECT_NEAR(risers[c.key]["total_rise_m"].get<double>(), c.rise, 1e-9);
        EXPECT_NEAR(risers["constant_step_m"].get<double>(), c.constantStep, 1e-12);
        EXPECT_EQ(risers["rows_below_target"], Json::array());

        std::vector<std::string> tableArgs = args;
        tableArgs.push_back("--analysis");
        const ToolRun table = run(tableArgs);
        ASSERT_EQ(table.exitCode, 0) << table.err;
        const std::vector<std::string> line =
            LineWords(table.out, c.label, table.out.find("Degraus em blocos"));
        const auto total = std::find(line.begin(), line.end(), "total");
        ASSERT_LT(total + 1, line.end()) << table.out;
        // The table writes "." before the decimals under every locale: read it so.
        std::istringstream figure(*(total + 1));
        figure.imbue(std::locale::classic());
        double shown = NAN;
        figure >> shown;
        EXPECT_NEAR(shown, c.rise, 1e-9) << table.out;

        std::vector<std::string> dxfArgs = args;
        dxfArgs.insert(dxfArgs.end(), {"-o", "d.dxf"});
        ASSERT_EQ(run(dxfArgs).exitCode, 0);
        dxfBytes[c.staggered ? 0 : 1] = vm::ReadWholeFile(m_dir / "d.dxf");
        const Json dxf = DxfFacts(m_dir, "d.dxf");
        ASSERT_FALSE(dxf.is_null());
        double lowest = INFINITY;
        double highest = -INFINITY;
        for (const Json& l : dxf["degraus_lines"]) {
            for (const size_t y : {1u, 3u}) {
                lowest = std::min(lowest, l[y].get<double>());
                highest = std::max(highest, l[y].get<double>());
            }
        }
        EXPECT_NEAR(highest - lowest, c.rise, 1e-9);
    }
    EXPECT_NE(dxfBytes[0], dxfBytes[1]);
}

TEST_F(AnalysisTool, AccessibilityCountsFromTheSeatTotal) {
    // Against the capacity, the seats left and the spaces: the default room's 42 seats less the
    // 2 under its one space, + 1 = 41 -> 2 % = 0.82 -> 1 of each; a hall of 40 rows of 50 seats
    // (2000) whose 30 spaces in row 1 take seats 1-24 and 27-50: 1952 + 30 = 1982 -> 20 + 1 % of
    // 982 = 30, 15 of them for obese people.
    const struct {
        std::vector<std::string> args;
        int seats, capacity, wheelchair, obese;
    } cases[] = {
        {{}, 40, 41, 1, 1},
        {{"--set", "nComprimento=60", "--set", "nLargura=25.4", "--set", "nNumeroFilas=40", "--set",
          "nLarguraAssento=0.5"},
         1952,
         1982,
         30,
         15},
    };
    for (const auto& c : cases) {
        const Json a = Analysis(c.args);
        ASSERT_TRUE(a["accessibility"].is_object()) << a["accessibility_reason"];
        EXPECT_EQ(a["accessibility"]["seats"], c.seats);
        EXPECT_EQ(a["accessibility"]["capacity"], c.capacity);
        EXPECT_EQ(a["seats"]["total"], c.seats);
        EXPECT_EQ(a["accessibility"]["wheelchair_spaces"], c.wheelchair);
        EXPECT_EQ(a["accessibility"]["reduced_mobility_seats"], c.wheelchair);
        EXPECT_EQ(a["accessibility"]["companion_seats"], c.wheelchair);
        EXPECT_EQ(a["accessibility"]["obese_seats"], c.obese);
        EXPECT_TRUE(a["accessibility_reason"].is_null());
    }
    const Json none = Analysis({"--set", "nNumeroFilas=0"});
    EXPECT_TRUE(none["accessibility"].is_null());
    EXPECT_EQ(none["accessibility_reason"], "nenhuma fila de assentos");
    const ToolRun table = run({"--analysis"});
    // One of each place, said in the singular.
    EXPECT_NE(table.out.find("Acessibilidade (Decreto 9.404/2018) para a lotação de 41 lugares (40 "
                             "assentos e 1 espaço para cadeira de rodas): 1 espaço para "
                             "cadeira de rodas (0,80 x 1,20 m), 1 assento para mobilidade "
                             "reduzida (1 para pessoas obesas), 1 assento de acompanhante"),
              std::string::npos)
        << table.out;
}

// The rightmost end of the words on page 4 of the PDF (the table and risers) between its header
// and its footer, in millimetres, by pdftotext's boxes.
double RightmostWordMm(const fs::path& dir, const std::string& pdf) {
    double rightmost = 0;
    for (const Word& w : pdfWords(dir / pdf)) {
        if (w.page == 4 && w.yMm > 40 && w.yMm < 275) {
            rightmost = std::max(rightmost, w.xMaxMm);
        }
    }
    return rightmost;
}

TEST_F(AnalysisTool, RiserLinesStayWithinTheTextColumn) {
    // The longest summary lines: a level floor that suffices, and no rows at all.
    const std::vector<std::vector<std::string>> cases = {
        {"--target-c", "1"},
        {"--set", "nNumeroFilas=0"},
        {"--target-c", "33,3", "--set", "nNumeroFilas=1"},
    };
    for (const auto& extra : cases) {
        std::vector<std::string> args = {"--analysis", "-o", "r.pdf"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolRun r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        // The text column ends at 190 mm of the 210 mm sheet.
        EXPECT_LE(RightmostWordMm(m_dir, "r.pdf"), 190.5) << extra.back();
    }
    const std::vector<std::string> words = PdfWords(m_dir, "r.pdf", 4, 4);
    EXPECT_FALSE(Contains(words, {"nNumeroFilas"}));
    const ToolRun level = run({"--analysis", "--target-c", "1", "-o", "r.pdf"});
    EXPECT_TRUE(
        Contains(PdfWords(m_dir, "r.pdf", 4, 4), {"0.000", "m", "(piso", "plano", "basta)"}));
}

TEST_F(AnalysisTool, DxfReadByAnIndependentReader) {
    if (std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-ezdxf is not installed";
    }
    const std::vector<std::string> hall = {"--set", "nComprimento=20",  "--set", "nLargura=14",
                                           "--set", "nPeDireito=5",     "--set", "nNumeroFilas=15",
                                           "--set", "nAlturaFila2=0",   "--set", "nTelaTopo=4.5",
                                           "--set", "nTelaLargura=4.8", "--set", "nTelaAltura=3"};
    const struct {
        const char* name;
        std::vector<std::string> args;
        int rows;
    } cases[] = {
        {"default", {}, 7},
        {"hall of 20 x 14 m, 15 rows, flat floor", hall, 15},
        {"no rows", {"--set", "nNumeroFilas=0"}, 0},
        {"one row", {"--set", "nNumeroFilas=1", "--set", "cProjeto=Sala de Reunião"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", "Área.dxf"});
        const ToolRun written = run(args);
        ASSERT_EQ(written.exitCode, 0) << written.err;
        const Json dxf = DxfFacts(m_dir, "Área.dxf");
        ASSERT_TRUE(dxf.is_object());
        // A DXF file ends with its EOF group, and nothing after it.
        const std::string bytes = vm::ReadWholeFile(m_dir / "Área.dxf");
        EXPECT_EQ(bytes.substr(bytes.size() - 8), "0\r\nEOF\r\n");
        std::vector<std::string> jsonArgs = c.args;
        jsonArgs.insert(jsonArgs.end(), {"--json", "--analysis"});
        const Json project = Json::parse(run(jsonArgs).out);
        const Json& seats = project["analysis"]["seats"];

        // An AutoCAD 2000 file, so that readers honour its unit (metres); the strict reader's
        // audit finds nothing, and every handle is its own and below $HANDSEED.
        EXPECT_EQ(dxf["version"], "AC1015");
        EXPECT_EQ(dxf["fixes"], Json::array());
        EXPECT_EQ(dxf["errors"], Json::array());
        EXPECT_EQ(dxf["audit_errors"], Json::array());
        EXPECT_EQ(dxf["audit_fixes"], Json::array());
        EXPECT_EQ(dxf["insunits"], 6);
        EXPECT_EQ(dxf["units"], 6);
        EXPECT_EQ(dxf["encoding"], "cp1252");
        EXPECT_GT(dxf["handles"]["count"].get<size_t>(),
                  dxf["inserts"].get<size_t>() + dxf["texts"].size());
        EXPECT_EQ(dxf["handles"]["distinct"], dxf["handles"]["count"]);
        EXPECT_TRUE(dxf["handles"]["seed_above"].get<bool>());
        for (const char* layer :
             {"SALA", "TELA", "ASSENTOS", "OLHOS", "VISADAS", "CAMPOS", "TEXTOS"}) {
            EXPECT_NE(std::find(dxf["layers"].begin(), dxf["layers"].end(), layer),
                      dxf["layers"].end())
                << layer;
        }

        // One insert per seat of the analysis, each class in its colour (green, orange, red).
        const int total = seats["total"].is_null() ? 0 : seats["total"].get<int>();
        EXPECT_EQ(dxf["inserts"], total);
        EXPECT_EQ(total + seats["wheelchair_seats"].get<int>(),
                  c.rows * seats["per_row"].get<int>());
        const Json& colours = dxf["insert_colours"];
        EXPECT_EQ(colours.value("3", 0), seats["ideal"].is_null() ? 0 : seats["ideal"].get<int>());
        EXPECT_EQ(colours.value("30", 0),
                  seats["acceptable"].is_null() ? 0 : seats["acceptable"].get<int>());
        EXPECT_EQ(colours.value("1", 0),
                  seats["outside"].is_null() ? 0 : seats["outside"].get<int>());
        if (total > 0) {
            EXPECT_EQ(dxf["insert_layers"], Json({"ASSENTOS"}));
        }
        // The block: row depth along x, seat width across.
        const double depth = project["nDistEntreFilas"].get<double>();
        const double seatWidth = project["nLarguraAssento"].get<double>();
        EXPECT_EQ(dxf["seat_block_corners"],
                  Json({{0.0, 0.0}, {depth, 0.0}, {depth, seatWidth}, {0.0, seatWidth}}));

        // The screen on the plan (below y = 0): nTelaLargura long, centred on the room's width.
        double planTop = -INFINITY, planBottom = INFINITY;
        for (const Json& l : dxf["room_lines"]) {
            if (l[1].get<double>() < 0) {
                planTop = std::max({planTop, l[1].get<double>(), l[3].get<double>()});
                planBottom = std::min({planBottom, l[1].get<double>(), l[3].get<double>()});
            }
        }
        EXPECT_NEAR(planTop - planBottom, project["nLargura"].get<double>(), 1e-6);
        int planScreens = 0;
        for (const Json& l : dxf["screen_lines"]) {
            const double y1 = l[1], y2 = l[3];
            EXPECT_EQ(l[0], 0.0);
            EXPECT_EQ(l[2], 0.0);
            if (y1 < 0) {
                ++planScreens;
                EXPECT_NEAR(std::abs(y2 - y1), project["nTelaLargura"].get<double>(), 1e-6);
                EXPECT_NEAR((y1 + y2) / 2, (planTop + planBottom) / 2, 1e-6);
            } else {
                // The section's: from the image's bottom edge to nTelaTopo.
                EXPECT_NEAR(std::max(y1, y2), project["nTelaTopo"].get<double>(), 1e-6);
                EXPECT_NEAR(std::abs(y2 - y1), project["nTelaAltura"].get<double>(), 1e-6);
            }
        }
        EXPECT_EQ(planScreens, 1);

        // Row k's eyes at (nDistOlhos1 + (k - 1) x nDistEntreFilas, nAlturaOlhos1 + (k - 1) x
        // nAlturaFila2) within a millimetre, each with its two sight lines.
        ASSERT_EQ(dxf["eyes"].size(), static_cast<size_t>(c.rows));
        for (int k = 0; k < c.rows; ++k) {
            const Json& eye = dxf["eyes"][static_cast<size_t>(k)];
            EXPECT_NEAR(eye[0].get<double>(), project["nDistOlhos1"].get<double>() + k * depth,
                        0.001);
            EXPECT_NEAR(
                eye[1].get<double>(),
                project["nAlturaOlhos1"].get<double>() + k * project["nAlturaFila2"].get<double>(),
                0.001);
        }
        EXPECT_EQ(dxf["sight_lines"], 2 * c.rows);
        EXPECT_EQ(dxf["field_lines"], 4);

        // Texts keep their accents and degree signs (written "%%d", which every reader shows as
        // the sign), on "TEXTOS"; the title block names the project and its date.
        bool acceptable = false, angle = false, title = false;
        for (const Json& t : dxf["texts"]) {
            EXPECT_EQ(t[1], "TEXTOS");
            acceptable |= t[0] == "Aceitável (135°)";
            angle |= t[0].get<std::string>().find("° / Teto") != std::string::npos;
            title |= t[0].get<std::string>().rfind(
                         "Projeto: " + project["cProjeto"].get<std::string>() +
                             "    Data: " + project["cData"].get<std::string>(),
                         0) == 0;
        }
        EXPECT_TRUE(acceptable);
        EXPECT_EQ(angle, c.rows > 0);
        EXPECT_TRUE(title);
        // The header's extents hold every text (LibreOffice crops to them): each one's base
        // point lies within them.
        for (const Json& at : dxf["text_points"]) {
            EXPECT_GE(at[0].get<double>(), dxf["extmin"][0].get<double>());
            EXPECT_GE(at[1].get<double>(), dxf["extmin"][1].get<double>());
            EXPECT_LE(at[0].get<double>(), dxf["extmax"][0].get<double>());
            EXPECT_LE(at[1].get<double>(), dxf["extmax"][1].get<double>());
        }
    }
    // The default room's texts are as high as 6 points at 17 mm a metre: 2.117 mm / 17.
    const Json dxf = (run({"-o", "d.dxf"}), DxfFacts(m_dir, "d.dxf"));
    EXPECT_NEAR(dxf["texts"][1][2].get<double>(), 6 * 25.4 / 72 / 17, 1e-6);
}

TEST_F(AnalysisTool, HelpDescribesTheAnalysis) {
    const ToolRun r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* part :
         {"--analysis", "under \"analysis\"", "c_grade", "percent_eh", "adm_farthest_viewer_m",
          "closest_viewer_m", "NAME_reason", "--target-c", "constant_step_m", "rows_below_target",
          "Exit codes: 0 success"}) {
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    }
}

}  // namespace

namespace {

TEST_F(AnalysisTool, DiscasOverTheSeatsInJsonPagesAndDxf) {
    // The default room: FV_edge = sqrt(9.7^2 + 3.45^2) = 10.30 m; EH 4 % asks 1.29 m.
    const Json d = Analysis({})["discas"];
    EXPECT_NEAR(d["farthest_viewer_edge_m"].get<double>(), 10.2952, 1e-4);
    EXPECT_NEAR(d["bdm_image_height_m"].get<double>(), 10.2952 / 8, 1e-4);
    EXPECT_EQ(d["bdm_met"], true);
    EXPECT_EQ(d["seats_outside_viewing_area"], 0);
    EXPECT_EQ(d["standard"], "AVIXA V202.01:2016");
    EXPECT_EQ(d["divisor_element_percent"]["6"], 3);
    // A 40 m wide room has seats outside; a 2 % element asks more than the planned image.
    const Json wide = Analysis({"--set", "nLargura=40", "--element-height", "2"})["discas"];
    EXPECT_GT(wide["seats_outside_viewing_area"].get<int>(), 0);
    EXPECT_EQ(wide["element_percent"], 2.0);
    EXPECT_EQ(wide["bdm_met"], false);
    // Without seats the figures are null with their reason.
    const Json none = Analysis({"--set", "nNumeroFilas=0"})["discas"];
    EXPECT_TRUE(none["farthest_viewer_edge_m"].is_null());
    EXPECT_TRUE(none["farthest_viewer_edge_m_reason"].is_string());
    EXPECT_TRUE(none["seats_outside_viewing_area"].is_null());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--element-height", "0", "--analysis"},
          std::vector<std::string>{"--element-height", "4"}}) {
        EXPECT_EQ(run(args).exitCode, 2) << args[0] << " " << args[1];
    }

    // The table names the standard; the plan page draws the area and counts the seats outside.
    const ToolRun table = run({"--analysis"});
    EXPECT_NE(table.out.find("DISCAS (AVIXA V202.01:2016)"), std::string::npos);
    EXPECT_NE(table.out.find("FV_borda"), std::string::npos);
    ASSERT_EQ(run({"--analysis", "--set", "nLargura=40", "-o", "wide.pdf"}).exitCode, 0);
    const std::vector<std::string> pages = PdfWords(m_dir, "wide.pdf", 1, 9);
    EXPECT_TRUE(Contains(pages, {"Área", "de", "visão", "DISCAS"}));

    // The pages print the closest viewer against the first row and the ADM farthest viewer with
    // the rows beyond it, in the table's words: 1.732 x (1.88 + 0.52) = 4.16 m against 3.70 m;
    // 1.88 x 3438 / 800 = 8.08 m.
    EXPECT_NE(table.out.find("4.16 m; primeira fila a 3.70 m: perto demais"), std::string::npos);
    ASSERT_EQ(run({"--analysis", "-o", "cv.pdf"}).exitCode, 0);
    const std::vector<std::string> cv = PdfWords(m_dir, "cv.pdf", 3, 9);
    EXPECT_TRUE(Contains(cv, {"(CV", "=", "1.732", "x", "(IH", "+", "IO)):", "4.16", "m;",
                              "primeira", "fila", "a", "3.70", "m:", "perto", "demais"}));
    EXPECT_TRUE(Contains(cv, {"minuto", "de", "arco):", "8.08", "m;", "filas", "além", "dela:",
                              "6-7"}));
    ASSERT_EQ(run({"--analysis", "--set", "nDistOlhos1=4.2", "--set", "nDistEntreFilas=0.9", "-o",
                   "far.pdf"})
                  .exitCode,
              0);
    EXPECT_TRUE(Contains(PdfWords(m_dir, "far.pdf", 3, 9),
                         {"4.16", "m;", "primeira", "fila", "a", "4.20", "m:", "distância",
                          "suficiente"}));

    // The DXF: the area's outline on its layer, closed from the apex along the walls.
    ASSERT_EQ(run({"-o", "d.dxf"}).exitCode, 0);
    const Json dxf = DxfFacts(m_dir, "d.dxf");
    ASSERT_EQ(dxf["discas_lines"].size(), 5u);
    EXPECT_NEAR(dxf["discas_lines"][0][0].get<double>(), 1.5 / std::sqrt(3.0), 1e-6);
}

}  // namespace

namespace {

TEST_F(AnalysisTool, GroupedRisersInJsonPagesAndDxf) {
    const Json r = Analysis({"--riser-block", "3"})["risers"];
    EXPECT_EQ(r["block_rows_asked"], 3);
    ASSERT_TRUE(r["grouped"].is_object());
    EXPECT_EQ(r["grouped"]["block_rows"], 3);
    EXPECT_DOUBLE_EQ(r["grouped"]["blocks"][1]["step_m"].get<double>(), 0.047);
    EXPECT_NEAR(r["grouped"]["headroom_m"].get<double>(),
                3.8 - r["grouped"]["total_rise_m"].get<double>(), 1e-12);
    EXPECT_TRUE(r["grouped_staggered"]["staggered"].get<bool>());
    EXPECT_EQ(Analysis({})["risers"]["block_rows_asked"], "best");
    // One row: no design, and the reason says why.
    const Json one = Analysis({"--set", "nNumeroFilas=1"})["risers"];
    EXPECT_TRUE(one["grouped"].is_null());
    EXPECT_TRUE(one["grouped_reason"].is_string());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--riser-block", "6", "--analysis"},
          std::vector<std::string>{"--riser-block", "2", "--analysis"},
          std::vector<std::string>{"--riser-block", "3"}}) {
        EXPECT_EQ(run(args).exitCode, 2) << args[0] << " " << args[1];
    }
    ASSERT_EQ(run({"--analysis", "--riser-block", "3", "-o", "g.pdf"}).exitCode, 0);
    EXPECT_TRUE(Contains(PdfWords(m_dir, "g.pdf", 3, 3), {"Degraus", "em", "blocos"}));
    ASSERT_EQ(run({"--riser-block", "3", "-o", "g.dxf"}).exitCode, 0);
    const Json dxf = DxfFacts(m_dir, "g.dxf");
    // Rows 1-3 level, rows 4, 5 and 6 each 0.047 m over the one in front, row 7 0.057 m: seven
    // treads and four risers.
    EXPECT_EQ(dxf["degraus_lines"].size(), 7u + 4u);
}

// Wheelchair spaces: the default one and placed ones, by hand on the default room (image top
// 3.60 m, bottom 1.72 m; row 2 at 4.70 m on a 0.20 m step), and the interpreter's window.
TEST_F(AnalysisTool, WheelchairSpacesAndTheInterpreter) {
    const Json byDefault = Analysis({})["accessibility"];
    ASSERT_EQ(byDefault["positions"].size(), 1u);
    const Json& first = byDefault["positions"][0];
    EXPECT_EQ(first["row"], 1);
    EXPECT_EQ(first["side"], "left");
    EXPECT_EQ(first["by_default"], true);
    EXPECT_NEAR(first["needed_m"].get<double>(), 1.732 * (3.6 - 1.15), 1e-9);  // 4.24 m
    EXPECT_EQ(first["distance_m"], 3.7);
    EXPECT_EQ(first["thirty_degrees_ok"], false);
    EXPECT_EQ(first["clears_row_in_front"], true);
    EXPECT_EQ(first["c_mm_reason"], "não há fila à frente");
    EXPECT_TRUE(byDefault["interpreter"].is_null());

    const Json placed = Analysis({"--wheelchair", "2:right", "--wheelchair-platform", "0,2@4.7",
                                  "--wheelchair", "9", "--interpreter", "50x40"})["accessibility"];
    EXPECT_GT(CheckReasons(placed, "accessibility"), 0);
    ASSERT_EQ(placed["positions"].size(), 3u);
    const Json& row2 = placed["positions"][0];
    const Json& row9 = placed["positions"][1];
    const Json& platform = placed["positions"][2];
    EXPECT_EQ(row2["side"], "right");
    EXPECT_NEAR(row2["needed_m"].get<double>(), 1.732 * (3.6 - 0.2 - 1.15), 1e-9);  // 3.90 m
    EXPECT_EQ(row2["thirty_degrees_ok"], true);
    EXPECT_EQ(row2["row_in_front"], 1);
    EXPECT_NEAR(row2["c_mm"].get<double>(), (3.7 * (0.15 - 0.52) / 4.7 + 0.52) * 1000, 1e-9);
    EXPECT_EQ(row2["clears_row_in_front"], true);
    EXPECT_EQ(row9["reason"], "a fila 9 não existe: o projeto tem 7 filas");
    EXPECT_TRUE(row9["needed_m"].is_null());
    EXPECT_TRUE(row9["thirty_degrees_ok"].is_null());
    EXPECT_TRUE(platform["row"].is_null());
    EXPECT_EQ(platform["platform"]["height_m"], 0.2);
    EXPECT_EQ(platform["needed_m"], row2["needed_m"]);
    EXPECT_EQ(platform["c_mm"], row2["c_mm"]);
    // Row 3 behind them keeps 271 mm over their eyes: at least the target 90 mm.
    EXPECT_EQ(row2["row_behind"], 3);
    EXPECT_EQ(row2["row_behind_ok"], true);
    EXPECT_TRUE(row9["row_behind_ok"].is_null());
    // A platform 1.0 m high at 6.7 m hides the image's bottom from row 5 behind it (-186 mm).
    const Json high =
        Analysis({"--wheelchair-platform", "1.0@6.7"})["accessibility"]["positions"][0];
    EXPECT_EQ(high["row_behind"], 5);
    EXPECT_NEAR(high["c_behind_mm"].get<double>(), -186, 0.5);
    EXPECT_EQ(high["row_behind_ok"], false);
    EXPECT_EQ(high["clears_row_in_front"], true);
    // 50 % x 40 %: the content keeps 60 %, 4 % x 1880 mm x 0.6 = 45.1 mm < 10 295 / 200 = 51.5 mm.
    EXPECT_DOUBLE_EQ(placed["interpreter"]["content_scale"].get<double>(), 0.6);
    EXPECT_NEAR(placed["interpreter"]["text_height_mm"].get<double>(), 0.04 * 1880 * 0.6, 1e-9);
    EXPECT_EQ(placed["interpreter"]["legible"], false);
    EXPECT_EQ(Analysis({"--interpreter", "25%x30%"})["accessibility"]["interpreter"]["legible"],
              true);
    // 45 % x 35 %: 48.9 mm, short of the 51.5 mm the farthest seat reads at the image's far edge.
    const Json narrow = Analysis({"--interpreter", "45x35"})["accessibility"]["interpreter"];
    EXPECT_NEAR(narrow["smallest_legible_mm"].get<double>(), std::hypot(9.7, 3.45) / 0.2, 1e-9);
    EXPECT_EQ(narrow["legible"], false);

    // Bad values end the run with 2, naming the option.
    const struct {
        std::vector<std::string> args;
        const char* named;
    } refused[] = {
        {{"--analysis", "--wheelchair", "0"}, "--wheelchair 0:"},
        {{"--analysis", "--wheelchair", "2:up"}, "--wheelchair 2:up:"},
        {{"--analysis", "--wheelchair-platform", "0.2"}, "--wheelchair-platform 0.2:"},
        {{"--analysis", "--wheelchair-platform", "0.2@0"}, "--wheelchair-platform 0.2@0:"},
        {{"--analysis", "--interpreter", "100x20"}, "--interpreter 100x20:"},
        {{"--analysis", "--interpreter", "25"}, "--interpreter 25:"},
        {{"--wheelchair", "2"}, "need --analysis or a .dxf output"},
        // Places that do not fit the 5 m wide room: nothing is written, not even the DXF.
        {{"--wheelchair", "1", "--wheelchair", "1:right", "--set", "nLargura=1.5", "-o",
          "x.dxf"},
         "--wheelchair 1:right: overlaps the space of --wheelchair 1 "},
        {{"--analysis", "--set", "nLargura=0.9", "--wheelchair", "3:right"},
         "--wheelchair 3:right: the space would stand -0.10 to 0.70 m from the left wall, outside "
         "the room's width of 0.90 m"},
        {{"--analysis", "--wheelchair", "1", "--wheelchair-platform", "0,2@4.7"},
         "--wheelchair-platform 0,2@4.7: overlaps the space of --wheelchair 1 "},
        {{"--analysis", "--json", "--wheelchair-platform", "0.2@4.7:right", "--wheelchair",
          "2:right"},
         "--wheelchair-platform 0.2@4.7:right: stands on the same spot as --wheelchair 2:right"},
    };
    for (const auto& c : refused) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.named;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.named;
    }
    EXPECT_FALSE(fs::exists(m_dir / "x.dxf"));
    // Seven spaces at row 1's left end: the seventh would reach 5.80 m in the 5 m room.
    std::vector<std::string> six;
    for (int k = 0; k < 6; ++k) {
        six.insert(six.end(), {"--wheelchair", "1"});
    }
    std::vector<std::string> seven = six;
    seven.insert(seven.end(), {"--wheelchair", "1", "--analysis"});
    const ToolRun tooMany = run(seven);
    EXPECT_EQ(tooMany.exitCode, 2);
    EXPECT_NE(tooMany.err.find("--wheelchair 1: the space would stand 5.00 to 5.80 m"),
              std::string::npos)
        << tooMany.err;
    // Six fill the row from wall to wall: its six seats make way, each space one place.
    EXPECT_EQ(Analysis(six)["accessibility"]["capacity"], 42 - 6 + 6);

    // The table and the pages list each space with its verdicts, and warn about the window.
    const std::vector<std::string> args = {
        "--analysis",    "--wheelchair",  "1",    "--wheelchair-platform",
        "0.2@4.7:right", "--interpreter", "50x40"};
    const ToolRun table = run(args);
    EXPECT_NE(table.out.find("AVISO: texto menor que o menor elemento legível"), std::string::npos);
    std::vector<std::string> withPdf = args;
    withPdf.insert(withPdf.end(), {"-o", "cadeiras.pdf"});
    ASSERT_EQ(run(withPdf).exitCode, 0);
    const std::vector<std::string> pages = PdfWords(m_dir, "cadeiras.pdf", 4, 9);
    EXPECT_TRUE(Contains(pages, {"30°:", "mínimo", "4.24", "m,", "NÃO", "atende;"}));
    EXPECT_TRUE(Contains(pages, {"30°:", "mínimo", "3.90", "m,", "atende;", "fila", "da",
                                 "frente:", "1,", "C", "229"}));
    EXPECT_TRUE(Contains(pages, {"AVISO:", "texto", "menor"}));

    // The DXF layer: per space its floor, two sight lines and the 0.80 x 1.20 m box (four
    // lines), the platform's front as well, and the interpreter's window on the screen in the
    // section and the plan.
    ASSERT_EQ(run({"--wheelchair", "1", "--wheelchair-platform", "0.2@4.7:right", "--interpreter",
                   "25x30", "-o", "a.dxf"})
                  .exitCode,
              0);
    const Json dxf = DxfFacts(m_dir, "a.dxf");
    EXPECT_TRUE(Contains(dxf["layers"].get<std::vector<std::string>>(), {"ACESSIBILIDADE"}));
    const Json& lines = dxf["accessibility_lines"];
    EXPECT_EQ(lines.size(), (1u + 2u + 4u) + (2u + 2u + 4u) + 2u);
    // The platform user's eyes (4.70 m, 0.20 + 1.15 m) to the image's top, in green (passes);
    // row 1's user to the image's bottom in red (too close for 30 degrees).
    const auto has = [&](std::vector<double> line, int colour) {
        for (const Json& l : lines) {
            if (std::abs(l[0].get<double>() - line[0]) < 1e-6 &&
                std::abs(l[1].get<double>() - line[1]) < 1e-6 &&
                std::abs(l[2].get<double>() - line[2]) < 1e-6 &&
                std::abs(l[3].get<double>() - line[3]) < 1e-6 && l[4] == colour) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has({4.7, 1.35, 0, 3.6}, 3)) << lines;
    EXPECT_TRUE(has({3.7, 1.15, 0, 1.72}, 1)) << lines;
    // A platform 1.0 m high at 6.7 m passes its own checks, but row 5 behind it sees -186 mm:
    // its sight lines are red.
    ASSERT_EQ(run({"--wheelchair-platform", "1.0@6.7", "-o", "h.dxf"}).exitCode, 0);
    const Json highLines = DxfFacts(m_dir, "h.dxf")["accessibility_lines"];
    bool redToTop = false;
    for (const Json& l : highLines) {
        redToTop = redToTop || (std::abs(l[0].get<double>() - 6.7) < 1e-6 &&
                                std::abs(l[1].get<double>() - 2.15) < 1e-6 &&
                                std::abs(l[3].get<double>() - 3.6) < 1e-6 && l[4] == 1);
    }
    EXPECT_TRUE(redToTop) << highLines;

    // The interpreter's corner on the plan: 25 % of the 3 m image from the screen's end at the
    // upper wall (the image's right, seen from the seats), or with ":left" from its lower end.
    const auto planEnds = [&](const char* window) -> std::pair<double, double> {
        EXPECT_EQ(run({"--interpreter", window, "-o", "i.dxf"}).exitCode, 0);
        const Json facts = DxfFacts(m_dir, "i.dxf");
        double low = 0;
        double high = 0;
        for (const Json& l : facts["screen_lines"]) {
            if (std::abs(std::abs(l[3].get<double>() - l[1].get<double>()) - 3.0) < 1e-9) {
                low = std::min(l[1].get<double>(), l[3].get<double>());
                high = std::max(l[1].get<double>(), l[3].get<double>());
            }
        }
        for (const Json& l : facts["accessibility_lines"]) {
            const double from = l[1].get<double>();
            const double to = l[3].get<double>();
            if (std::abs(std::abs(to - from) - 0.75) < 1e-9) {
                return {from - low, to - low};  // from the screen's lower end
            }
        }
        ADD_FAILURE() << window << ": no interpreter's window on the plan " << high;
        return {};
    };
    const auto right = planEnds("25x30");
    EXPECT_NEAR(right.first, 3.0, 1e-9);
    EXPECT_NEAR(right.second, 2.25, 1e-9);
    const auto left = planEnds("25x30:left");
    EXPECT_NEAR(left.first, 0, 1e-9);
    EXPECT_NEAR(left.second, 0.75, 1e-9);
    EXPECT_EQ(Analysis({"--interpreter", "25x30:left"})["accessibility"]["interpreter"]["corner"],
              "lower_left");
}

}  // namespace
