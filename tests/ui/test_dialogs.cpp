// Message boxes and file dialogs through the seam: scripted answers, the real QMessageBox and
// QFileDialog that the default seam builds, calls from a worker thread, and the beep.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <thread>

#include "tests/support/ui_test_support.h"
#include "ui/dialogs.h"

namespace {

using vm::MessageAnswer;
using vm::MessageButtons;
using vm::MessageIcon;

class DialogTest : public UiTest {};

TEST_F(DialogTest, MessageBoxesCarryTextTitleIconButtonsAndAnswer) {
    m_dialogs.messageAnswers = {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Yes,
                                MessageAnswer::No, MessageAnswer::Ok, MessageAnswer::Ok};
    vm::MsgInfo("Linha 1\r\nLinha 2");
    vm::MsgStop("Erro ao acessar a URL www.vistametra.com.br");
    EXPECT_TRUE(vm::MsgYesNo("Confirma a saida do sistema ??", "Sair", false));
    EXPECT_FALSE(vm::MsgYesNo("Confirma?"));
    vm::MsgBox("Refer\xEAncia", "Refer\xEAncias");
    vm::MsgInfo("Sobre", "Sobre Vistametra", false);

    struct Expected {
        const char* purpose;
        const char* title;
        const char* text;
        MessageIcon icon;
        MessageButtons buttons;
        bool systemModal;
    };
    const Expected expected[] = {
        {"MsgInfo", "Information", "Linha 1\r\nLinha 2", MessageIcon::Information,
         MessageButtons::Ok, true},
        {"MsgStop", "Stop", "Erro ao acessar a URL www.vistametra.com.br", MessageIcon::Stop,
         MessageButtons::Ok, true},
        {"MsgYesNo", "Sair", "Confirma a saida do sistema ??", MessageIcon::Question,
         MessageButtons::YesNo, false},
        {"MsgYesNo", "", "Confirma?", MessageIcon::Question, MessageButtons::YesNo, true},
        {"MsgBox", "Refer\xEAncias", "Refer\xEAncia", MessageIcon::None, MessageButtons::Ok, true},
        {"MsgInfo", "Sobre Vistametra", "Sobre", MessageIcon::Information, MessageButtons::Ok,
         false},
    };
    ASSERT_EQ(m_dialogs.shown.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const auto& shown = m_dialogs.shown[i];
        EXPECT_EQ(shown.purpose, expected[i].purpose);
        EXPECT_EQ(shown.message.title, expected[i].title);
        EXPECT_EQ(shown.message.text, expected[i].text);
        EXPECT_EQ(shown.message.icon, expected[i].icon);
        EXPECT_EQ(shown.message.buttons, expected[i].buttons);
        EXPECT_EQ(shown.message.systemModal, expected[i].systemModal);
    }
}

// Drives the real QMessageBox that the default seam builds: records what it shows, then presses
// the button asked for.
class MessageBoxDriver final : public vm::DialogSeam {
public:
    QMessageBox::StandardButton press = QMessageBox::Ok;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    Qt::WindowModality modality = Qt::NonModal;
    bool onTop = false;
    std::string purpose;

