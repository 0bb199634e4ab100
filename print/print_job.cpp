#include "print/print_job.h"

#include <sys/statvfs.h>

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"
#include "core/file_names.h"
#include "core/platform_paths.h"
#include "core/win1252.h"
#include "pagefile/emf_player.h"
#include "pagefile/page_export.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "print/printers.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"
#include "ui/qt_text.h"
#include "ui/replace_question.h"

namespace vm {

namespace {

// The Portuguese message table, numbered from 1.
constexpr const char* kMessagesUtf8[kPrintMessageCount] = {
    "Página",                          // 1
    "Visualização da Impressão",       // 2
    "Primeira Página [HOME]",          // 3
    "Página Anterior [PGUP]",          // 4
    "Página Seguinte [PGDN]",          // 5
    "Última Página [END]",             // 6
    "Ir Para a Página Nº",             // 7
    "Ampliar",                         // 8
    "Imprimir",                        // 9
    "Página",                          // 10
    "Ok",                              // 11
    "Cancelar",                        // 12
    "Selecione a Impressora",          // 13
    "Ordenar Cópias",                  // 14
    "Intervalo de Impressão",          // 15
    "Tudo",                            // 16
    "Páginas",                         // 17
    "De",                              // 18
    "Até",                             // 19
    "Nº de Cópias",                    // 20
    "Todas as Páginas",                // 21
    " Somente Páginas Impares",        // 22
    " Somente Páginas Pares",          // 23
    "Sim",                             // 24
    "Não",                             // 25
    "Fechar",                          // 26
    "Salvar",                          // 27
    "Miniaturas",                      // 28
    "Aguarde, Gerando Miniaturas...",  // 29
};

PrintJob& jobRecord() {
    static PrintJob job;
    return job;
}

bool g_jobCreated = false;

// The document being printed: its painter while it is open, and whether a page was printed yet
// (the painter opens on the first sheet, every later page needs a new one).
struct OpenDocument {
    QPrinter* printer = nullptr;
    std::unique_ptr<QPainter> painter;
    bool pagePrinted = false;
    // The built-in "PDF" printer's file: Qt writes the new PDF into it, and it takes the chosen
    // file's place only once complete.
    AtomicFile pdf;
};

// The box that tells why the PDF file was not written: the reason, then the file.
void ReportPdfFailure(const FileFailure& failure) {
    MsgStop(utf8ToWin1252("Não foi possível gravar o arquivo PDF.") + "\r\n\r\n" +
                FileFailureReason(failure) + "\r\n" + TextFromFileName(failure.file),
            printJob().Message(PrintMessage::Print));
}

// Whether the PDF that Qt wrote through `file` is complete: a PDF ends with its "%%EOF" line, and
// Qt does not report failed writes (a full disk leaves a PDF cut short).
bool PdfComplete(const AtomicFile& file, FileFailure& failure) {
    QFile written(toQtPath(file.ContentPath()));
    QByteArray tail;
    if (written.open(QIODevice::ReadOnly)) {
        written.seek(std::max<qint64>(0, written.size() - 64));
        tail = written.readAll();
    }
    if (tail.contains("%%EOF")) {
        return true;
    }
    const std::string folder = file.Target().substr(0, file.Target().rfind('/') + 1);
    struct statvfs space {};
    const bool full =
        statvfs(folder.empty() ? "." : folder.c_str(), &space) == 0 && space.f_bavail == 0;
    failure = full ? FileFailure{FileFailureKind::Write, ENOSPC, file.Target()}
                   : FileFailure{FileFailureKind::CutShort, 0, file.Target()};
    return false;
}
OpenDocument g_document;
int g_documentsStarted = 0;

const std::string kNoMessage;

}  // namespace

const std::string& PrintJob::Message(int number) const {
    if (number < 1 || number > kPrintMessageCount) {
        return kNoMessage;
    }
    return aMessages[static_cast<size_t>(number - 1)];
}

std::vector<std::string> PrintJob::PageFiles() const {
    std::vector<std::string> files;
    const std::string folder = PageFolder();
    for (int n = 1; n <= nPageFiles; ++n) {
        files.push_back(PageFileName(folder, cPreviewId, n));
    }
    return files;
}

PrintJob& printJob() {
    return jobRecord();
}

bool HasPrintJob() {
    return g_jobCreated;
}

void InitPrintMessages() {
    // A document still open belongs to the printer that is about to go.
    EndPrintDoc();
    PrintJob fresh;
    for (int i = 0; i < kPrintMessageCount; ++i) {
        fresh.aMessages[static_cast<size_t>(i)] = utf8ToWin1252(kMessagesUtf8[i]);
    }
    jobRecord() = std::move(fresh);
    g_jobCreated = true;
}

bool StartPrintDoc(const std::string& jobName) {
    PrintJob& job = printJob();
    job.nJobId = 0;
    if (!job.printer || g_document.painter) {
        return false;
    }
    QPrinter& printer = *job.printer;
    AtomicFile pdf;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const std::string file = PutFile({{"PDF", "*.pdf"}}, "", job.cPdfFile);
        // A file the PDF would replace is asked about first; "Não" prints nothing, as a cancel.
        if (file.empty() || !MayReplaceFiles({file}, {}, job.Message(PrintMessage::Print))) {
            return false;
        }
        if (!pdf.Open(file)) {
            ReportPdfFailure(pdf.Failure());
            return false;
        }
        printer.setOutputFileName(toQtPath(pdf.ContentPath()));
    }
    printer.setDocName(toQt(jobName));
    // The job always goes out A4, one side, upright; the pages carry their own copies (the
    // preview repeats them), so the printer must not multiply them again.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setCopyCount(1);
    // Painter coordinates start at the sheet's corner; the page files place themselves on it.
    printer.setFullPage(true);

    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer)) {
        return false;
    }
    g_document.printer = &printer;
    g_document.painter = std::move(painter);
    g_document.pagePrinted = false;
    g_document.pdf = std::move(pdf);
    job.nJobId = ++g_documentsStarted;
    return true;
}

