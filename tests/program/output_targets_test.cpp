// The window's writers pointed at what is no ordinary new file, as a user can point them: a FIFO
// nobody reads, a bound socket and a device (through a link) as the target of the main Salvar,
// Salvar como, and the analysis and projection windows' Salvar, with a timer ticking to show that
// the event loop goes on; and hostile project and file names through them.
#include <stdlib.h>

#include <QAction>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "core/program_values.h"
#include "core/win1252.h"
#include "program/main_window.h"
#include "program/project_file_commands.h"
#include "program/projection_window.h"
#include "program/visibility_window.h"
#include "project/project_file.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/odd_targets.h"
#include "tests/support/save_without_blocking.h"
#include "tests/support/tool_process.h"
#include "ui/file_failure_text.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesUnder(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(entry.path().lexically_relative(folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class OutputTargetsTest : public MainWindowFixture {
protected:
    OutputTargetsTest() : MainWindowFixture("vm-alvos") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        // The analysis window remembers its target in the user's settings: here, in the folder.
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        vm::mainWindowProcedures().visibilidade = vm::ShowVisibilityWindow;
        vm::mainWindowProcedures().projecao = vm::ShowProjectionWindow;
        vm::mainWindowProcedures().projetoAlterado = [] {
            vm::RefreshVisibilityWindow();
            vm::RefreshProjectionWindow();
        };
    }

    // Clicks the window's "Salvar" once it is open (from its menu item).
    static void clickSalvar(const char* menuItem, QWidget* (*window)()) {
        if (window() == nullptr) {
            menuAction(menuItem)->trigger();
        }
        ASSERT_NE(window(), nullptr) << menuItem;
        QTest::mouseClick(window()->findChild<QPushButton*>("bSalvar"), Qt::LeftButton);
    }
};

using Kind = vm::test::OddTarget;

void expectUnchanged(Kind kind, const fs::path& path) {
    if (kind == Kind::Fifo) {
        EXPECT_TRUE(fs::is_fifo(path)) << path;
    } else if (kind == Kind::Socket) {
        EXPECT_TRUE(fs::is_socket(path)) << path;
    } else {
        EXPECT_EQ(fs::read_symlink(path), "/dev/null");
    }
}

// Every writer refuses each kind at once with a box that names the file and the reason; the
// target stays as it was, nothing is left beside it, the title names no file, and the timer ticks
// on throughout.
TEST_F(OutputTargetsTest, FifosSocketsAndDevicesAreRefusedWithABoxWithoutBlocking) {
    struct Writer {
        const char* name;
        const char* file;  // the target's name in its folder
        std::function<void(const fs::path& folder)> save;
    };
    const Writer writers[] = {
        {"Salvar", "AUDITORIO_TERREO_Calculo_Tela.qtv",
         [](const fs::path& folder) {
             vm::programValues().DirPdf = folder.string() + "/";
             menuAction("&Salvar")->trigger();
         }},
        {"Salvar como", "Sala.qtv",
         [this](const fs::path& folder) {
             m_dialogs.fileAnswers.push_back((folder / "Sala.qtv").string());
             menuAction(QString::fromUtf8("Salvar &como…"))->trigger();
         }},
        {"Visibilidade: Salvar", "vis.pdf",
         [this](const fs::path& folder) {
             m_dialogs.fileAnswers.push_back((folder / "vis.pdf").string());
             clickSalvar("&Visibilidade dos Assentos", vm::VisibilityWindow);
         }},
        {"Projetor: Salvar", "corte.dxf",
         [this](const fs::path& folder) {
             m_dialogs.fileAnswers.push_back((folder / "corte.dxf").string());
             clickSalvar("&Projetor e Brilho", vm::ProjectionWindow);
         }},
    };
    runWindow([&] {
        int n = 0;
        for (const Writer& writer : writers) {
            for (const Kind kind : {Kind::Fifo, Kind::Socket, Kind::Device}) {
                SCOPED_TRACE(std::string(writer.name) + " to a " + vm::test::OddTargetName(kind));
                const fs::path folder = m_dir / ("alvo" + std::to_string(++n));
                fs::create_directory(folder);
                const fs::path target = folder / writer.file;
                std::optional<vm::test::BoundSocket> socket;
                ASSERT_TRUE(vm::test::MakeOddTarget(kind, target, socket, "/dev/null"));
                const size_t boxes = m_dialogs.messageLog().size();
                SaveWithoutBlocking([&] { writer.save(folder); },
                                    kind == Kind::Fifo ? target.string() : std::string());
                const std::vector<std::string> log = m_dialogs.messageLog();
                ASSERT_GT(log.size(), boxes);
                const std::string& box = log.back();
                EXPECT_NE(box.find(vm::utf8ToWin1252("não é um arquivo comum")), std::string::npos)
                    << box;
                EXPECT_NE(box.find(vm::TextFromFileName(target.string())), std::string::npos)
                    << box;
                EXPECT_EQ(vm::FormWidget("wmenu")->windowTitle(), "Vistametra");
                expectUnchanged(kind, target);
                EXPECT_EQ(namesUnder(folder), std::vector<std::string>{writer.file});
            }
        }
    });
}

