#include "program/report_calculo.h"

#include <QClipboard>
#include <QGuiApplication>

#include "core/platform_paths.h"
#include "core/program_values.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "pagefile/page_images.h"
#include "preview/preview.h"
#include "print/print_job.h"
#include "print/printers.h"
#include "report/dxf_file.h"
#include "report/report_images.h"
#include "report/report_pages.h"
#include "report/sightline_analysis.h"
#include "runtime/process.h"
#include "runtime/startup.h"
#include "ui/qt_text.h"

namespace vm {

void ReportCalculo() {
    // The open preview still reads the job record and its page files: nothing may replace them.
    if (BringPreviewForward()) {
        return;
    }
    const DadosProjeto& p = projeto();
    const ProgramValues& values = programValues();
    const std::string nomePdf = NomePdf(p.cProjeto);
    const std::string arquivoPdf = ArquivoPdf(values.DirPdf, p.cProjeto);

    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(toQtPath(arquivoPdf));
    }

    InitPrintMessages();
    PrintJob& job = printJob();
    // Portrait is asked for as well, so a printer that stands in landscape cuts nothing off.
    PrinterProperties opened = SetPrinterProperties(
        values.PrintX, kOrientationPortrait, kPaperA4, kLeaveAsIs, kLeaveAsIs, kLeaveAsIs,
        kLeaveAsIs, kLeaveAsIs, kLeaveAsIs, kDuplexSimplex, kLeaveAsIs);
    job.nCopies = opened.copies;
    job.nCollate = opened.collate;
    job.device = opened.device;
    const bool lSuccess = opened.printer != nullptr;
    job.printer = std::move(opened.printer);

    job.lPreview = true;
    job.cPreviewId = PreviewIdNow();
    job.cPrinterName = values.PrintX;
    if (!lSuccess) {
        return;
    }

    job.cJobName = SetJobName(nomePdf);
    job.cPdfFile = arquivoPdf;
    job.nPageFiles = 0;

    NamedImageSource images;
    RegisterReportImages(images);
    EmfPageCanvas canvas(job.device, &images);
    const std::string folder = PageFolder();
    BuildReportPages(p, canvas, [&](int n) {
        job.nPageFiles = n;
        std::string page = PageFileName(folder, job.cPreviewId, n);
        // Whatever ends the program while the preview is open, the page files go with it.
        RemoveAtProcessEnd(page);
        return page;
    });

    // Beside its pages, the preview saves the section and the plan for CAD.
    ShowPreview({DxfSaveFormat(p, kDefaultTargetCmm)});
    // The preview deletes the page files when it closes; should it not have opened (no main
    // window), they go now rather than stay behind in the temporary folder.
    DeletePageFiles(folder, job.cPreviewId);
    for (const std::string& page : job.PageFiles()) {
        KeepAtProcessEnd(page);
    }
}

}  // namespace vm
