#pragma once
// Qt's real (non-native) file-save dialog in a widget test, driven as a user drives it: a seam that
// shows the real dialog while the message boxes stay scripted, and a driver that finds the dialog
// among the top-level widgets once it shows, types a name into it and presses Enter.

#include <QTimer>
#include <functional>

#include "ui/dialogs.h"
#include "ui/scripted_dialogs.h"

class QFileDialog;

namespace vm::test {

// The real file dialogs (the default chooseFile, run with exec); message boxes go to `messages`,
// which records and answers them. Installed for the life of the object.
class RealFileDialogs final : public DialogSeam {
public:
    explicit RealFileDialogs(ScriptedDialogs& messages);
    ~RealFileDialogs() override;
    RealFileDialogs(const RealFileDialogs&) = delete;
    RealFileDialogs& operator=(const RealFileDialogs&) = delete;

    MessageAnswer showMessage(const MessageRequest& request) override;

private:
    ScriptedDialogs& m_messages;
    DialogSeam* m_previous;
};

// Watches the event loop for a shown QFileDialog and hands it to `step` at every turn of the loop
// while it is shown, until `step` returns true. A dialog still open ten seconds after it showed
// is rejected, so that a broken test fails instead of hanging. Stops when the object goes.
class FileDialogDriver {
public:
    explicit FileDialogDriver(std::function<bool(QFileDialog&)> step);

    bool done() const { return m_done; }

private:
    std::function<bool(QFileDialog&)> m_step;
    QTimer m_timer;
    int m_turns = 0;
    bool m_done = false;
};

// The step that types `name` into the dialog's file name field (replacing what it holds) and
// presses Enter.
std::function<bool(QFileDialog&)> TypeName(const QString& name);

// Types `name` into the dialog's file name field and presses Enter.
void TypeNameAndEnter(QFileDialog& dialog, const QString& name);

}  // namespace vm::test