    int runDialog(QDialog& dialog, const std::string& what) override {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        purpose = what;
        text = box.text();
        title = box.windowTitle();
        icon = box.icon();
        buttons = box.standardButtons();
        defaultButton = box.defaultButton() != nullptr ? box.standardButton(box.defaultButton())
                                                       : QMessageBox::NoButton;
        modality = box.windowModality();
        onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.button(press)->click();
        return box.result();
    }
};

TEST_F(DialogTest, TheRealMessageBoxShowsLinesIconAndButtonsAndReportsThePress) {
    MessageBoxDriver driver;
    vm::SetDialogSeam(&driver);

    driver.press = QMessageBox::No;
    EXPECT_FALSE(vm::MsgYesNo("Nova vers\xE3o\r\nBaixar agora?", "Atualiza\xE7\xE3o", false));
    EXPECT_EQ(driver.purpose, "MsgYesNo");
    EXPECT_EQ(driver.text, QString::fromUtf8("Nova versão\nBaixar agora?"));
    EXPECT_EQ(driver.title, QString::fromUtf8("Atualização"));
    EXPECT_EQ(driver.icon, QMessageBox::Question);
    EXPECT_EQ(driver.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(driver.defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(driver.onTop);

    driver.press = QMessageBox::Yes;
    EXPECT_TRUE(vm::MsgYesNo("Confirma?", "Sair"));
    EXPECT_EQ(driver.modality, Qt::ApplicationModal);  // system modal

    driver.press = QMessageBox::Ok;
    vm::MsgStop("Erro cr\xEDtico!", "Erro cr\xEDtico");
    EXPECT_EQ(driver.icon, QMessageBox::Critical);
    EXPECT_EQ(driver.buttons, QMessageBox::Ok);
    vm::MsgInfo("x");
    EXPECT_EQ(driver.icon, QMessageBox::Information);
    vm::MsgBox("x");
    EXPECT_EQ(driver.icon, QMessageBox::NoIcon);
    vm::SetDialogSeam(&m_dialogs);
}

// Drives the real QFileDialog: records its settings, may change the current folder as a careless
// dialog would, then accepts `choose` (a name typed in the dialog) or cancels when it is empty.
class FileDialogDriver final : public vm::DialogSeam {
public:
    QString choose;
    QString wanderTo;
    QStringList filters;
    QString selectedFilter, title, directory;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    bool nonNative = false;

    int runDialog(QDialog& dialog, const std::string&) override {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        filters = files.nameFilters();
        selectedFilter = files.selectedNameFilter();
        title = files.windowTitle();
        directory = files.directory().absolutePath();
        mode = files.fileMode();
        acceptMode = files.acceptMode();
        nonNative = files.testOption(QFileDialog::DontUseNativeDialog);
        if (!wanderTo.isEmpty()) {
            QDir::setCurrent(wanderTo);
        }
        if (choose.isEmpty()) {
            files.reject();
        } else {
            files.selectFile(choose);
            static_cast<QDialog&>(files).accept();  // as the Open button does
        }
        return files.result();
    }
};

TEST_F(DialogTest, GetFileOffersTheFiltersAndReturnsTheFullPathOrNothing) {
    QTemporaryDir folder, elsewhere;
    ASSERT_TRUE(folder.isValid() && elsewhere.isValid());
    QFile file(folder.filePath("sala.qtv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString before = QDir::currentPath();

    FileDialogDriver driver;
    vm::SetDialogSeam(&driver);
    const std::vector<vm::FileFilter> filters = {{"Arquivos de C\xE1lculos", "*.qtv"},
                                                 {"Todos", "*.*"}};

    driver.choose = "sala.qtv";
    driver.wanderTo = elsewhere.path();
    EXPECT_EQ(
        vm::GetFile(filters, "Arquivo de C\xE1lculo", folder.path().toStdString(), false, true),
        QFileInfo(file).absoluteFilePath().toStdString());
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(driver.filters, (QStringList{QString::fromUtf8("Arquivos de Cálculos (*.qtv)"),
                                           QStringLiteral("Todos (*.*)")}));
    EXPECT_EQ(driver.selectedFilter, driver.filters.front());
    EXPECT_EQ(driver.title, QString::fromUtf8("Arquivo de Cálculo"));
    EXPECT_EQ(driver.directory, QDir(folder.path()).absolutePath());
    EXPECT_EQ(driver.mode, QFileDialog::ExistingFile);
    EXPECT_EQ(driver.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_TRUE(driver.nonNative);

    // Cancelling returns "", and the current folder is still kept.
    driver.choose.clear();
    driver.wanderTo = elsewhere.path();
    EXPECT_EQ(vm::GetFile(filters, "", folder.path().toStdString(), false, true), "");
    EXPECT_EQ(QDir::currentPath(), before);
    QDir::setCurrent(before);
    vm::SetDialogSeam(&m_dialogs);
}

// Qt's own texts are Portuguese, whatever the locale the test runs in: the standard buttons of
// the message boxes and the file dialog's labels and buttons.
class PlatformTextsDriver final : public vm::DialogSeam {
public:
    QStringList texts;

    int runDialog(QDialog& dialog, const std::string&) override {
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
            if (!button->text().isEmpty()) {
                texts << button->text().remove('&');
            }
        }
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            texts << label->text().remove('&');
        }
        dialog.reject();
        return QDialog::Rejected;
    }
};

TEST_F(DialogTest, QtsOwnTextsArePortuguese) {
    PlatformTextsDriver driver;
    vm::SetDialogSeam(&driver);
    vm::MsgYesNo("Confirma a saida do sistema ??", "Sair");
    EXPECT_TRUE(driver.texts.contains("Sim")) << driver.texts.join('|').toStdString();
    EXPECT_TRUE(driver.texts.contains(QString::fromUtf8("Não")))
        << driver.texts.join('|').toStdString();
    EXPECT_FALSE(driver.texts.contains("Yes"));

    driver.texts.clear();
    vm::GetFile({{"Arquivos de C\xE1lculos", "*.qtv"}}, "Arquivo de C\xE1lculo");
    const std::string shown = driver.texts.join('|').toStdString();
    EXPECT_TRUE(driver.texts.contains("Abrir")) << shown;
    EXPECT_TRUE(driver.texts.contains("Cancelar")) << shown;
    EXPECT_FALSE(driver.texts.contains("Open")) << shown;
    EXPECT_FALSE(driver.texts.contains("Look in:")) << shown;
    vm::SetDialogSeam(&m_dialogs);
}

// Paths go to and come from the dialog as the file system's bytes (UTF-8), not as program text.
TEST_F(DialogTest, GetFileTakesAndGivesPathsAsTheFileSystemNamesThem) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString folder = base.filePath(QString::fromUtf8("Área de Trabalho"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QString::fromUtf8("/Salão_Calculo_Tela.qtv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const std::string folderBytes = QFile::encodeName(folder).toStdString();

    FileDialogDriver driver;
    vm::SetDialogSeam(&driver);
    driver.choose = QString::fromUtf8("Salão_Calculo_Tela.qtv");
    EXPECT_EQ(vm::GetFile({{"Arquivos de C\xE1lculos", "*.qtv"}}, "", folderBytes + "/"),
              folderBytes + "/Sal\xc3\xa3o_Calculo_Tela.qtv");
    EXPECT_EQ(driver.directory, folder);
    vm::SetDialogSeam(&m_dialogs);
}

TEST_F(DialogTest, PutFileReturnsTheTypedNameInTheChosenFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    FileDialogDriver driver;
    vm::SetDialogSeam(&driver);
    driver.choose = "rel.emf";
    EXPECT_EQ(vm::PutFile({{"Images", "*.emf"}}, "", folder.path().toStdString(), true),
              QDir(folder.path()).absoluteFilePath("rel.emf").toStdString());
    EXPECT_EQ(driver.acceptMode, QFileDialog::AcceptSave);
    EXPECT_EQ(driver.filters, QStringList{QStringLiteral("Images (*.emf)")});
    driver.choose.clear();
    EXPECT_EQ(vm::PutFile({{"Images", "*.emf"}}, "", folder.path().toStdString(), true), "");
    vm::SetDialogSeam(&m_dialogs);
}

TEST_F(DialogTest, WindowsRunTheirOwnModalDialogsThroughTheSeam) {
    QDialog printDialog;
    m_dialogs.dialogDriver = [](QDialog& dialog, const std::string& purpose) {
        return purpose == "Imprimir" && dialog.windowTitle() == "Imprimir" ? QDialog::Accepted
                                                                           : QDialog::Rejected;
    };
    printDialog.setWindowTitle("Imprimir");
    EXPECT_EQ(vm::RunModalDialog(printDialog, "Imprimir"), QDialog::Accepted);
    EXPECT_EQ(m_dialogs.dialogsRun, std::vector<std::string>{"Imprimir"});
}

TEST_F(DialogTest, AWorkerThreadsMessageWaitsForTheAnswerOnTheEventLoopThread) {
    std::atomic<bool> done{false};
    QThread* shownOn = nullptr;
    m_dialogs.whileMessageShown = [&](const vm::MessageRequest&) {
        shownOn = QThread::currentThread();
    };
    std::thread worker([&] {
        vm::MsgStop("Erro cr\xEDtico!\r\nPor favor, reinicie a aplica\xE7\xE3o e tente novamente",
                    "Erro cr\xEDtico");
        done = true;
    });
    VM_TRY_TRUE(done.load());
    worker.join();
    EXPECT_EQ(shownOn, qApp->thread());
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].message.title, "Erro cr\xEDtico");
}

TEST_F(DialogTest, TheBeepGoesThroughItsSeam) {
    vm::Beep();
    vm::Beep();
    EXPECT_EQ(m_beeps, 2);
}

}  // namespace

// The save dialog as a user drives it: a file type chosen, a name typed without a suffix.
class SaveAsTyped final : public vm::DialogSeam {
public:
    QString filter;  // the type to choose; empty keeps the first
    QString typed;   // the name typed, in the dialog's folder

    int runDialog(QDialog& dialog, const std::string&) override {
        auto& files = static_cast<QFileDialog&>(dialog);
        if (!filter.isEmpty()) {
            files.selectNameFilter(filter);
        }
        files.selectFile(typed);
        dialog.accept();
        return QDialog::Accepted;
    }
};

TEST_F(DialogTest, ANameWithoutSuffixGetsTheChosenTypesSuffix) {
    const std::string folder = QDir::tempPath().toStdString();
    SaveAsTyped driver;
    vm::SetDialogSeam(&driver);
    const std::vector<vm::FileFilter> filters{{"Images", "*.emf"}, {"PDF", "*.pdf"}};
    const struct {
        const char* filter;
        const char* typed;
        const char* saved;
    } cases[] = {
        {"PDF (*.pdf)", "Salão Nobre", "Salão Nobre.pdf"},
        {"", "Salão Nobre", "Salão Nobre.emf"},
        {"PDF (*.pdf)", "planta.svg", "planta.svg"},  // a suffix typed is kept
    };
    for (const auto& c : cases) {
        driver.filter = QString::fromUtf8(c.filter);
        driver.typed = QString::fromUtf8(c.typed);
        EXPECT_EQ(vm::PutFile(filters, "Salvar", folder + "/"), folder + "/" + c.saved) << c.typed;
    }
    vm::SetDialogSeam(&m_dialogs);
}
