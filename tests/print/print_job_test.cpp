// The job record, the printing order and printing page files as one document, to the built-in
// "PDF" printer and to the cups-pdf queue.

#include "print/print_job.h"

#include <sched.h>
#include <sys/mount.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/whole_file.h"
#include "core/win1252.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "print/printers.h"
#include "print_test_support.h"
#include "ui/file_failure_text.h"

namespace {

// A mount namespace of this test program's own, made before any thread starts (a process with
// threads cannot make one), so that a test may mount a small file system that fills up.
const bool g_ownMounts =
    unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;

using namespace vm;
using namespace vm::testing;

constexpr int L = kLeaveAsIs;
constexpr double kA4WidthPt = 210 / 25.4 * 72;
constexpr double kA4HeightPt = 297 / 25.4 * 72;

TEST(PrintMessages, FreshJobHasTheTableAndNothingElse) {
    InitPrintMessages();
    PrintJob& job = printJob();
    job.nJobId = 5;
    job.cPrinterName = "x";
    InitPrintMessages();
    const PrintJob& fresh = printJob();
    EXPECT_TRUE(HasPrintJob());
    EXPECT_EQ(fresh.nJobId, 0);
    EXPECT_EQ(fresh.cPrinterName, "");
    EXPECT_FALSE(fresh.HasPrinter());
    EXPECT_EQ(fresh.nPageFiles, 0);
    const std::pair<int, const char*> rows[] = {
        {1, "Página"},
        {2, "Visualização da Impressão"},
        {7, "Ir Para a Página Nº"},
        {11, "Ok"},
        {12, "Cancelar"},
        {13, "Selecione a Impressora"},
        {20, "Nº de Cópias"},
        {22, " Somente Páginas Impares"},
        {23, " Somente Páginas Pares"},
        {25, "Não"},
        {29, "Aguarde, Gerando Miniaturas..."},
    };
    for (const auto& [number, utf8] : rows) {
        EXPECT_EQ(fresh.Message(number), utf8ToWin1252(utf8)) << number;
    }
    // Windows-1252 bytes, one per accented letter.
    EXPECT_EQ(fresh.Message(1), "P\xE1gina");
    for (int number = 1; number <= kPrintMessageCount; ++number) {
        EXPECT_FALSE(fresh.Message(number).empty()) << number;
    }
    EXPECT_EQ(fresh.Message(0), "");
    EXPECT_EQ(fresh.Message(30), "");
}

struct OrderCase {
    const char* name;
    int first, last, pageCount;
    PageParity parity;
    int copies;
    bool collate;
    std::vector<int> expected;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(PrintOrder, Pages) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(PrintPageOrder(c.first, c.last, c.pageCount, c.parity, c.copies, c.collate),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintOrder,
    ::testing::Values(
        OrderCase{"AllOnce", 1, 3, 3, PageParity::All, 1, false, {1, 2, 3}},
        OrderCase{"OddTwiceTicked", 1, 3, 3, PageParity::Odd, 2, true, {1, 1, 3, 3}},
        OrderCase{"TwiceUnticked", 1, 3, 3, PageParity::All, 2, false, {1, 2, 3, 1, 2, 3}},
        OrderCase{"TwiceTicked", 1, 3, 3, PageParity::All, 2, true, {1, 1, 2, 2, 3, 3}},
        OrderCase{"EvenOfTwoToFour", 2, 4, 4, PageParity::Even, 1, false, {2, 4}},
        OrderCase{"OddOfTwoToTwo", 2, 2, 4, PageParity::Odd, 1, false, {}},
        OrderCase{"RangeHeldToThePages", 0, 9, 2, PageParity::All, 1, false, {1, 2}},
        OrderCase{"FirstAfterLast", 3, 2, 4, PageParity::All, 1, false, {}},
        OrderCase{"NoCopies", 1, 2, 2, PageParity::All, 0, true, {}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// A job of four test pages on `printer`, as a report run leaves it.
class PrintDocument : public PrintTest {
protected:
    // `device` stands in for the printer's own capabilities when given.
    bool OpenJob(const std::string& printer, const std::string& jobName,
                 std::optional<ReferenceDevice> device = std::nullopt) {
        InitPrintMessages();
        PrintJob& job = printJob();
        PrinterProperties opened = SetPrinterProperties(printer, kOrientationPortrait, kPaperA4, L,
                                                        L, L, L, L, L, kDuplexSimplex, L);
        if (!opened.printer) {
            return false;
        }
        job.printer = std::move(opened.printer);
        job.device = device.value_or(opened.device);
        job.cPrinterName = printer;
        job.cPreviewId = "00000530";
        job.cJobName = jobName;
        job.cPdfFile = folder() + jobName;
        m_pages = WriteTestPages(PageFolder(), job.cPreviewId, 4, job.device);
        job.nPageFiles = 4;
        return true;
    }

    // The printed PDF holds pages 1, 1, 3, 3 of the job on A4 upright sheets, each page's mark
    // where it was drawn (within a pixel of the 72 dpi rendering).
    static void ExpectPagesOneOneThreeThree(const std::string& pdf) {
        const std::optional<PdfInfo> info = ReadPdfInfo(pdf);
        ASSERT_TRUE(info) << "pdfinfo cannot read " << pdf;
        EXPECT_EQ(info->pages, 4);
        EXPECT_NEAR(info->widthPt, kA4WidthPt, 1.0);
        EXPECT_NEAR(info->heightPt, kA4HeightPt, 1.0);
        const int order[] = {1, 1, 3, 3};
        for (int page = 1; page <= 4; ++page) {
            const std::optional<double> row = MarkRowMm(pdf, page);
            ASSERT_TRUE(row) << "page " << page << " shows no mark";
            EXPECT_NEAR(*row, TestMarkRow(order[page - 1]), 0.4) << "page " << page;
        }
    }

    // The same read from the text: the page texts in order, each where it was drawn.
    static void ExpectTextsOneOneThreeThree(const std::string& pdf) {
        const std::vector<std::string> expected = {TestPageText(1), TestPageText(1),
                                                   TestPageText(3), TestPageText(3)};
        EXPECT_EQ(PdfPageTexts(pdf), expected);
        for (int page = 1; page <= 4; ++page) {
            const auto corner = FindWord(pdf, page, expected[static_cast<size_t>(page - 1)]);
            ASSERT_TRUE(corner) << "page " << page;
            EXPECT_NEAR(corner->first * 25.4 / 72, kTestTextCol, 0.3) << "page " << page;
            // The word's box starts at the font's ascent, a little below the text's top.
            EXPECT_NEAR(corner->second * 25.4 / 72, kTestTextRow, 2.0) << "page " << page;
        }
    }

    std::vector<std::string> m_pages;
};

TEST_F(PrintDocument, PdfPrinterWritesThePagesInOrderToTheFileChosen) {
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    const std::string chosen = folder() + "escolhido.pdf";
    m_dialogs.fileAnswers.push_back(chosen);

    ASSERT_TRUE(PrintPages(PrintPageOrder(1, 3, 4, PageParity::Odd, 2, true)));

    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_EQ(m_dialogs.shown[0].purpose, "PutFile");
    EXPECT_EQ(m_dialogs.shown[0].file.initialFolder, folder() + "Sala_Calculo_Tela.pdf");
    ASSERT_FALSE(m_dialogs.shown[0].file.filters.empty());
    EXPECT_EQ(m_dialogs.shown[0].file.filters[0].pattern, "*.pdf");
    EXPECT_GT(printJob().nJobId, 0);
    ExpectPagesOneOneThreeThree(chosen);
    ExpectTextsOneOneThreeThree(chosen);
    EXPECT_EQ(ReadPdfInfo(chosen)->title, "Sala_Calculo_Tela.pdf");
    // The page files stay for the preview.
    for (const std::string& page : m_pages) {
        EXPECT_TRUE(std::filesystem::exists(page)) << page;
    }
}

// A file chosen for the "PDF" printer that is there already is asked about: "Não" prints
// nothing and leaves it as it was, "Sim" prints into it.
TEST_F(PrintDocument, PdfPrinterAsksBeforeItReplacesAFile) {
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    const std::string chosen = folder() + "existente.pdf";
    std::ofstream(chosen, std::ios::binary) << "anterior";
    m_dialogs.fileAnswers = {chosen, chosen};
    m_dialogs.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};

    EXPECT_FALSE(PrintPages({1, 3}));
    ASSERT_EQ(m_dialogs.messageLog().size(), 1u);
    EXPECT_EQ(m_dialogs.messageLog()[0],
              "Imprimir|O arquivo \"existente.pdf\" j\xE1 existe em " + folder() + ". Substituir?");
    EXPECT_EQ(ReadWholeFile(chosen), "anterior");

    ASSERT_TRUE(PrintPages(PrintPageOrder(1, 3, 4, PageParity::Odd, 2, true)));
    EXPECT_EQ(m_dialogs.messageLog().size(), 2u);
    ExpectPagesOneOneThreeThree(chosen);
}

TEST_F(PrintDocument, PagesDrawnForAPrinterWithMarginsLandWhereTheyWereDrawn) {
    // A 300 dpi printer that cannot print within 6.35 mm of the left and 4.2 mm of the top: its
    // page files start at the printable area's corner, the printed sheet at the paper's.
    const ReferenceDevice withMargins =
        ReferenceDevice::ForSheet(300, 300, 210, 297, 6.35, 4.2, 6.35, 12.7);
    ASSERT_GT(withMargins.physicalOffsetY, 0);
    ASSERT_TRUE(OpenJob("PDF", "Margens_Calculo_Tela.pdf", withMargins));
    const std::string chosen = folder() + "margens.pdf";
    m_dialogs.fileAnswers.push_back(chosen);
    ASSERT_TRUE(PrintPages({1, 1, 3, 3}));
    ExpectPagesOneOneThreeThree(chosen);
    ExpectTextsOneOneThreeThree(chosen);
}

// Centres, in millimetres, of the dark runs along pixel row `y` (or pixel column `x`) of an image
// rendered at `dpi`.
std::vector<double> DarkRunCentresMm(const QImage& image, int dpi, int x, int y, bool alongRow) {
    std::vector<double> centres;
    const int length = alongRow ? image.width() : image.height();
    int start = -1;
    for (int i = 0; i <= length; ++i) {
        const bool dark =
            i < length && qGray(alongRow ? image.pixel(i, y) : image.pixel(x, i)) < 128;
        if (dark && start < 0) {
            start = i;
        } else if (!dark && start >= 0) {
            centres.push_back((start + i) / 2.0 / dpi * 25.4);
            start = -1;
        }
    }
    return centres;
}

TEST_F(PrintDocument, OnAPrinterWithMarginsLengthsMeasureTrueOnPaper) {
    // 197.3 mm of printable width and 280.1 mm of height at 300 dpi (2330 x 3308 pixels): the
    // page is stretched over those pixels, not over the whole millimetres of its frame (197 x
    // 280), which would shorten a 170 mm line by 0.23 mm.
    const ReferenceDevice withMargins =
        ReferenceDevice::ForSheet(300, 300, 210, 297, 6.35, 4.2, 6.35, 12.7);
    ASSERT_TRUE(OpenJob("PDF", "Medidas_Calculo_Tela.pdf", withMargins));
    EmfPageCanvas canvas(withMargins);
    const std::string page = PageFileName(PageFolder(), "00000531", 1);
    ASSERT_TRUE(canvas.StartPreviewPage(page));
    // Ticks at the ends of a 170 mm dimension across and a 260 mm one down, 0.2 mm wide.
    canvas.PrintLine(100, 20, 120, 20, 0.2);
    canvas.PrintLine(100, 190, 120, 190, 0.2);
    canvas.PrintLine(20, 100, 20, 120, 0.2);
    canvas.PrintLine(280, 100, 280, 120, 0.2);
    ASSERT_TRUE(canvas.EndPreviewPage());
    const std::string chosen = folder() + "medidas.pdf";
    m_dialogs.fileAnswers.push_back(chosen);
    ASSERT_TRUE(StartPrintDoc("Medidas_Calculo_Tela.pdf"));
    PrintPageFile(page);
    EndPrintDoc();

    constexpr int kDpi = 600;
    const QImage image = RenderPdfPage(chosen, 1, kDpi);
    ASSERT_FALSE(image.isNull());
    const int at110mm = static_cast<int>(110 / 25.4 * kDpi);
    const std::vector<double> across = DarkRunCentresMm(image, kDpi, 0, at110mm, true);
    const std::vector<double> down = DarkRunCentresMm(image, kDpi, at110mm, 0, false);
    ASSERT_EQ(across.size(), 2u) << across.size();
    ASSERT_EQ(down.size(), 2u);
    // What the page file holds, in the printer's pixels: the millimetre rule truncates.
    const double pixel = 25.4 / 300;
    const auto x = [&](double col) { return ColToDeviceX(col, withMargins) * pixel; };
    const auto y = [&](double row) { return RowToDeviceY(row, withMargins) * pixel; };
    EXPECT_NEAR(across[1] - across[0], x(190) - x(20), 0.05);
    EXPECT_NEAR(down[1] - down[0], y(280) - y(20), 0.05);
    // The sheet's corner is the origin: each tick within a pixel of where it was drawn.
    EXPECT_NEAR(across[0], 20, pixel + 0.05);
    EXPECT_NEAR(across[1], 190, pixel + 0.05);
    EXPECT_NEAR(down[1], 280, pixel + 0.05);
}

TEST_F(PrintDocument, PdfPrinterPrintsNothingWhenTheFileDialogIsCancelled) {
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    EXPECT_FALSE(StartPrintDoc("Sala_Calculo_Tela.pdf"));
    EXPECT_EQ(printJob().nJobId, 0);
    PrintPageFile(m_pages[0]);  // no document: nothing happens
    EndPrintDoc();
    EXPECT_FALSE(PrintPages({1, 2}));
    EXPECT_EQ(m_dialogs.shown.size(), 2u);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder())) {
        left.push_back(entry.path().string() + (entry.is_directory() ? "/" : ""));
    }
    std::vector<std::string> expected = {PageFolder()};
    expected.insert(expected.end(), m_pages.begin(), m_pages.end());
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected) << "only the page files are there";
}

// A full disk: a 64 KiB file system that the earlier PDF nearly fills. The new PDF is cut short
// there; the earlier one stays, nothing else is left, and a box says why.
TEST_F(PrintDocument, PdfPrinterOnAFullDiskKeepsTheEarlierFileAndSaysSo) {
    if (!g_ownMounts) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    }
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    const std::string full = folder() + "Área de Trabalho";
    std::filesystem::create_directory(full);
    ASSERT_EQ(mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k"), 0) << std::strerror(errno);
    const std::string chosen = full + "/Sala de Reunião.pdf";
    const std::string earlier(60 * 1024, 'e');
    std::ofstream(chosen, std::ios::binary) << earlier;
    m_dialogs.fileAnswers.push_back(chosen);

    EXPECT_FALSE(PrintPages({1, 2, 3, 4}));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(full)) {
        left.push_back(entry.path().filename().string());
    }
    const std::string kept = ReadWholeFile(chosen);
    umount(full.c_str());