// Salvar como into a folder that is not there: the box's reason names the folder and the
// system's reason in the window's own text, accents included.
TEST_F(OutputTargetsTest, SalvarComoSaysWhyInTheWindowsText) {
    const fs::path missing = m_dir / "Área de Trabalho" / "sumiu";
    m_dialogs.fileAnswers.push_back((missing / "Salão.qtv").string());
    runWindow([&] {
        menuAction(QString::fromUtf8("Salvar &como…"))->trigger();
        ASSERT_FALSE(m_dialogs.messageLog().empty());
        const std::string box = m_dialogs.messageLog().back();
        const std::string reason = box.substr(box.find("\r\n\r\n") + 4);
        EXPECT_NE(reason.find(vm::utf8ToWin1252("Área de Trabalho/sumiu")), std::string::npos)
            << reason;
        EXPECT_NE(reason.find(vm::SystemReasonText(ENOENT)), std::string::npos)
            << reason;
    });
}

// Project names through the main Salvar: a name that a file can hold is saved exactly as
// "<name>_Calculo_Tela.qtv" in the program's folder ("/" naming a subfolder of it); one that
// cannot ("..", a NUL, 300 bytes, a missing subfolder) fails with the box and writes nothing,
// inside the folder or above it.
TEST_F(OutputTargetsTest, ProjectNamesSaveExactlyTheirFileOrFailCleanly) {
    const fs::path projects = m_dir / "projetos";
    fs::create_directories(projects / "salas");
    vm::programValues().DirPdf = projects.string() + "/";
    struct Name {
        std::string project;     // Windows-1252, as the record holds it
        std::string file;        // the file written under the folder, "" when none
        std::string reasonPart;  // in the failure box
    };
    const Name names[] = {
        {"Sala P&D <1>", "Sala P&D <1>_Calculo_Tela.qtv", ""},
        {"SAL\xC3O \"A\"", "SALÃO \"A\"_Calculo_Tela.qtv", ""},
        {"salas/Nobre", "salas/Nobre_Calculo_Tela.qtv", ""},
        {"nada/Nobre", "", "Arquivo ou diretório inexistente"},
        {"../../fora", "", "\"..\""},
        {"salas/../../fora", "", "\"..\""},
        {std::string("AUDI\0TORIO", 10), "", "byte nulo"},
        {std::string(300, 'B'), "", "Nome de arquivo longo demais"},
    };
    runWindow([&] {
        for (const Name& name : names) {
            SCOPED_TRACE(name.file.empty() ? name.project.substr(0, 20) : name.file);
            vm::projeto().cProjeto = name.project;
            // A project without a file of its own: Salvar names it from the project.
            vm::DefineArquivoDoProjeto("wmenu", "");
            const size_t boxes = m_dialogs.messageLog().size();
            const bool saved = vm::SalvarArquivo();
            ASSERT_EQ(m_dialogs.messageLog().size(), boxes + 1);
            const std::string box = m_dialogs.messageLog().back();
            if (name.file.empty()) {
                EXPECT_FALSE(saved);
                EXPECT_EQ(box.rfind("Salvar arquivo|Error ao salvar o Arquivo.", 0), 0u) << box;
                EXPECT_NE(box.find(vm::utf8ToWin1252(name.reasonPart)), std::string::npos) << box;
                continue;
            }
            EXPECT_TRUE(saved) << box;
            const fs::path file = projects / name.file;
            ASSERT_TRUE(fs::is_regular_file(file));
            // Read back, the project keeps its name.
            vm::DadosProjeto back;
            ASSERT_GT(vm::LerProjeto(back, vm::MemoRead(file.string())), 0);
            EXPECT_EQ(back.cProjeto, name.project);
            fs::remove(file);
        }
    });
    EXPECT_EQ(namesUnder(projects), std::vector<std::string>{"salas"});
    EXPECT_FALSE(fs::exists(m_dir / "fora_Calculo_Tela.qtv"));
    EXPECT_FALSE(fs::exists(m_dir.parent_path() / "fora_Calculo_Tela.qtv"));
}

