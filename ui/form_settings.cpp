// The form layer's global settings, its version text and its preparation.
#include "ui/form_settings.h"

#include <QGuiApplication>

#include "runtime/html_log.h"
#include "runtime/process.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/gui_thread.h"
#include "ui/platform_texts.h"

namespace vm {

forms::Settings& forms::settings() {
    static Settings s;
    return s;
}

void SetDefaultFont(const std::string& name, int size) {
    runOnGuiThread([&] {
        forms::settings().fontName = name;
        forms::settings().fontSize = size;
    });
}

void SetDefaultIcon(const std::string& name) {
    runOnGuiThread([&] { forms::settings().icon = name; });
}

std::string DefaultIcon() {
    return askOnGuiThread([] { return forms::settings().icon; });
}

void SetEnterNavigation(bool on) {
    runOnGuiThread([&] { forms::settings().enterNavigation = on; });
}

std::string FormLayerVersion() {
    return "Vistametra Form Layer 1.0 (Qt " + std::string(qVersion()) + ")";
}

void InitFormLayer() {
    static bool initialised = false;
    if (initialised || QCoreApplication::instance() == nullptr || !onGuiThread()) {
        return;
    }
    initialised = true;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Qt's standard buttons and dialogs speak Portuguese like the rest of the program.
    LoadPlatformTranslations();
    SetErrorBoxHandler(
        [](const std::string& text, const std::string& title) { MsgStop(text, title, true); });
    SetFormLayerVersionText(FormLayerVersion());
}

}  // namespace vm
