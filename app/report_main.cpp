// vistametra-report: the program's start-up and calculation without a window.
#include "cli/report_tool.h"
#include "core/atomic_file.h"
#include "core/end_files.h"
#include "core/standard_descriptors.h"

#ifdef VM_REPORT_WRITER
#include <QGuiApplication>
#include <cstdio>

#include "cli/report_output.h"

namespace {

// Qt's own warnings (a missing XDG_RUNTIME_DIR under cron or ssh, a painter that could not open
// its file) are for developers: the tool says itself, in one line, what failed and why. Critical
// and fatal messages still reach standard error.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "vistametra-report: %s\n", qPrintable(message));
    }
}

}  // namespace
#endif

int main(int argc, char** argv) {
    // Before anything opens a file: a closed standard descriptor would give its number away.
    vm::OpenClosedStandardDescriptors();
    // A reader that has gone (`vistametra-report ... | head -1`) ends the run at once with 1.
    vm::EndQuietlyWhenReaderLeaves(1);
    // Asked to end during an export, the tool takes its unfinished files with it.
    vm::RemoveFilesOnEndSignals();
    // Outputs may go to /dev/stdout or into a pipe that a reader waits on.
    vm::AtomicFile::WriteIntoDevices(true);
#ifdef VM_REPORT_WRITER
    qInstallMessageHandler(quietQtMessages);
    // Fonts and painting need a GUI application; the tool never shows a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    return vm::runReportTool(argc, argv, vm::writeReportFile);
#else
    return vm::runReportTool(argc, argv);
#endif
}
