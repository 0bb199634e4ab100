#include "preview_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTimer>

#include "core/platform_paths.h"
#include "pagefile/emf_writer.h"
#include "pagefile/page_files.h"
#include "pagefile/page_folder.h"
#include "preview/preview.h"
#include "preview/preview_page_view.h"
#include "print/print_job.h"
#include "ui/qt_text.h"

void PreviewTest::SetUp() {
    UiTest::SetUp();
    ASSERT_TRUE(m_temp.isValid());
    m_hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    m_previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_temp.path().toLocal8Bit());
}

void PreviewTest::TearDown() {
    vm::InitPrintMessages();  // drops the test's printer
    if (m_hadTmp) {
        qputenv("TMPDIR", m_previousTmp);
    } else {
        qunsetenv("TMPDIR");
    }
    UiTest::TearDown();
}

std::string PreviewTest::PageFile(int page) const {
    return vm::PageFileName(vm::PageFolder(), kJobId, page);
}

void PreviewTest::MakeLandscapeJob(int pages) {
    m_landscape = true;
    MakeJob(pages);
    m_landscape = false;
}

void PreviewTest::MakeJob(int pages, const std::vector<int>& broken, bool missing) {
    vm::InitPrintMessages();
    vm::PrintJob& job = vm::printJob();
    job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job.printer->setOutputFormat(QPrinter::PdfFormat);
    job.cPrinterName = vm::kPdfPrinterName;
    job.device =
        m_landscape ? vm::ReferenceDevice::ForSheet(600, 600, 297, 210) : vm::ReferenceDevice::A4();
    job.nCopies = 1;
    job.nCollate = 1;
    job.lPreview = true;
    job.cPreviewId = kJobId;
    job.cJobName = "Sala_Calculo_Tela.pdf";
    vm::EmfPageCanvas canvas(job.device);
    for (int n = 1; n <= pages; ++n) {
        const std::string file = PageFile(n);
        if (std::find(broken.begin(), broken.end(), n) != broken.end()) {
            if (!missing) {
                QFile bad(QString::fromStdString(file));
                ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
                bad.write(QByteArray(" EMF not really, a damaged page file", 37).repeated(40));
            }
            continue;
        }
        ASSERT_TRUE(canvas.StartPreviewPage(file)) << canvas.LastError();
        canvas.PrintText(20, 20, "PAGE " + std::to_string(n), {.fontName = "Arial", .size = 36});
        canvas.PrintLine(150, 20, 150, 190, 8.0, vm::kBlack);
        ASSERT_TRUE(canvas.EndPreviewPage());
    }
    job.nPageFiles = pages;
}

bool PreviewTest::RunPreview(const std::function<void()>& whileOpen,
                             const std::vector<vm::SaveFormat>& formats) {
    bool opened = false;
    runInMainForm(
        [] {},
        [&] {
            // The body runs from the preview's own event loop, once both windows are
            // up (polled: the windows come up inside ShowPreview).
            QTimer poll;
            QElapsedTimer waited;
            waited.start();
            QObject::connect(&poll, &QTimer::timeout, [&] {
                const bool up = vm::IsWindowActive(kBarForm);
                if (!up && waited.elapsed() < 5000) {
                    return;
                }
                poll.stop();
                if (up) {
                    opened = true;
                    static_cast<void>(QTest::qWaitForWindowExposed(vm::FormWidget(kPreviewForm)));
                    whileOpen();
                }
                // Whatever the body did, the preview must go, or ShowPreview never
                // returns.
                for (const char* form : {kPreviewForm, kBarForm}) {
                    if (vm::IsWindowActive(form)) {
                        vm::DoMethod(form, "release");
                    }
                }
            });
            poll.start(10);
            vm::ShowPreview(formats);
            poll.stop();
        });
    return opened;
}

void PreviewTest::PressKey(const char* form, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* window = vm::FormWidget(form);
    ASSERT_NE(window, nullptr) << form;
    // Activations asked for earlier (a dialog that closed, a window shown) land first.
    QCoreApplication::processEvents();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000))
        << form;
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, key, modifiers);
}

std::string PreviewTest::Title() {
    QWidget* window = vm::FormWidget(kPreviewForm);
    return window != nullptr ? vm::fromQt(window->windowTitle()) : std::string("(closed)");
}

vm::PreviewPageView* PreviewTest::PageView() {
    return dynamic_cast<vm::PreviewPageView*>(vm::ControlWidget(kPreviewForm, "PreviewPage"));
}

QWidget* PreviewTest::BarButton(const char* name) {
    return vm::ControlWidget(kBarForm, name);
}
