#include "tests/support/real_file_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

namespace vm::test {

namespace {

constexpr int kTurnMs = 10;
constexpr int kGiveUpTurns = 10000 / kTurnMs;

QFileDialog* shownFileDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

}  // namespace

RealFileDialogs::RealFileDialogs(ScriptedDialogs& messages)
    : m_messages(messages), m_previous(&dialogSeam()) {
    SetDialogSeam(this);
}

RealFileDialogs::~RealFileDialogs() {
    SetDialogSeam(m_previous);
}

MessageAnswer RealFileDialogs::showMessage(const MessageRequest& request) {
    return m_messages.showMessage(request);
}

FileDialogDriver::FileDialogDriver(std::function<bool(QFileDialog&)> step)
    : m_step(std::move(step)) {
    m_timer.setInterval(kTurnMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        QFileDialog* dialog = shownFileDialog();
        if (dialog == nullptr || m_done) {
            return;
        }
        if (++m_turns > kGiveUpTurns) {
            ADD_FAILURE() << "the file dialog was still open after ten seconds";
            dialog->reject();
            m_timer.stop();
            return;
        }
        // Keys reach a dialog as the user's do once it is the active window.
        if (!dialog->isActiveWindow()) {
            dialog->activateWindow();
            return;
        }
        if (m_step(*dialog)) {
            m_done = true;
            m_timer.stop();
        }
    });
    m_timer.start();
}

void TypeNameAndEnter(QFileDialog& dialog, const QString& name) {
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, name);
    // The completion list that typing may open would take the Enter for itself; the user closes
    // it first, as here.
    if (QCompleter* completer = field->completer(); completer && completer->popup()->isVisible()) {
        completer->popup()->hide();
    }
    QTest::keyClick(field, Qt::Key_Return);
}

std::function<bool(QFileDialog&)> TypeName(const QString& name) {
    return [name](QFileDialog& dialog) {
        TypeNameAndEnter(dialog, name);
        return true;
    };
}

}  // namespace vm::test
