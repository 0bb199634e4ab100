#pragma once
// Shared by the print tests: one QApplication for the run, a fixture with scripted dialogs and a
// temporary folder of its own for the page files, page files that say which page they are, the
// poppler tools that read the PDF files back, and the cups-pdf queue of tools/test-services.sh.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "pagefile/device_units.h"
#include "ui/scripted_dialogs.h"

namespace vm::testing {

// The cups-pdf queue that tools/test-services.sh adds.
inline constexpr const char* kCupsQueue = "VistametraPDF";

// Where the queue writes its PDF files, when the queue is there and cupsd runs; otherwise nullopt
// and `reason` says why (for GTEST_SKIP).
std::optional<std::string> CupsQueueOutputFolder(std::string* reason);

// The text drawn on test page n (Windows-1252 free ASCII).
std::string TestPageText(int n);
// Where that text is drawn, in millimetres from the sheet's corner.
inline constexpr double kTestTextRow = 60;
inline constexpr double kTestTextCol = 40;

// Where page n's mark, a 3 mm thick line from col 150 to col 190, is drawn (millimetres).
inline double TestMarkRow(int n) {
    return 100 + 15.0 * n;
}
inline constexpr double kTestMarkCol = 170;  // a column that the mark crosses and nothing else

// Writes `count` page files of job `previewId` in `folder` for `device`, page n showing
// TestPageText(n) at (kTestTextRow, kTestTextCol) in 24-point Arial and its mark.
// Returns the file names; fails the test when a page cannot be written.
std::vector<std::string> WriteTestPages(const std::string& folder, const std::string& previewId,
                                        int count, const ReferenceDevice& device);

struct PdfInfo {
    int pages = 0;
    double widthPt = 0;
    double heightPt = 0;
    std::string title;
};
// pdfinfo's reading of the file; nullopt when pdfinfo fails.
std::optional<PdfInfo> ReadPdfInfo(const std::string& pdf);

// pdftotext's text of each page, in order.
std::vector<std::string> PdfPageTexts(const std::string& pdf);

// The top-left corners (points from the page's corner) of every word `word` that pdftotext
// -bbox finds on page `page` (1-based), in its reading order; empty when there is none.
std::vector<std::pair<double, double>> FindWords(const std::string& pdf, int page,
                                                 const std::string& word);
// The first of them; nullopt when the word is not there.
std::optional<std::pair<double, double>> FindWord(const std::string& pdf, int page,
                                                  const std::string& word);

// Page `page` (1-based) of the PDF as pdftoppm renders it in grey at `dotsPerInch`; a null image
// when it cannot be rendered.
QImage RenderPdfPage(const std::string& pdf, int page, int dotsPerInch);

// The row (millimetres from the sheet's top) of the middle of the dark band that page `page`
// (1-based) of the PDF shows at kTestMarkCol, read from pdftoppm's rendering; nullopt when the
// page cannot be rendered or shows nothing there. Reads the pixels, not the PDF's text, so it
// holds for PDF files whose fonts lost their text mapping on the way through the spooler.
std::optional<double> MarkRowMm(const std::string& pdf, int page);

// Waits up to a minute for a whole PDF file (pdfinfo reads it) in `folder` whose name contains
// `part`; "" when none came.
std::string WaitForFile(const std::string& folder, const std::string& part);

}  // namespace vm::testing

// A fixture with scripted dialogs and the temporary folder (TMPDIR) pointed at a folder of its
// own, so page files of one test are never seen by another.
class PrintTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder() const;  // the temporary folder, ending in "/"

    QTemporaryDir m_dir;
    vm::ScriptedDialogs m_dialogs;

private:
    std::optional<vm::ScriptedDialogs::Install> m_install;
    std::optional<std::string> m_previousTmp;
};
