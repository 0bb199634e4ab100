// Start-up to the first painted window: the program's start-up and main window ("main"), or an
// empty Qt window of the same size ("empty") as the reference. Each run is a fresh process that
// ends at the first paint of its window and prints the milliseconds since the process started.
// Usage: bench_startup main|empty
#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/startup.h"
#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/form_layer.h"
#include "ui/main_window.h"

namespace {

// Milliseconds since the process started, from /proc/self/stat's start time.
double msSinceProcessStart() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    unsigned long long startTicks = 0;
    if (f) {
        char buf[1024];
        if (std::fgets(buf, sizeof buf, f)) {
            const char* p = std::strrchr(buf, ')');
            int field = 2;
            for (; p && *p; ++p) {
                if (*p == ' ' && ++field == 22) {
                    startTicks = std::strtoull(p + 1, nullptr, 10);
                    break;
                }
            }
        }
        std::fclose(f);
    }
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowMs = boot.tv_sec * 1000.0 + boot.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

// Ends the process at the first paint of the watched window.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            std::printf("%.1f\n", msSinceProcessStart());
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool empty = argc > 1 && std::strcmp(argv[1], "empty") == 0;
    QApplication app(argc, argv);
    FirstPaint firstPaint;
    app.installEventFilter(&firstPaint);
    if (empty) {
        QWidget window;
        window.resize(640, 480);
        window.show();
        return app.exec();
    }
    vm::InitFormLayer();
    vm::IniciarSemJanela();
    vm::SetErrorLogOn(false);
    vm::SetEnterNavigation(true);
    vm::SetDefaultIcon("qtv");
    // The update check would wait on the network; it is not part of what is measured.
    vm::mainWindowProcedures().update = [](bool) {};
    vm::DefinirJanelaPrincipal();
    vm::DoMethod("wmenu", "center");
    vm::DoMethod("wmenu", "activate");
    return 0;
}
