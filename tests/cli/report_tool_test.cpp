// vistametra-report run as a real process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/date.h"
#include "core/project_fields.h"
#include "core/text.h"
#include "core/whole_file.h"
#include "project/project_file.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;

using ReportTool = ToolProcessTest;

const char* const kDefaultSummary =
    "L:  3.88 m    A:  2.43 m    D: 180.14\"\n"
    "L:  2.59 m    A:  1.62 m    D: 120.09\"\n"
    "L:  1.94 m    A:  1.21 m    D:  90.07\"\n";

TEST_F(ReportTool, DefaultProjectSummary) {
    const ToolRun r = run({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, kDefaultSummary);
    EXPECT_EQ(run({"--summary"}).out, kDefaultSummary);
}

TEST_F(ReportTool, JsonAgreesWithAHandComputation) {
    const ToolRun r = run({"--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    const double farthest = (7 - 1) * 1.0 + 3.7;
    const double inch = 2.54 / 100;
    const struct {
        const char* name;
        double value;
    } numbers[] = {
        {"nLargura", 5},
        {"nComprimento", 10},
        {"nNumeroFilas", 7},
        {"nImagemLargura", 1280},
        {"nAspecto", 3},
        {"nFatorX", 170 / 10.0},
        {"nTelaTopoX", 3.6 * 17},
        {"nPeDireitoX", 3.8 * 17},
        {"nLarguraX", 5 * 17},
        {"nDistOlhosN", farthest},
        {"nAlturaG", farthest / 4},
        {"nAlturaA", farthest / 6},
        {"nAlturaF", farthest / 8},
        {"nLarguraG", farthest / 4 * 1.6},
        {"nLarguraA", farthest / 6 * 1.6},
        {"nLarguraF", farthest / 8 * 1.6},
        {"nTamTelaG", std::hypot(farthest / 4 * 1.6, farthest / 4) / inch},
        {"nTamTelaA", std::hypot(farthest / 6 * 1.6, farthest / 6) / inch},
        {"nTamTelaF", std::hypot(farthest / 8 * 1.6, farthest / 8) / inch},
        {"nAlturaPisoTelaG", 3.6 - farthest / 4},
        {"nAlturaPisoTelaA", 3.6 - farthest / 6},
        {"nAlturaPisoTelaF", 3.6 - farthest / 8},
        {"nDistParedeTelaG", (5 - farthest / 4 * 1.6) / 2},
        {"nDistParedeTelaA", (5 - farthest / 6 * 1.6) / 2},
        {"nDistParedeTelaF", (5 - farthest / 8 * 1.6) / 2},
        {"nTelaTamanho", std::hypot(3.0, 1.88) / inch},
        {"nTelaFormatoT", 3.0 / 1.88},
        {"nAlturaPisoTela", 3.6 - 1.88},
        {"nDistParedeTela", (5 - 3.0) / 2},
    };
    for (const auto& n : numbers) {
        ASSERT_TRUE(j.contains(n.name)) << n.name;
        EXPECT_NEAR(j[n.name].get<double>(), n.value, 1e-9) << n.name;
    }
    EXPECT_EQ(j["cProjeto"], "AUDITORIO_TERREO");
    EXPECT_EQ(j["cTelaFormato"], "16:10");
    EXPECT_EQ(j["nTelaG"], true);
    EXPECT_EQ(j["cData"], vm::DToC(vm::Today()));
    EXPECT_EQ(j.size(), 22u + 9u + 14u + 3u);  // and "schema", "cData_iso", "warnings"
}

// "warnings" is always there: the plausibility warnings, [] when there are none.
TEST_F(ReportTool, JsonListsThePlausibilityWarnings) {
    const auto warnings = [this](const std::vector<std::string>& args) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return nlohmann::json::parse(r.out).at("warnings");
    };
    // Row 1 moved back to 4.20 m, beyond DISCAS's closest viewer (1.732 x 2.4 = 4.16 m).
    EXPECT_EQ(warnings({"--json", "--set", "nAlturaFila2=0", "--set", "nDistOlhos1=4.2", "--set",
                        "nDistEntreFilas=0.9"}),
              nlohmann::json::array());
    // The default project's image bottom, 3.6 - 1.88, below the last row's eyes, 1.2 + 6 x 0.2,
    // and its row 1 at 3.70 m nearer than the closest viewer.
    const std::string tooClose =
        "A fila 1 fica a 3.70 m da tela, mais perto que o espectador mais próximo do DISCAS: "
        "1.732 x (altura da imagem 1.88 m + base acima dos olhos 0.52 m) = 4.16 m.";
    EXPECT_EQ(warnings({"--json"}),
              nlohmann::json::array({"A base da imagem pretendida (1.72 m do piso) fica abaixo "
                                     "dos olhos da última fila (2.40 m).",
                                     tooClose}));
    EXPECT_EQ(warnings({"--json", "--set", "nAlturaFila2=0"}), nlohmann::json::array({tooClose}));
    const auto hall = warnings({"--jsonl", "--analysis", "--set", "nNumeroFilas=60", "--set",
                                "nAlturaFila2=0", "--set", "nTelaF=F"});
    ASSERT_EQ(hall.size(), 4u) << hall;
    EXPECT_EQ(hall[0],
              "Filas além da parede do fundo: os olhos da fila 60 ficam a 62.70 m da "
              "tela, e a sala tem 10.00 m.");
    EXPECT_EQ(hall[1],
              "A imagem mínima para Detalhes (15.68 m de altura) é mais alta que o "
              "pé-direito (3.80 m).");
    EXPECT_EQ(hall[2],
              "A imagem mínima para Computador (10.45 m de altura) é mais alta que o "
              "pé-direito (3.80 m).");
    EXPECT_EQ(hall[3], tooClose);
}

// A file with values that describe no room opens as written: the tool warns and still prints and
// saves, but draws no report of it.
TEST_F(ReportTool, AFileThatDescribesNoRoomIsNamedAndNotDrawn) {
    ASSERT_EQ(run({"--set", "nNumeroFilas=12", "--save", "base.qtv"}).exitCode, 0);
    std::string text = vm::MemoRead((m_dir / "base.qtv").string());
    for (const auto& [from, to] : {std::pair{"<NumeroFilas> 12", "<NumeroFilas> -5"},
                                   std::pair{"<Cmprimento>10.00", "<Cmprimento>-2.00"}}) {
        ASSERT_NE(text.find(from), std::string::npos) << text;
        text.replace(text.find(from), std::string(from).size(), to);
    }
    std::ofstream(m_dir / "negativo.qtv", std::ios::binary) << text;
    const std::string named =
        "the project describes no room: nComprimento is -2.00 (must be more than 0), "
        "nNumeroFilas is -5 (must be 0 or more)";

    const ToolRun json = run({"negativo.qtv", "--json", "--save", "copia.qtv"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.err, "vistametra-report: warning: " + named + "\n");
    const auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["nNumeroFilas"], -5);
    // The checks that read the wrong fields are left out; the others still run.
    EXPECT_EQ(j["warnings"],
              nlohmann::json::array(
                  {"O campo \"Comprimento\" vale -2.00, fora da faixa permitida (maior que 0).",
                   "O campo \"Número de Filas de Assentos\" vale -5, fora da faixa permitida (0 "
                   "ou mais)."}));
    EXPECT_EQ(vm::MemoRead((m_dir / "copia.qtv").string()), text);

    for (const char* output : {"relatorio.pdf", "planta.dxf"}) {
        const ToolRun report = run({"negativo.qtv", "--save", "outra.qtv", "-o", output});
        EXPECT_EQ(report.exitCode, 1) << output;
        EXPECT_EQ(report.err, "vistametra-report: " + named + "; no report is written\n");
        EXPECT_FALSE(fs::exists(m_dir / output)) << output;
        EXPECT_FALSE(fs::exists(m_dir / "outra.qtv")) << output;
    }
    // A --set that mends the file lets the report be drawn.
    EXPECT_EQ(run({"negativo.qtv", "--set", "nNumeroFilas=5", "--set", "nComprimento=10", "-o",
                   "planta.dxf"})
                  .exitCode,
              0);
    EXPECT_TRUE(fs::exists(m_dir / "planta.dxf"));
}

TEST_F(ReportTool, OverridesAppliedInOrderBeforeTheCalculation) {
    const ToolRun r = run({"--set", "nNumeroFilas=1", "--set", "NDISTOLHOS1=4", "--set",
                           "nDistOlhos1=8", "--set", "nTelaG=TRUE", "--set", "nTelaA=yes", "--set",
                           "cProjeto=Audit\xc3\xb3rio", "--summary", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Summary first, then the JSON.
    const auto brace = r.out.find('{');
    EXPECT_EQ(r.out.substr(0, brace),
              "L:  3.20 m    A:  2.00 m    D: 148.57\"\n"
              "L:  2.13 m    A:  1.33 m    D:  99.04\"\n"
              "L:  1.60 m    A:  1.00 m    D:  74.28\"\n");
    const auto j = nlohmann::json::parse(r.out.substr(brace));
    EXPECT_EQ(j["nDistOlhos1"], 8.0);
    EXPECT_EQ(j["nTelaG"], true);
    EXPECT_EQ(j["nTelaA"], false);
    EXPECT_EQ(j["cProjeto"], "Audit\xc3\xb3rio");
}

// 43.23 / 6 is 7.2049999999999991... in binary: its seventeenth digit is 1, so it is not taken for
// a decimal half and shows 7.20; a width just below 1/8 saves as 0.12.
TEST_F(ReportTool, RoundsFromTheExactDecimalExpansion) {
    const ToolRun r =
        run({"--set", "nNumeroFilas=7", "--set", "nDistEntreFilas=6.46", "--set",
             "nDistOlhos1=4.47", "--set", "nLargura=0.12499999999999992", "--save", "p.qtv"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nL: 11.53 m    A:  7.20 m    D: 535.21\"\n"), std::string::npos)
        << r.out;
    EXPECT_NE(vm::ReadWholeFile(m_dir / "p.qtv").find("<Largura> 0.12</Largura>"),
              std::string::npos);
}

TEST_F(ReportTool, BadCommandLinesAreRefused) {
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{"--set", "nFoo=1"}, "nFoo"},       {{"--set", "nAlturaG=1"}, "nAlturaG"},
        {{"--set", "nLargura"}, "nLargura"}, {{"--bogus"}, "bogus"},
        {{"a.qtv", "b.qtv"}, "2 project files are printed with --json"},
    };
    for (const auto& c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.mentions;
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: vistametra-report ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--set"), std::string::npos);
    EXPECT_NE(help.out.find("nTelaG"), std::string::npos);
}

// --set takes numbers as a project file holds them and real dd/mm/yy dates; anything else ends
// the run with exit code 2 and a message naming the field and the value, before any output.
TEST_F(ReportTool, SetRefusesValuesThatAreNotWhatTheFieldHolds) {
    const struct {
        const char* set;
        const char* field;
        const char* value;
    } refused[] = {
        {"nLargura=3,5", "nLargura", "\"3,5\""},
        {"nLargura=5x", "nLargura", "\"5x\""},
        {"nLargura=1e3", "nLargura", "\"1e3\""},
        {"nLargura=", "nLargura", "\"\""},
        {"nNumeroFilas=-", "nNumeroFilas", "\"-\""},
        {"nNumeroFilas=1.2.3", "nNumeroFilas", "\"1.2.3\""},
        {"ntelalargura=.", "nTelaLargura", "\".\""},
        {"cData=31/02/26", "cData", "\"31/02/26\""},
        {"cData=5/3/26", "cData", "\"5/3/26\""},
        {"cData=05/13/26", "cData", "\"05/13/26\""},
        {"cData=", "cData", "\"\""},
        {"cProjeto=Sala \xe4\xb8\xad", "cProjeto", "Sala"},  // a CJK character
        {"cProjeto=Sala \xff", "cProjeto", "Sala"},          // not UTF-8
        // Numbers that describe no room, with the range their field allows.
        {"nNumeroFilas=-5", "nNumeroFilas", "0 or more"},
        {"nAlturaFila2=-0.02", "nAlturaFila2", "0 or more"},
        {"nImagemLargura=-1280", "nImagemLargura", "0 or more"},
        {"nComprimento=0", "nComprimento", "more than 0"},
        {"nPeDireito=-0.5", "nPeDireito", "more than 0"},
        {"nAlturaOlhos1=0.0", "nAlturaOlhos1", "more than 0"},
    };
    const std::string nines(400, '9');  // beyond any double: it read as infinity before
    const std::string nineSet = "nLargura=" + nines, nineValue = "\"" + nines + "\"";
    const std::string bigSet = "nComprimento=-1000000000000000";  // 10^15: decimals lost
    const auto tooLarge = {std::pair{nineSet, std::string("nLargura")},
                           std::pair{bigSet, std::string("nComprimento")}};
    for (const auto& [set, field] : tooLarge) {
        const ToolRun r = run({"--set", set, "--json", "--save", "x.qtv"});
        EXPECT_EQ(r.exitCode, 2) << set;
        EXPECT_NE(r.err.find("--set " + field + "="), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("too large"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(m_dir / "x.qtv"));
    }
    const ToolRun largest = run({"--set", "nLargura=99999999999999.99", "--json"});
    EXPECT_EQ(largest.exitCode, 0) << largest.err;
    EXPECT_EQ(nlohmann::json::parse(largest.out)["nLargura"], 99999999999999.99);
    for (const auto& c : refused) {
        const ToolRun r = run({"--set", "nComprimento=20", "--set", c.set, "--json"});
        EXPECT_EQ(r.exitCode, 2) << c.set;
        EXPECT_NE(r.err.find(c.field), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.value), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.set;
    }

    // Accepted forms, read the same on a Brazilian desktop (decimal mark ",").
    m_env = {{"LC_ALL", "pt_BR.UTF-8"}, {"LANG", "pt_BR.UTF-8"}};
    const ToolRun r =
        run({"--set", "nLargura=5.5", "--set", "nComprimento= 12.75", "--set", "nPeDireito=0.01",
             "--set", "nAlturaFila2=.35", "--set", "nTelaTopo=+3.", "--set", "nLarguraAssento=-0",
             "--set", "nNumeroFilas=0", "--set", "cData=29/02/24", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["nLargura"], 5.5);
    EXPECT_EQ(j["nComprimento"], 12.75);
    EXPECT_EQ(j["nPeDireito"], 0.01);
    EXPECT_EQ(j["nLarguraAssento"], 0.0);
    EXPECT_EQ(j["nNumeroFilas"], 0);
    EXPECT_EQ(j["nAlturaFila2"], 0.35);
    EXPECT_EQ(j["nTelaTopo"], 3.0);
    EXPECT_EQ(j["cData"], "29/02/24");
}

// Paths on the command line are the file system's bytes, used as given: accented UTF-8 names and
// folders, and names that are not UTF-8 at all.
TEST_F(ReportTool, CommandLinePathsAreUsedByteForByte) {
    const std::string odd = "r\xffx";  // not UTF-8
    ASSERT_EQ(run({"-o", odd + ".pdf", "--save", odd + ".qtv"}).exitCode, 0);
    ASSERT_EQ(run({"-o", odd + ".svg"}).exitCode, 0);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"r\xffx.pdf", "r\xffx.qtv", "r\xffx_0001.svg",
                                               "r\xffx_0002.svg", "stderr", "stdout"}));
    EXPECT_EQ(vm::ReadWholeFile(m_dir / (odd + ".pdf")).rfind("%PDF-", 0), 0u);

    const std::string desk = "\xc3\x81rea de Trabalho";  // "Área de Trabalho"
    fs::create_directory(m_dir / desk);
    const std::string project = desk + "/Sal\xc3\xa3o_Calculo_Tela.qtv";  // "Salão_..."
    ASSERT_EQ(run({"--set", "cProjeto=Sal\xc3\xa3o", "--save", project, "-o",
                   desk + "/Relat\xc3\xb3rio.pdf"})
                  .exitCode,
              0);
    EXPECT_TRUE(fs::exists(m_dir / desk / "Relat\xc3\xb3rio.pdf"));
    EXPECT_NE(vm::ReadWholeFile(m_dir / project).find("<Projeto>Sal\xe3o</Projeto>"),
              std::string::npos);
    const ToolRun back = run({project, "--json"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(nlohmann::json::parse(back.out)["cProjeto"], "Sal\xc3\xa3o");
}

TEST_F(ReportTool, OpensSavesAndRefusesFiles) {
    const ToolRun missing = run({"missing.qtv"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("missing.qtv"), std::string::npos);

    // Save with overrides, then open the saved file and save it again: the same bytes.
    const ToolRun saved =
        run({"--set", "cProjeto=Sala 2", "--set", "nComprimento=100", "--save", "first.qtv"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const std::string first = vm::ReadWholeFile(m_dir / "first.qtv");
    EXPECT_NE(first.find("<Projeto>Sala 2</Projeto>\r\n"), std::string::npos);
    EXPECT_NE(first.find("<Cmprimento>100.00</Comprimento>\r\n"), std::string::npos);
    EXPECT_EQ(first.back(), '\x1a');
    const ToolRun reopened = run({"first.qtv", "--save", "second.qtv", "--json"});
    ASSERT_EQ(reopened.exitCode, 0) << reopened.err;
    EXPECT_EQ(vm::ReadWholeFile(m_dir / "second.qtv"), first);
    EXPECT_EQ(nlohmann::json::parse(reopened.out)["nFatorX"], 1.7);

    // A file with no field is refused; one with some fields missing is read with a warning that
    // names them, the missing ones empty.
    std::ofstream(m_dir / "other.txt") << "not a project";
    const ToolRun other = run({"other.txt", "--json"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.err.find("other.txt is not a Vistametra project"), std::string::npos)
        << other.err;
    EXPECT_EQ(other.out, "");
    std::string partial = first;
    partial.erase(partial.find("<Data>"), 6);
    partial.erase(partial.find("<Aspecto>"), 9);
    std::ofstream(m_dir / "parcial.qtv", std::ios::binary) << partial;
    const ToolRun some = run({"parcial.qtv", "--json"});
    EXPECT_EQ(some.exitCode, 0) << some.err;
    EXPECT_NE(
        some.err.find("warning: parcial.qtv lacks the fields cData, nAspecto; they are empty"),
        std::string::npos)
        << some.err;
    const auto j = nlohmann::json::parse(some.out);
    EXPECT_EQ(j["cProjeto"], "Sala 2");
    EXPECT_EQ(j["cData"], "  /  /  ");
    EXPECT_EQ(j["nAspecto"], 0.0);

    const ToolRun unwritable = run({"--save", "no/such/folder/x.qtv"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_FALSE(unwritable.err.empty());
}

TEST_F(ReportTool, VersionAndHelpThatFitsTheTerminal) {
    const ToolRun version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "vistametra-report 1.05\n");
    EXPECT_EQ(version.err, "");
    // Not a terminal: $COLUMNS gives the width, 80 without it.
    for (const auto& [columns, width] :
         {std::pair{"COLUMNS=60", 60u}, {"COLUMNS=100", 100u}, {"COLUMNS", 80u}}) {
        const ToolRun help = run({"--help"}, {columns});
        ASSERT_EQ(help.exitCode, 0) << columns;
        std::istringstream lines(help.out);
        std::string line;
        size_t widest = 0, count = 0;
        while (std::getline(lines, line)) {
            // The width counts characters: "ã" is one column but two bytes.
            size_t columnsUsed = 0;
            for (unsigned char c : line) {
                columnsUsed += (c & 0xC0) != 0x80;
            }
            widest = std::max(widest, columnsUsed);
            ++count;
        }
        EXPECT_LE(widest, width) << columns;
        EXPECT_GT(widest, width - 15) << columns;  // wrapped to the width, not far below it
        EXPECT_NE(help.out.find("--jsonl"), std::string::npos);
        EXPECT_NE(help.out.find("nTelaG"), std::string::npos);
    }
}

// The system's text for an errno value in the language of the environment (LANG, LC_ALL).
std::string systemText(int error) {
    const locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    const std::string text =
        user != static_cast<locale_t>(0) ? strerror_l(error, user) : std::strerror(error);
    if (user != static_cast<locale_t>(0)) {
        freelocale(user);
    }
    return text;
}

// A run from cron or ssh: no XDG_RUNTIME_DIR, a home of its own.
TEST_F(ReportTool, QuietOnSuccessOneLineWithTheReasonOnFailure) {
    const fs::path home = m_dir / "home";
    fs::create_directory(home);
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR",
                                          "HOME=" + home.string()};
    const ToolRun ok = run({"-o", "relat\xc3\xb3rio.pdf", "--save", "sala.qtv"}, env);
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.err, "");
    EXPECT_TRUE(fs::exists(m_dir / "relat\xc3\xb3rio.pdf"));
    // Nothing was saved in the documents folder, so none was made.
    EXPECT_TRUE(fs::is_empty(home)) << fs::directory_iterator(home)->path();

    const struct {
        std::vector<std::string> args;
        const char* names;  // the file, or for pages the folder
        int reason;         // errno, told as the system tells it in the user's language
    } failures[] = {
        {{"-o", "sem/pasta/x.pdf"}, "sem/pasta/", ENOENT},
        {{"-o", "sem/pasta/x.png"}, "sem/pasta/", ENOENT},
        {{"sem-arquivo.qtv"}, "sem-arquivo.qtv", ENOENT},
    };
    for (const auto& f : failures) {
        const ToolRun r = run(f.args, env);
        EXPECT_EQ(r.exitCode, 1) << f.args.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(systemText(f.reason)), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(f.names), std::string::npos) << r.err;
    }
}

TEST_F(ReportTool, JsonCountsAreIntegersAndLinesAreWhole) {
    const auto j = nlohmann::json::parse(run({"--json"}).out);
    for (const char* count : {"nNumeroFilas", "nImagemLargura", "nImagemAltura", "nAspecto"}) {
        EXPECT_TRUE(j[count].is_number_integer()) << count << " " << j[count];
    }
    EXPECT_EQ(j["nImagemLargura"], 1280);
    EXPECT_TRUE(j["nLargura"].is_number_float());
    EXPECT_FALSE(j.contains("file"));
    // A count that is not whole keeps its fraction rather than losing it.
    EXPECT_EQ(
        nlohmann::json::parse(run({"--set", "nNumeroFilas=7.5", "--json"}).out)["nNumeroFilas"],
        7.5);

    ASSERT_EQ(run({"--set", "cProjeto=Sala", "--save", "Sala de Reuni\xc3\xa3o.qtv"}).exitCode, 0);
    const ToolRun lines = run({"Sala de Reuni\xc3\xa3o.qtv", "--jsonl", "--analysis"});
    ASSERT_EQ(lines.exitCode, 0) << lines.err;
    ASSERT_FALSE(lines.out.empty());
    EXPECT_EQ(lines.out.find('\n'), lines.out.size() - 1);  // one line, ended
    const auto line = nlohmann::json::parse(lines.out);
    EXPECT_EQ(line["file"], "Sala de Reuni\xc3\xa3o.qtv");
    EXPECT_EQ(line["cProjeto"], "Sala");
    EXPECT_TRUE(line.contains("analysis"));
    auto pretty =
        nlohmann::json::parse(run({"Sala de Reuni\xc3\xa3o.qtv", "--json", "--analysis"}).out);
    EXPECT_EQ(line, pretty);
}

}  // namespace

namespace {

const Word* findWord(const std::vector<Word>& words, int page, const std::string& text) {
    for (const Word& w : words) {
        if (w.page == page && w.text == text) {
            return &w;
        }
    }
    return nullptr;
}

// Whatever the output's or the project's name (markup characters, bytes that are not UTF-8,
// quotes), every SVG page is valid XML and the PDF's title holds the project's name.
TEST_F(ReportTool, OutputsStayValidForAnyName) {
    for (const std::string name : {"Sala P&D <1>", "r\xffx", "a\"b&amp;c", "t\x01u"}) {
        for (const char* suffix : {".svg", ".pdf"}) {
            const ToolRun r = run({"--set", "cProjeto=P&D <(x)>", "-o", name + suffix});
            ASSERT_EQ(r.exitCode, 0) << name << r.err;
        }
        for (const char* page : {"_0001.svg", "_0002.svg"}) {
            const std::string file = (m_dir / (name + page)).string();
            int status = -1;
            const std::string lint = capture("xmllint --noout '" + file + "' 2>&1", &status);
            EXPECT_EQ(status, 0) << name << ": " << lint;
        }
        const std::string info = capture("pdfinfo '" + (m_dir / (name + ".pdf")).string() + "'");
        EXPECT_NE(info.find("P&D <(x)>_Calculo_Tela.pdf"), std::string::npos) << info;
    }
}

// Eight runs side by side write lines of about 470 KB into one pipe (and into one file): every
// line arrives whole. A pipe takes such a line in several pieces, so without the output's lock
// the runs' pieces interleave.
TEST_F(ReportTool, JsonLinesOfParallelRunsStayWhole) {
    const std::string tool = std::string(VM_BUILD_DIR) + "/vistametra-report";
    const std::string oneRun = "'" + tool +
                               "' --set nNumeroFilas=999 --set nComprimento=1100 --set "
                               "nLargura=60 --set nLarguraAssento=0.45 --analysis --jsonl";
    const std::string eight = "for i in 1 2 3 4 5 6 7 8; do " + oneRun + " & done; wait";
    const std::string throughPipe = (m_dir / "pipe.jsonl").string();
    const std::string intoFile = (m_dir / "file.jsonl").string();
    int status = -1;
    capture("( " + eight + " ) | cat > '" + throughPipe + "'", &status);
    ASSERT_EQ(status, 0);
    capture("( " + eight + " ) > '" + intoFile + "'", &status);
    ASSERT_EQ(status, 0);
    for (const std::string& file : {throughPipe, intoFile}) {
        std::istringstream lines(vm::ReadWholeFile(file));
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            ++count;
            EXPECT_GT(line.size(), 500000u);  // lines of more than 500 KB
            EXPECT_TRUE(nlohmann::json::accept(line)) << file << ": line " << count << " broken";
        }
        EXPECT_EQ(count, 8) << file;
    }
}

// A FIFO nobody reads as an output ends the run at once with exit code 1 and a message naming
// it, instead of waiting for ever for a reader.
TEST_F(ReportTool, AFifoAsOutputIsRefusedAtOnce) {
    for (const char* name : {"saída.pdf", "saída.dxf", "saída.qtv"}) {
        const fs::path fifo = m_dir / name;
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const bool project = fifo.extension() == ".qtv";
        const ToolRun r = run({project ? "--save" : "-o", name});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("nobody reads from this FIFO"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
        fs::remove(fifo);
    }
}

TEST_F(ReportTool, WritesTheReportAsPdfWithTextsInPlace) {
    const ToolRun r = run({"-o", "rel.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string info = capture("pdfinfo '" + (m_dir / "rel.pdf").string() + "'");
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
    EXPECT_NE(info.find("AUDITORIO_TERREO_Calculo_Tela.pdf"), std::string::npos) << info;
    const std::string fonts = capture("pdffonts '" + (m_dir / "rel.pdf").string() + "'");
    // Every font line says "yes" in its "emb" column, the fifth field from the end.
    std::istringstream fontLines(fonts);
    std::string line;
    int fontCount = 0;
    while (std::getline(fontLines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() < 6 || line.rfind("name", 0) == 0 || line.rfind("---", 0) == 0) {
            continue;
        }
        ++fontCount;
        EXPECT_EQ(f[f.size() - 5], "yes") << line;
    }
    EXPECT_GE(fontCount, 1) << fonts;

    const auto words = pdfWords(m_dir / "rel.pdf");
    for (int page : {1, 2}) {
        const Word* projeto = findWord(words, page, "Projeto");
        ASSERT_NE(projeto, nullptr) << "page " << page;
        EXPECT_NEAR(projeto->xMm, 20, 1);
        EXPECT_NEAR(projeto->yMm, 20, 1);
        EXPECT_NE(findWord(words, page, "AUDITORIO_TERREO"), nullptr);
        EXPECT_NE(findWord(words, page, vm::DToC(vm::Today())), nullptr);
    }
    // Page A holds the minimum images, page B the planned screen.
    EXPECT_NE(findWord(words, 1, "180.14&quot;"), nullptr);
    EXPECT_NE(findWord(words, 1, "mínimos"), nullptr);
    EXPECT_NE(findWord(words, 2, "pretendida"), nullptr);
    EXPECT_NE(findWord(words, 2, "139.39&quot;"), nullptr);
}

TEST_F(ReportTool, WritesPagesAsEmfSvgAndPng) {
    ASSERT_EQ(run({"--set", "nComprimento=12", "-o", "rel.emf"}).exitCode, 0);
    ASSERT_EQ(run({"-o", "rel.svg"}).exitCode, 0);
    ASSERT_EQ(run({"-o", "Rel.PNG"}).exitCode, 0);
    for (const char* name : {"rel_0001.emf", "rel_0002.emf", "rel_0001.svg", "rel_0002.svg",
                             "Rel_0001.PNG", "Rel_0002.PNG"}) {
        EXPECT_TRUE(fs::exists(m_dir / name)) << name;
    }
    EXPECT_FALSE(fs::exists(m_dir / "rel_0003.emf"));
    // The page files open in an EMF parser we did not write.
    const std::string svg = capture("emf2svg-conv -i '" + (m_dir / "rel_0001.emf").string() +
                                    "' -o /dev/stdout 2>/dev/null");
    EXPECT_NE(svg.find("AUDITORIO_TERREO"), std::string::npos) << svg.substr(0, 300);
    EXPECT_NE(vm::ReadWholeFile(m_dir / "rel_0002.svg").find("<svg"), std::string::npos);

    // A suffix that no format has is a usage error, found before anything is written.
    const ToolRun bad = run({"--save", "a.qtv", "-o", "rel.doc"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find(".pdf"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "a.qtv"));
    const ToolRun unwritable = run({"-o", "no/such/folder/rel.pdf"});
    EXPECT_EQ(unwritable.exitCode, 1);
}

// Numbers too wide for their fields are printed whole: no asterisk on any page of the projects
// that overflowed them (a 174-pixel font on page B, a ceiling of 10 m and 100 rows, a first-row
// angle of -10.71 degrees).
TEST_F(ReportTool, NoAsteriskOnTheReportOfProjectsWithWideNumbers) {
    struct Case {
        std::vector<std::string> sets;
        std::vector<std::pair<int, std::string>> words;  // page, word
    };
    const Case cases[] = {
        {{"nImagemLargura=3840", "nImagemAltura=2160", "nNumeroFilas=20"},
         {{2, "174"}, {1, "3840x2160"}}},
        {{"nPeDireito=10", "nTelaTopo=9", "nNumeroFilas=100"}, {{1, "10.00"}, {1, "100"}}},
        {{"nTelaTopo=0.5", "nAlturaOlhos1=1.2"}, {{1, "-10.71º"}, {2, "-10.71º"}}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args;
        for (const std::string& set : c.sets) {
            args.insert(args.end(), {"--set", set});
        }
        SCOPED_TRACE(c.sets.front());
        args.insert(args.end(), {"-o", "largos.pdf"});
        ASSERT_EQ(run(args).exitCode, 0);
        const auto words = pdfWords(m_dir / "largos.pdf");
        ASSERT_FALSE(words.empty());
        for (const Word& w : words) {
            EXPECT_EQ(w.text.find('*'), std::string::npos) << "page " << w.page << ": " << w.text;
        }
        for (const auto& [page, text] : c.words) {
            EXPECT_NE(findWord(words, page, text), nullptr) << text;
        }
    }
}

// A room 16 m wide and 10 m long: each plan goes on a page of its own, reduced to fit, and every
// word of those pages stands inside the sheet and above the footer's rule at 285 mm, except the
// footer's own page number and notice.
TEST_F(ReportTool, PlansOfAWideRoomStayOnTheirSheetAboveTheFooter) {
    ASSERT_EQ(run({"--set", "nLargura=16", "-o", "largo.pdf"}).exitCode, 0);
    const auto words = pdfWords(m_dir / "largo.pdf");
    const std::string footer = "3 4 Copyright (c) 2016 Vistametra. Todos os direitos reservados.";
    int planWords = 0;
    for (int page : {2, 4}) {
        ASSERT_NE(findWord(words, page, "Campos"), nullptr) << "page " << page;
        EXPECT_NE(findWord(words, page, "reduzida"), nullptr) << "page " << page;
        for (const Word& w : words) {
            if (w.page != page || (w.yMm > 284 && footer.find(w.text) != std::string::npos)) {
                continue;
            }
            ++planWords;
            EXPECT_GE(w.xMm, 0) << w.text;
            EXPECT_LE(w.xMaxMm, 210) << w.text;
            EXPECT_GE(w.yMm, 0) << w.text;
            EXPECT_LT(w.yMaxMm, 285) << "page " << page << ": " << w.text;
        }
    }
    EXPECT_NE(findWord(words, 4, "Ideal"), nullptr);
    EXPECT_GT(planWords, 10);
}

}  // namespace

namespace {

TEST_F(ReportTool, OutputThatDoesNotGetOutIsAFailure) {
    std::string err;
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    EXPECT_EQ(runWithOutput(full, {"--json"}, m_dir, &err), 1);
    EXPECT_NE(err.find(std::string("cannot write the output: ") + std::strerror(ENOSPC)),
              std::string::npos)
        << err;
    EXPECT_EQ(runWithOutput(full, {"--help"}, m_dir, &err), 1);
    close(full);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);  // nobody reads: the tool ends as quietly as other Unix tools
    EXPECT_EQ(runWithOutput(pipeEnds[1], {"--summary"}, m_dir, &err), 1);
    EXPECT_EQ(err, "");
    close(pipeEnds[1]);

    const int null = open("/dev/null", O_WRONLY);
    EXPECT_EQ(runWithOutput(null, {"--json"}, m_dir, &err), 0) << err;
    close(null);
}

TEST_F(ReportTool, FileNamesAndKindsOfFileAreChecked) {
    ASSERT_EQ(mkfifo((m_dir / "f.qtv").c_str(), 0600), 0);
    fs::create_directory(m_dir / "Área de Trabalho");
    std::ofstream(m_dir / "enorme.qtv") << "<Projeto>x</Projeto>";
    fs::resize_file(m_dir / "enorme.qtv", 2ULL << 30);  // sparse
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string says;
    } cases[] = {
        {{""}, 2, "empty file name"},
        {{"--save", ""}, 2, "--save: an empty file name"},
        {{"-o", ""}, 2, "--output: an empty file name"},
        {{"f.qtv"}, 1, "f.qtv: not a regular file"},
        {{"/dev/zero"}, 1, "/dev/zero: not a regular file"},
        {{"Área de Trabalho"}, 1, std::strerror(EISDIR)},
        {{"enorme.qtv"}, 1, "larger than 1 MiB"},
    };
    const int null = open("/dev/null", O_WRONLY);
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(runWithOutput(null, c.args, m_dir, &err), c.exitCode) << c.says;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
    close(null);
}

// A full disk: the tool runs in a mount namespace of its own with a small tmpfs as the output
// folder, which holds the earlier good files but not a second copy of them.
TEST_F(ReportTool, FullDiskKeepsTheEarlierFilesAndFails) {
    if (system("unshare -m true 2>/dev/null") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here (unshare -m needs root)";
    }
    ASSERT_EQ(run({"-o", "rel.pdf", "--save", "p.qtv"}).exitCode, 0);
    ASSERT_EQ(run({"-o", "rel.svg"}).exitCode, 0);
    const struct {
        const char* args;
        std::vector<std::string> kept;
    } cases[] = {
        {"-o cheio/rel.pdf", {"rel.pdf"}},
        {"-o cheio/rel.svg", {"rel_0001.svg", "rel_0002.svg"}},
        {"--save cheio/p.qtv -o cheio/rel.pdf", {"p.qtv", "rel.pdf"}},
    };
    for (const auto& c : cases) {
        std::string copies;
        uintmax_t total = 0;
        for (const std::string& name : c.kept) {
            copies += " && cp " + name + " cheio/";
            total += fs::file_size(m_dir / name);
        }
        // Room for the earlier files and a few blocks more: not for new copies of them all.
        const std::string script = "cd '" + m_dir.string() +
                                   "' && rm -rf cheio && mkdir cheio && " +
                                   "unshare -m sh -c 'mount --make-rprivate / && mount -t tmpfs "
                                   "-o size=" +
                                   std::to_string(total / 1024 + 16) + "k tmpfs cheio" + copies +
                                   " && " + std::string(VM_BUILD_DIR) + "/vistametra-report " +
                                   c.args + " 2>err.txt; code=$?; ls -A cheio > list.txt; " +
                                   "for f in cheio/*; do cmp -s $f ${f#cheio/} || echo $f; done "
                                   "> changed.txt; exit $code'";
        const int status = system(script.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << c.args;
        EXPECT_NE(vm::ReadWholeFile(m_dir / "err.txt").find(std::strerror(ENOSPC)),
                  std::string::npos)
            << c.args << ": " << vm::ReadWholeFile(m_dir / "err.txt");
        EXPECT_EQ(vm::ReadWholeFile(m_dir / "changed.txt"), "")
            << c.args;  // every earlier file intact
        std::string expected;
        for (const std::string& name : c.kept) {
            expected += name + "\n";  // and nothing else: no temporary file is left
        }
        EXPECT_EQ(vm::ReadWholeFile(m_dir / "list.txt"), expected) << c.args;
    }
}

}  // namespace

namespace {

// The words of `text` between `from` and the first `to` after it.
std::vector<std::string> WordsBetween(const std::string& text, const std::string& from,
                                      const std::string& to) {
    const size_t start = text.find(from);
    if (start == std::string::npos) {
        return {};
    }
    const size_t end = text.find(to, start + from.size());
    std::istringstream in(text.substr(start + from.size(), end - start - from.size()));
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

// The fields that --set takes, as the help and the bash completion list them, are the project's
// input fields, in the file's order.
TEST_F(ReportTool, SetFieldListsFollowTheFieldTable) {
    std::vector<std::string> inputs;
    for (const vm::ProjectField& f : vm::projectFields()) {
        if (f.input) {
            inputs.push_back(f.name);
        }
    }
    ASSERT_EQ(inputs.size(), 22u);
    // The help is wrapped to the terminal: a wide one keeps the list on one line.
    const ToolRun help = run({"--help"}, {"COLUMNS=400"});
    std::vector<std::string> listed = WordsBetween(help.out, "Fields for --set (case ignored):", ".\n");
    EXPECT_EQ(listed, inputs);
    const std::string completion =
        vm::ReadWholeFile(fs::path(VM_SOURCE_DIR) / "packaging/vistametra-report.bash-completion");
    EXPECT_EQ(WordsBetween(completion, "local fields=\"", "\""), inputs);
}

}  // namespace