    EXPECT_EQ(kept, earlier);
    EXPECT_EQ(left, std::vector<std::string>{"Sala de Reunião.pdf"});
    // The file dialog, the question before the earlier file is replaced (Sim), then the box.
    ASSERT_EQ(m_dialogs.shown.size(), 3u);
    EXPECT_EQ(m_dialogs.shown[1].purpose, "MsgYesNo");
    EXPECT_EQ(m_dialogs.shown[2].purpose, "MsgStop");
    EXPECT_EQ(m_dialogs.shown[2].message.title, printJob().Message(9));
    EXPECT_NE(m_dialogs.shown[2].message.text.find(SystemReasonText(ENOSPC)),
              std::string::npos)
        << m_dialogs.shown[2].message.text;
}

TEST_F(PrintDocument, NothingIsPrintedWithoutPrinterOrPages) {
    InitPrintMessages();
    EXPECT_FALSE(StartPrintDoc("x"));
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    EXPECT_FALSE(PrintPages({}));
    EXPECT_FALSE(PrintPages({0, 5}));  // no such pages
    EXPECT_TRUE(m_dialogs.shown.empty()) << "no file was asked for";
}

// The file-save dialog itself starts on the suggested file.
class RealFileDialog final : public DialogSeam {
public:
    QString selected;
    int runDialog(QDialog& dialog, const std::string&) override {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            const QStringList chosen = files->selectedFiles();
            selected = chosen.isEmpty() ? QString() : chosen.front();
        }
        return QDialog::Rejected;
    }
};

