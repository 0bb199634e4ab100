#pragma once
// The print job: the one record that ties a report run to its printer and its page files, and the
// operations that send page files to the printer as one spooler document.
//
// A job runs: InitPrintMessages -> SetPrinterProperties (print/printers.h) -> page files drawn
// with EmfPageCanvas on the printer's ReferenceDevice -> ShowPreview, which prints through
// StartPrintDoc, one PrintPageFile per printed page, EndPrintDoc, and deletes the page files when
// it closes. The record lives until the next report run replaces it.
//
// Printers on Linux are the CUPS queues that Qt lists and the built-in printer "PDF", which writes
// a PDF file chosen in the file-save dialog when printing starts.
//
// All texts are Windows-1252 bytes. Everything here runs on the event-loop thread.

#include <QPrinter>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "pagefile/device_units.h"

namespace vm {

// The name of the built-in printer that writes a PDF file.
inline constexpr const char* kPdfPrinterName = "PDF";

// Number of texts in the job's message table.
inline constexpr int kPrintMessageCount = 29;

// The job's messages, by the numbers the job record gives them (1 to kPrintMessageCount).
enum class PrintMessage : int {
    Page = 1,
    PreviewTitle = 2,
    FirstPage = 3,
    PreviousPage = 4,
    NextPage = 5,
    LastPage = 6,
    GoToPage = 7,
    Zoom = 8,
    Print = 9,
    PageNumber = 10,
    Ok = 11,
    Cancel = 12,
    SelectPrinter = 13,
    Collate = 14,
    PrintRange = 15,
    All = 16,
    Pages = 17,
    From = 18,
    To = 19,
    Copies = 20,
    AllPages = 21,
    OddPages = 22,
    EvenPages = 23,
    Yes = 24,
    No = 25,
    Close = 26,
    Save = 27,
    Thumbnails = 28,
    MakingThumbnails = 29,
};

struct PrintJob {
    std::string cPrinterName;  // printer the job was opened on; "" when none
    // The opened printer (hPrinterDC): null when opening the printer failed. It is the reference
    // device of every page file and the target when the pages are printed.
    std::unique_ptr<QPrinter> printer;
    // The printer's capabilities as the page files see them (resolution, printable area and its
    // offset on the sheet). A4 at 600 dpi without margins while no printer is open.
    ReferenceDevice device = ReferenceDevice::A4();
    int nCopies = 0;   // copies of the printer's settings
    int nCollate = 0;  // collate setting of the printer's settings (1 = collate)
    bool lPreview = false;
    std::string cPreviewId;  // 8 digits tying the page files to this job
    int nPageFiles = 0;      // page files written so far
    std::string cJobName;    // document name under which the spooler lists the job
    // The file that the built-in "PDF" printer suggests in its file-save dialog (the report's
    // ArquivoPdf); "" suggests none.
    std::string cPdfFile;
    // Set when printing starts: a positive number counting the documents this process started
    // (Qt does not reveal the spooler's own job id); 0 before printing and when starting failed.
    int nJobId = 0;
    std::array<std::string, kPrintMessageCount> aMessages;

    // Message `number`, 1 to 29; "" for any other number.
    const std::string& Message(int number) const;
    const std::string& Message(PrintMessage message) const {
        return Message(static_cast<int>(message));
    }
    // Whether the printer was opened (hPrinterDC is not 0).
    bool HasPrinter() const { return printer != nullptr; }
    // The full names of page files 1 to nPageFiles in the temporary folder.
    std::vector<std::string> PageFiles() const;
};

// The job record in force. Before the first InitPrintMessages it is an empty record whose message
// table is empty as well.
PrintJob& printJob();

// Replaces the job record with a fresh one: no printer, job id 0, the Portuguese message table.
void InitPrintMessages();

// Whether a job record has been created by InitPrintMessages in this process.
bool HasPrintJob();

// Begins one spooler document named `jobName` on the job's printer, A4, simplex, portrait. For the
// built-in "PDF" printer the file-save dialog (PutFile) asks for the file first, starting with the
// report's ArquivoPdf, and a file it would replace is asked about ("Substituir?"); cancelling
// either returns false and prints nothing. Returns false, with nJobId
// 0, when the job has no printer or the document cannot be started. The pages follow with
// PrintPageFile and the document ends with EndPrintDoc.
bool StartPrintDoc(const std::string& jobName);

// Prints one page file as the next page of the started document: the page lands on the sheet
// where it was drawn (PaintPageOnSheet). A page file that cannot be read prints a blank page; does
// nothing when no document is started.
void PrintPageFile(const std::string& pageFile);

// Ends the started document and hands it to the spooler, or completes the PDF file: the built-in
// "PDF" printer writes a new file beside the chosen one, which takes its place only when whole
// (AtomicFile); when that fails, the earlier file stays and a box says why. Returns false then,
// and when no document is started.
bool EndPrintDoc();

// Which pages of a range the preview's print dialog keeps.
enum class PageParity { All, Odd, Even };

// The order in which pages are printed: the range first..last (clamped to 1..pageCount) filtered
// by parity, each page `copies` times before the next when `collate`, else the whole filtered
// range `copies` times in turn. Empty when nothing is left (copies below 1, an empty range).
std::vector<int> PrintPageOrder(int first, int last, int pageCount, PageParity parity, int copies,
                                bool collate);

// Prints the job's page files in `pages` order (page numbers 1 to nPageFiles) as one document
// named cJobName: StartPrintDoc, PrintPageFile per page, EndPrintDoc. Numbers outside the job's
// pages are skipped. Returns false when no page is left, the document could not be started
// (nothing is printed then) or not be completed (EndPrintDoc).
bool PrintPages(const std::vector<int>& pages);

}  // namespace vm
