// The windows' saves through Qt's real (non-native) file dialog, driven as a user drives it: a
// name typed without its suffix gets the one of the file type chosen, and every file the save
// would replace (and every page of an earlier set it would remove) is asked about first.
#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "core/whole_file.h"
#include "core/win1252.h"
#include "pagefile/page_set.h"
#include "program/main_window.h"
#include "program/visibility_window.h"
#include "project/project_file.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/real_file_dialog.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& file) {
    return vm::MemoRead(file.string());
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// "title|O arquivo "<name>" já existe em <folder>/. Substituir?"
std::string replaceBox(const char* title, const fs::path& file) {
    return std::string(title) + "|" + vm::utf8ToWin1252("O arquivo \"") +
           vm::TextFromFileName(file.filename().string()) + vm::utf8ToWin1252("\" já existe em ") +
           vm::TextFromFileName(file.parent_path().string() + "/") + ". Substituir?";
}

class SaveDialogsTest : public MainWindowFixture {
protected:
    SaveDialogsTest() : MainWindowFixture("vm-dialogo") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
        QSettings(QStringLiteral("Vistametra"), QStringLiteral("vistametra")).clear();
        vm::mainWindowProcedures().visibilidade = vm::ShowVisibilityWindow;
        vm::mainWindowProcedures().projetoAlterado = vm::RefreshVisibilityWindow;
    }

    // Runs `command` while the driver types `name` into the file dialog it opens.
    static void saveThroughTheDialog(const QString& name, const std::function<void()>& command) {
        vm::test::FileDialogDriver driver(vm::test::TypeName(name));
        command();
        EXPECT_TRUE(driver.done()) << name.toStdString();
    }
};

// "Marcador" typed over an existing "Marcador.qtv": the filter's ".qtv" comes after the dialog
// accepted the name, and the program still asks before replacing the file. "Não" keeps it as it
// was; "Sim" writes the project there.
TEST_F(SaveDialogsTest, SalvarComoAsksAboutTheFileTheFiltersSuffixNames) {
    const fs::path marcador = m_dir / "Marcador.qtv";
    writeText(marcador, "anterior");
    vm::test::RealFileDialogs dialogs(m_dialogs);
    m_dialogs.messageAnswers = {vm::MessageAnswer::No, vm::MessageAnswer::Yes};
    runWindow([&] {
        QAction* salvarComo = menuAction(QString::fromUtf8("Salvar &como…"));
        saveThroughTheDialog("Marcador", [&] { salvarComo->trigger(); });
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        EXPECT_EQ(m_dialogs.messageLog()[0], replaceBox("Salvar como", marcador));
        EXPECT_EQ(readAll(marcador), "anterior");
        EXPECT_EQ(vm::FormWidget("wmenu")->windowTitle(), "Vistametra");

        saveThroughTheDialog("Marcador", [&] { salvarComo->trigger(); });
        ASSERT_EQ(m_dialogs.messageLog().size(), 3u);
        EXPECT_EQ(m_dialogs.messageLog()[1], replaceBox("Salvar como", marcador));
        EXPECT_EQ(readAll(marcador), vm::TextoProjeto(vm::projeto()));
        EXPECT_EQ(vm::FormWidget("wmenu")->windowTitle(), "Vistametra - Marcador.qtv");
    });
    EXPECT_FALSE(fs::exists(m_dir / "Marcador"));
}

// The analysis window's Salvar: a PDF named without its suffix, then a set of PNG pages over an
// earlier, longer set. Each is asked about, the set's question naming the pages it replaces and
// the earlier pages it would remove; "Não" leaves every file as it was.
TEST_F(SaveDialogsTest, AnalysisSalvarAsksAboutThePdfAndAboutAnEarlierSetOfPages) {
    vm::test::RealFileDialogs dialogs(m_dialogs);
    runWindow([&] {
        menuAction("&Visibilidade dos Assentos")->trigger();
        QWidget* window = vm::VisibilityWindow();
        ASSERT_NE(window, nullptr);
        auto* salvar = window->findChild<QPushButton*>("bSalvar");
        ASSERT_NE(salvar, nullptr);
        const auto clickSalvar = [&] { QTest::mouseClick(salvar, Qt::LeftButton); };

        // A first set of pages, into a free name: no question.
        saveThroughTheDialog("vis.png", clickSalvar);
        EXPECT_TRUE(m_dialogs.messageLog().empty());
        size_t pages = 0;
        while (fs::exists(
            vm::NumberedPageFileName((m_dir / "vis.png").string(), static_cast<int>(pages) + 1))) {
            ++pages;
        }
        ASSERT_GE(pages, 1u);
        const auto page = [&](size_t n) {
            return fs::path(
                vm::NumberedPageFileName((m_dir / "vis.png").string(), static_cast<int>(n)));
        };
        // An earlier set two pages longer: its first page and two pages beyond the new set's.
        writeText(page(1), "anterior");
        writeText(page(pages + 1), "anterior");
        writeText(page(pages + 2), "anterior");
        m_dialogs.messageAnswers = {vm::MessageAnswer::No, vm::MessageAnswer::No};
        saveThroughTheDialog("vis.png", clickSalvar);
        ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
        const std::string question = m_dialogs.messageLog()[0];
        EXPECT_EQ(question.rfind(pages == 1 ? "Salvar|O arquivo \"vis_0001.png\""
                                            : "Salvar|Os arquivos \"vis_0001.png\"",
                                 0),
                  0u)
            << question;
        const std::string removed = "\"" + page(pages + 1).filename().string() + "\" e \"" +
                                    page(pages + 2).filename().string() + "\"";
        EXPECT_NE(question.find(vm::utf8ToWin1252("As páginas ") + removed), std::string::npos)
            << question;
        EXPECT_EQ(question.substr(question.size() - 12), " Substituir?");
        for (const size_t n : {size_t{1}, pages + 1, pages + 2}) {
            EXPECT_EQ(readAll(page(n)), "anterior") << n;
        }

        // "vis" with the first file type, PDF: the dialog makes it "vis.pdf", which is taken.
        writeText(m_dir / "vis.pdf", "anterior");
        saveThroughTheDialog("vis", clickSalvar);
        ASSERT_EQ(m_dialogs.messageLog().size(), 2u);
        EXPECT_EQ(m_dialogs.messageLog()[1], replaceBox("Salvar", m_dir / "vis.pdf"));
        EXPECT_EQ(readAll(m_dir / "vis.pdf"), "anterior");

        // "Sim" writes the PDF.
        m_dialogs.messageAnswers = {vm::MessageAnswer::Yes};
        saveThroughTheDialog("vis", clickSalvar);
        EXPECT_EQ(readAll(m_dir / "vis.pdf").rfind("%PDF-", 0), 0u);
    });
    EXPECT_FALSE(fs::exists(m_dir / "vis"));
}

}  // namespace
