// A manual look at the preview under a real X server: the report of the default project in the
// preview, put into the state named on the command line, for screenshots.
//
//   xvfb-run -s "-screen 0 1280x1024x24" preview_demo zoom &
//   sleep 3; import -display :99 -window root zoom.png
//
// States: page (as opened), zoom (button "b5"), thumbs (thumbnails on, page 2), print (the print
// dialog with "Páginas" chosen), goto (the go-to-page dialog). The preview stays open until it is
// closed or the program is killed.

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>
#include <string>

#include "core/calculo.h"
#include "core/dados_projeto.h"
#include "core/platform_paths.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "pagefile/page_images.h"
#include "preview/preview.h"
#include "print/print_job.h"
#include "report/report_images.h"
#include "report/report_pages.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"

namespace {

void Click(const char* form, const char* control) {
    if (auto* button = qobject_cast<QPushButton*>(vm::ControlWidget(form, control))) {
        button->click();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string state = argc > 1 ? argv[1] : "page";

    vm::DadosProjeto projeto = vm::ProjetoInicial();
    vm::Calculo(projeto);
    vm::InitPrintMessages();
    vm::PrintJob& job = vm::printJob();
    job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job.printer->setOutputFormat(QPrinter::PdfFormat);
    job.cPrinterName = vm::kPdfPrinterName;
    job.nCopies = 1;
    job.cPreviewId = vm::PreviewIdNow();
    job.cJobName = vm::NomePdf(projeto.cProjeto);
    vm::NamedImageSource images;
    vm::RegisterReportImages(images);
    vm::EmfPageCanvas canvas(job.device, &images);
    const vm::ReportPages pages = vm::BuildReportPages(projeto, canvas, [&](int n) {
        return vm::PageFileName(vm::PageFolder(), job.cPreviewId, n);
    });
    job.nPageFiles = static_cast<int>(pages.pageFiles.size());

    vm::DefineWindow(
        {.name = "wmenu",
         .title = "Vistametra",
         .width = 640,
         .height = 480,
         .onInit =
             [state] {
                 QTimer::singleShot(800, [state] {
                     if (state == "zoom") {
                         Click("wPreviewBar", "b5");
                     } else if (state == "thumbs") {
                         Click("wPreviewBar", "thumbswitch");
                         Click("wPreviewBar", "b3");
                     } else if (state == "print") {
                         QTimer::singleShot(300, [] {
                             for (QWidget* w : QApplication::topLevelWidgets()) {
                                 if (w->objectName() == "PreviewPrint") {
                                     if (auto* r = w->findChild<QRadioButton*>("Radio_1_2")) {
                                         r->click();
                                     }
                                 }
                             }
                         });
                         Click("wPreviewBar", "b12");
                     } else if (state == "goto") {
                         Click("wPreviewBar", "GoToPage");
                     }
                 });
                 vm::ShowPreview();
                 vm::DoMethod("wmenu", "release");
             },
         .kind = vm::WindowKind::Main});
    vm::EndWindow();
    vm::DoMethod("wmenu", "activate");
    return 0;
}
