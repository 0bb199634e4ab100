// The report run: clipboard, job set-up, the page files the preview opens on, printing from the
// preview, and a printer that cannot be opened.

#include "program/report_calculo.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "core/platform_paths.h"
#include "core/program_values.h"
#include "pagefile/emf_player.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "print/print_job.h"
#include "print_test_support.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "runtime/startup.h"
#include "ui/form_layer.h"

namespace {

using namespace vm;
using namespace vm::testing;

constexpr const char* kPreviewForm = "wPreview";
constexpr const char* kPreviewBar = "wPreviewBar";

// Clicks a tool button of the preview's navigation bar.
void ClickBarButton(const char* name) {
    QWidget* button = ControlWidget(kPreviewBar, name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

class ReportRun : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        SetEndProcessHandler([this](int code) { m_endCodes.push_back(code); });
        StartWithoutWindow([] { return std::string("PDF"); });
        SetErrorLogOn(false);
        programValues().DirPdf = folder() + "projetos/";
        projeto().cProjeto = "Auditorio Norte   ";
    }
    void TearDown() override {
        ReleaseAllWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetEndProcessHandler({});
        PrintTest::TearDown();
    }

    // Runs ReportCalculo inside an active main form; `whilePreviewOpen` runs once the preview is
    // shown, and the preview is then closed with its close button as the user would. Returns
    // whether the preview was seen.
    bool RunReport(const std::function<void()>& whilePreviewOpen) {
        DefineWindow({.name = "wtest",
                      .title = "Test",
                      .width = 400,
                      .height = 300,
                      .kind = WindowKind::Main});
        EndWindow();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (!QTest::qWaitForWindowActive(FormWidget("wtest"))) {
                ADD_FAILURE() << "the main form never became active";
            }
            QTimer watch;
            watch.setInterval(20);
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (seen || !IsWindowActive(kPreviewBar) || !FormWidget(kPreviewBar)->isVisible()) {
                    return;
                }
                seen = true;
                watch.stop();
                whilePreviewOpen();
                ClickBarButton("b6");
            });
            watch.start();
            ReportCalculo();
            watch.stop();
            DoMethod("wtest", "release");
        });
        DoMethod("wtest", "activate");
        // Only the release of the main form ended the program: nothing fatal happened.
        EXPECT_EQ(m_endCodes, std::vector<int>{0});
        return seen;
    }

    std::vector<int> m_endCodes;
};

TEST_F(ReportRun, DefaultProjectOpensThePreviewOnItsTwoPageFiles) {
    const std::string arquivoPdf = folder() + "projetos/Auditorio Norte_Calculo_Tela.pdf";
    std::vector<std::string> filesWhileOpen;
    std::string previewId;
    const bool opened = RunReport([&] {
        const PrintJob& job = printJob();
        previewId = job.cPreviewId;
        filesWhileOpen = ListPageFiles(PageFolder(), job.cPreviewId);
        EXPECT_EQ(job.nPageFiles, 2);
        EXPECT_EQ(job.PageFiles(), filesWhileOpen);
        EXPECT_EQ(job.cJobName, "Auditorio Norte_Calculo_Tela.pdf");
        EXPECT_EQ(job.cPrinterName, "PDF");
        EXPECT_EQ(job.cPdfFile, arquivoPdf);
        EXPECT_TRUE(job.lPreview);
        EXPECT_EQ(job.cPreviewId.size(), 8u);
        for (const std::string& file : filesWhileOpen) {
            EmfPlayer page;
            EXPECT_TRUE(page.Load(QString::fromStdString(file))) << file;
            EXPECT_EQ(page.FrameSizeMm().toSize(), QSize(210, 297)) << file;
        }
    });
    ASSERT_TRUE(opened) << "the preview did not open";
    EXPECT_EQ(filesWhileOpen.size(), 2u);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), arquivoPdf);
    // Closing the preview took the page files with it.
    EXPECT_TRUE(ListPageFiles(PageFolder(), previewId).empty());
    EXPECT_TRUE(m_dialogs.shown.empty());
}

// The suggested PDF path is a file-system name: the folder as it is, the project name in UTF-8;
// the spooler document keeps the program's own text.
TEST_F(ReportRun, TheSuggestedPdfPathNamesTheFileAsTheFileSystemDoes) {
    programValues().DirPdf = folder() + "\xc3\x81rea de Trabalho/";  // "Área de Trabalho"
    projeto().cProjeto = "SAL\xc3O ";                                // "SALÃO" in Windows-1252
    const std::string arquivoPdf =
        folder() + "\xc3\x81rea de Trabalho/SAL\xc3\x83O_Calculo_Tela.pdf";
    const bool opened = RunReport([&] {
        EXPECT_EQ(printJob().cPdfFile, arquivoPdf);
        EXPECT_EQ(printJob().cJobName, "SAL\xc3O_Calculo_Tela.pdf");
    });
    ASSERT_TRUE(opened) << "the preview did not open";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(arquivoPdf.c_str()));
}

