// The status bar of the form being defined.
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "ui/form_appearance.h"
#include "ui/form_registry.h"
#include "ui/qt_text.h"

namespace vm {

using forms::ControlKind;
using forms::defineOnGuiThread;
using forms::Form;
using forms::registry;

void BeginMessageBar(const std::string& name, const std::string& fontName, int fontSize) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(name, ControlKind::StatusBar);
        Form& form = *registry().defining();
        QStatusBar* bar = form.window->statusBar();
        bar->setObjectName(toQt(name));
        bar->setSizeGripEnabled(form.window->minimumSize() != form.window->maximumSize());
        if (!fontName.empty() || fontSize > 0) {
            bar->setFont(forms::fontFrom(form.font, fontName, fontSize));
        }
        control->widget = bar;
        form.messageBarOpen = true;
        form.statusItems = 0;
    });
}

void DefineItemMessage(const std::string& name, const std::string& text) {
    defineOnGuiThread([&] {
        auto control = registry().addControl(name, ControlKind::StatusItem);
        Form& form = *registry().defining();
        QStatusBar* bar = form.window->statusBar();
        auto* item = new QLabel(toQt(text), bar);
        item->setObjectName(toQt(name));
        item->setTextFormat(Qt::PlainText);
        bar->addWidget(item, form.statusItems == 0 ? 1 : 0);
        ++form.statusItems;
        control->widget = item;
    });
}

void EndMessageBar() {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining("END STATUSBAR");
        if (form.messageBarOpen && form.statusItems == 0) {
            QStatusBar* bar = form.window->statusBar();
            auto* item = new QLabel(toQt(form.title), bar);
            item->setTextFormat(Qt::PlainText);
            bar->addWidget(item, 1);
            ++form.statusItems;
        }
        form.messageBarOpen = false;
    });
}

}  // namespace vm