void PrintPageFile(const std::string& pageFile) {
    if (!g_document.painter) {
        return;
    }
    QPrinter& printer = *g_document.printer;
    if (g_document.pagePrinted && !printer.newPage()) {
        return;
    }
    g_document.pagePrinted = true;

    EmfPlayer page;
    page.Load(toQtPath(pageFile));  // a page that cannot be read prints blank
    const ReferenceDevice& device = printJob().device;
    SheetPlacement placement;
    placement.centred = false;
    placement.leftMm = device.physicalOffsetX * 25.4 / device.logPixelsX;
    placement.topMm = device.physicalOffsetY * 25.4 / device.logPixelsY;
    // The page is stretched over the printable area as the printer measures it, in pixels.
    placement.areaMm = QSizeF(device.horzRes * 25.4 / device.logPixelsX,
                              device.vertRes * 25.4 / device.logPixelsY);
    const QRectF sheet = printer.paperRect(QPrinter::DevicePixel);
    // Millimetres from the printer's own pixels: the sheet it reports in millimetres is the
    // paper's nominal size, while its pixels cover the page as the driver lays it out (A4 in a
    // PDF is 595 x 842 points, 209.9 x 297.04 mm).
    const QSizeF sheetMm = sheet.size() * 25.4 / std::max(1, printer.resolution());
    PaintPageOnSheet(*g_document.painter, page, QRectF(QPointF(0, 0), sheet.size()), placement,
                     sheetMm);
}

bool EndPrintDoc() {
    if (!g_document.painter) {
        return false;
    }
    const bool ended = g_document.painter->end();
    AtomicFile pdf = std::move(g_document.pdf);
    g_document = OpenDocument{};
    if (!pdf.IsOpen()) {
        return ended;
    }
    FileFailure failure;
    if (!ended) {
        failure = {FileFailureKind::CutShort, 0, pdf.Target()};
    } else if (PdfComplete(pdf, failure) && pdf.Commit()) {
        return true;
    }
    if (failure.kind == FileFailureKind::None) {
        failure = pdf.Failure();
    }
    pdf.Discard();
    ReportPdfFailure(failure);
    return false;
}

std::vector<int> PrintPageOrder(int first, int last, int pageCount, PageParity parity, int copies,
                                bool collate) {
    std::vector<int> range;
    for (int page = std::max(first, 1); page <= std::min(last, pageCount); ++page) {
        if ((parity == PageParity::Odd && page % 2 == 0) ||
            (parity == PageParity::Even && page % 2 != 0)) {
            continue;
        }
        range.push_back(page);
    }
    std::vector<int> order;
    if (collate) {
        for (int page : range) {
            order.insert(order.end(), static_cast<size_t>(std::max(copies, 0)), page);
        }
    } else {
        for (int copy = 0; copy < copies; ++copy) {
            order.insert(order.end(), range.begin(), range.end());
        }
    }
    return order;
}

bool PrintPages(const std::vector<int>& pages) {
    const PrintJob& job = printJob();
    std::vector<std::string> files;
    for (int page : pages) {
        if (page >= 1 && page <= job.nPageFiles) {
            files.push_back(PageFileName(PageFolder(), job.cPreviewId, page));
        }
    }
    if (files.empty() || !StartPrintDoc(job.cJobName)) {
        return false;
    }
    for (const std::string& file : files) {
        PrintPageFile(file);
    }
    return EndPrintDoc();
}

}  // namespace vm