TEST_F(PrintDocument, PdfPrinterDialogStartsOnArquivoPdf) {
    ASSERT_TRUE(OpenJob("PDF", "Sala_Calculo_Tela.pdf"));
    RealFileDialog seam;
    SetDialogSeam(&seam);
    const bool started = StartPrintDoc("Sala_Calculo_Tela.pdf");
    SetDialogSeam(&m_dialogs);
    EXPECT_FALSE(started);
    EXPECT_EQ(
        QFileInfo(seam.selected).absoluteFilePath(),
        QFileInfo(QString::fromStdString(folder() + "Sala_Calculo_Tela.pdf")).absoluteFilePath());
}

TEST_F(PrintDocument, CupsQueueSpoolsOneJobTitledWithTheDocumentName) {
    std::string reason;
    const std::optional<std::string> out = CupsQueueOutputFolder(&reason);
    if (!out) {
        GTEST_SKIP() << reason;
    }
    // A title of its own, so that the file is this test's and no other run's.
    const std::string title =
        "Cups" + std::to_string(QDateTime::currentMSecsSinceEpoch()) + "_Calculo_Tela.pdf";
    ASSERT_TRUE(OpenJob(kCupsQueue, title));

    ASSERT_TRUE(PrintPages(PrintPageOrder(1, 3, 4, PageParity::Odd, 2, true)));
    EXPECT_TRUE(m_dialogs.shown.empty()) << "a queue asks for no file";

    // cups-pdf names its file from the job's title.
    const std::string stem = title.substr(0, title.size() - 4);
    const std::string pdf = WaitForFile(*out, stem);
    ASSERT_FALSE(pdf.empty()) << "no PDF for " << title << " in " << *out;
    // (Its text comes back without its character mapping from the spooler's PostScript round
    // trip, so the pages are told apart by their marks.)
    ExpectPagesOneOneThreeThree(pdf);
    std::filesystem::remove(pdf);
}

}  // namespace
