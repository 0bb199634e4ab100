// The menu bar of the form being defined.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/form_registry.h"
#include "ui/qt_text.h"

namespace vm {

using forms::defineOnGuiThread;
using forms::Form;
using forms::registry;

void DefineMainMenu() {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining("MAIN MENU");
        form.window->menuBar();
        form.menus.clear();
        form.menuOpen = true;
    });
}

void DefineMenuPopup(const std::string& caption) {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining(caption);
        QMenu* menu = form.menus.empty() ? form.window->menuBar()->addMenu(toQt(caption))
                                         : form.menus.back()->addMenu(toQt(caption));
        form.menus.push_back(menu);
    });
}

void DefineMenuItem(const std::string& caption, Callback action, const std::string& shortcut) {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining(caption);
        QAction* item = form.menus.empty() ? form.window->menuBar()->addAction(toQt(caption))
                                           : form.menus.back()->addAction(toQt(caption));
        if (!shortcut.empty()) {
            item->setShortcut(QKeySequence(toQt(shortcut), QKeySequence::PortableText));
            item->setShortcutContext(Qt::WindowShortcut);
        }
        QObject::connect(item, &QAction::triggered, item,
                         forms::whileFormOpen(registry().defining(), action));
    });
}

void DefineSeparator() {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining("SEPARATOR");
        if (!form.menus.empty()) {
            form.menus.back()->addSeparator();
        }
    });
}

void EndMenuPopup() {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining("END POPUP");
        if (!form.menus.empty()) {
            form.menus.pop_back();
        }
    });
}

void EndMenu() {
    defineOnGuiThread([&] {
        Form& form = registry().requireDefining("END MENU");
        form.menus.clear();
        form.menuOpen = false;
    });
}

}  // namespace vm