// File names chosen for the analysis window's Salvar, and a project name with markup, "../" and
// quotes: each page file parses (xmllint, pdfinfo, ezdxf) and shows the project's name; a name
// too long for the file system fails with the box and leaves nothing.
TEST_F(OutputTargetsTest, AnalysisPagesParseWhateverTheNames) {
    const fs::path folder = m_dir / "saida";
    fs::create_directory(folder);
    runWindow([&] {
        vm::projeto().cProjeto = "P&D <x> \"../../y\"";
        vm::TelaRefresh();
        struct Case {
            std::string chosen;
            std::vector<std::string> files;  // what is written, nothing when it fails
        };
        const Case cases[] = {
            {"Sala P&D <1>.svg", {"Sala P&D <1>_0001.svg", "Sala P&D <1>_0002.svg"}},
            {"r\xff\xfe.pdf", {"r\xff\xfe.pdf"}},
            {"a&b<c>.dxf", {"a&b<c>.dxf"}},
            {std::string(300, 'C') + ".pdf", {}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.chosen.substr(0, 20));
            const size_t boxes = m_dialogs.messageLog().size();
            m_dialogs.fileAnswers.push_back((folder / c.chosen).string());
            clickSalvar("&Visibilidade dos Assentos", vm::VisibilityWindow);
            EXPECT_EQ(namesUnder(folder), c.files);
            EXPECT_EQ(m_dialogs.messageLog().size(), boxes + (c.files.empty() ? 1 : 0));
            for (const std::string& name : c.files) {
                const std::string quoted = "'" + (folder / name).string() + "'";
                const std::string suffix = fs::path(name).extension().string();
                int status = -1;
                std::string read;
                if (suffix == ".svg") {
                    // Its title is the page file's name; the project's name is among its texts.
                    read = capture(
                        "xmllint --xpath 'string(//*[local-name()=\"title\"])' " + quoted + " 2>&1",
                        &status);
                    EXPECT_EQ(read, fs::path(name).stem().string() + "\n");
                    read = capture("xmllint --xpath 'string(/)' " + quoted + " 2>&1", &status);
                } else if (suffix == ".pdf") {
                    read = capture("pdfinfo " + quoted + " 2>&1", &status);
                } else {
                    read = capture(
                        "/usr/bin/python3 -c 'import sys; from ezdxf import recover; "
                        "d, a = recover.readfile(sys.argv[1]); print(len(a.errors) + "
                        "len(a.fixes)); "
                        "print(\"\\n\".join(t.dxf.text for t in "
                        "d.modelspace().query(\"TEXT\")))' " +
                            quoted + " 2>&1",
                        &status);
                    EXPECT_EQ(read.rfind("0\n", 0), 0u) << read.substr(0, 300);
                }
                EXPECT_EQ(status, 0) << name << ": " << read;
                EXPECT_NE(read.find("P&D <x> \"../../y\""), std::string::npos)
                    << name << ": " << read.substr(0, 2000);
                fs::remove(folder / name);
            }
        }
    });
}

}  // namespace