TEST_F(ReportRun, PrintingFromThePreviewWritesTheReportToThePdfFileChosen) {
    const std::string chosen = folder() + "relatorio.pdf";
    m_dialogs.fileAnswers.push_back(chosen);
    m_dialogs.dialogDriver = [](QDialog&, const std::string& purpose) {
        EXPECT_EQ(purpose, "PreviewPrint");
        return static_cast<int>(QDialog::Accepted);  // "Ok" with "Tudo", one copy
    };
    const bool opened = RunReport([&] { ClickBarButton("b12"); });
    ASSERT_TRUE(opened);
    ASSERT_EQ(m_dialogs.dialogsRun, std::vector<std::string>{"PreviewPrint"});
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].file.initialFolder,
              folder() + "projetos/Auditorio Norte_Calculo_Tela.pdf");
    const std::optional<PdfInfo> info = ReadPdfInfo(chosen);
    ASSERT_TRUE(info) << "no PDF written";
    EXPECT_EQ(info->pages, 2);
    EXPECT_NEAR(info->widthPt, 210 / 25.4 * 72, 1.0);
    EXPECT_NEAR(info->heightPt, 297 / 25.4 * 72, 1.0);
    EXPECT_EQ(info->title, "Auditorio Norte_Calculo_Tela.pdf");
    const std::vector<std::string> texts = PdfPageTexts(chosen);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("Auditorio Norte"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("Auditorio Norte"), std::string::npos) << texts[1];
}

// "Gerar Report" or "&Imprimir" again while the preview is open: the preview comes to the front
// and keeps its job, its page files and its pages; nothing else changes.
TEST_F(ReportRun, SecondReportWhileThePreviewIsOpenChangesNothing) {
    const bool opened = RunReport([&] {
        const PrintJob& job = printJob();
        const std::string previewId = job.cPreviewId;
        const std::vector<std::string> pages = job.PageFiles();
        const QString clipboard = QGuiApplication::clipboard()->text();
        const QString title = FormWidget(kPreviewForm)->windowTitle();
        projeto().cProjeto = "Outra Sala";
        projeto().nNumeroFilas = 40;  // a report of more pages

        ReportCalculo();

        EXPECT_EQ(&printJob(), &job);
        EXPECT_EQ(job.cPreviewId, previewId);
        EXPECT_EQ(job.nPageFiles, 2);
        EXPECT_EQ(job.cJobName, "Auditorio Norte_Calculo_Tela.pdf");
        EXPECT_TRUE(job.HasPrinter());
        EXPECT_EQ(ListPageFiles(PageFolder(), previewId), pages);
        for (const std::string& page : pages) {
            EmfPlayer player;
            EXPECT_TRUE(player.Load(QString::fromStdString(page))) << page;
        }
        EXPECT_EQ(QGuiApplication::clipboard()->text(), clipboard);
        EXPECT_EQ(FormWidget(kPreviewForm)->windowTitle(), title);
        EXPECT_TRUE(IsWindowActive(kPreviewForm));
    });
    ASSERT_TRUE(opened);
    EXPECT_TRUE(m_dialogs.shown.empty());
}

// The program ending while the preview is open (Sair, the close box, a fatal error: all go
// through EndProcess) takes the page files with it.
TEST_F(ReportRun, EndOfTheProgramWithThePreviewOpenRemovesThePageFiles) {
    std::vector<std::string> pages;
    const bool opened = RunReport([&] {
        pages = printJob().PageFiles();
        ASSERT_EQ(pages.size(), 2u);
        EndProcess(0);  // recorded by the test's handler, which returns
        m_endCodes.pop_back();
        for (const std::string& page : pages) {
            EXPECT_FALSE(std::filesystem::exists(page)) << page;
        }
    });
    ASSERT_TRUE(opened);
    ASSERT_EQ(pages.size(), 2u);
    // After a report the files are no longer the process's to remove: a later end leaves a file
    // of the same name alone (the run's page folder went with the first end).
    std::filesystem::create_directories(std::filesystem::path(pages[0]).parent_path());
    std::ofstream(pages[0]) << "another program's file";
    EndProcess(0);
    m_endCodes.pop_back();
    EXPECT_TRUE(std::filesystem::exists(pages[0]));
    std::filesystem::remove(pages[0]);
}

TEST_F(ReportRun, PageFilesDoNotOutliveAReportWhosePreviewCannotOpen) {
    // Without a main window the preview does not open; ReportCalculo returns at once.
    ReportCalculo();
    const PrintJob& job = printJob();
    EXPECT_TRUE(job.HasPrinter());
    EXPECT_EQ(job.nPageFiles, 2) << "the pages were drawn";
    EXPECT_TRUE(ListPageFiles(PageFolder(), job.cPreviewId).empty());
}

TEST_F(ReportRun, PrinterThatCannotBeOpenedMakesNoReport) {
    programValues().PrintX = "No_Such_Printer_Here";
    const bool opened = RunReport([] {});
    EXPECT_FALSE(opened);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].message.title, "Error!");
    EXPECT_EQ(m_dialogs.shown[0].message.text, "Printer Configuration Failed! (001)");
    const PrintJob& job = printJob();
    EXPECT_FALSE(job.HasPrinter());
    EXPECT_EQ(job.nPageFiles, 0);
    EXPECT_EQ(job.cJobName, "");
    EXPECT_TRUE(std::filesystem::is_empty(folder())) << "no page file (nor page folder) was made";
    // The suggested file is on the clipboard all the same: it is placed before the printer opens.
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              folder() + "projetos/Auditorio Norte_Calculo_Tela.pdf");
}

TEST_F(ReportRun, CupsQueueDrawsThePagesForItsOwnResolution) {
    std::string reason;
    if (!CupsQueueOutputFolder(&reason)) {
        GTEST_SKIP() << reason;
    }
    programValues().PrintX = kCupsQueue;
    const bool opened = RunReport([] {
        const PrintJob& job = printJob();
        ASSERT_TRUE(job.HasPrinter());
        EXPECT_EQ(job.device.logPixelsX, job.printer->resolution());
        EXPECT_EQ(job.printer->pageLayout().orientation(), QPageLayout::Portrait);
        EXPECT_EQ(ListPageFiles(PageFolder(), job.cPreviewId).size(), 2u);
    });
    EXPECT_TRUE(opened);
}

}  // namespace
