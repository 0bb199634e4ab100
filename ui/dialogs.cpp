#include "ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdio>
#include <mutex>

#include "ui/form_layer.h"
#include "ui/gui_thread.h"
#include "ui/qt_text.h"

namespace vm {

namespace {

DialogSeam g_defaultSeam;
DialogSeam* g_seam = &g_defaultSeam;

std::mutex g_beepMutex;
std::function<void()> g_beepHandler;

}  // namespace

const char* MessagePurpose(const MessageRequest& request) {
    if (request.buttons == MessageButtons::YesNoCancel) {
        return "MsgYesNoCancel";
    }
    switch (request.icon) {
        case MessageIcon::Warning:
            return "MsgWarn";
        case MessageIcon::Information:
            return "MsgInfo";
        case MessageIcon::Stop:
            return "MsgStop";
        case MessageIcon::Question:
            return "MsgYesNo";
        case MessageIcon::None:
            break;
    }
    return "MsgBox";
}

namespace {

MessageAnswer showMessageBox(MessageRequest request) {
    if (QCoreApplication::instance() == nullptr) {
        std::fprintf(stderr, "%s\n%s\n", request.title.c_str(), request.text.c_str());
        return request.buttons == MessageButtons::YesNo         ? MessageAnswer::No
               : request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel
                                                                : MessageAnswer::Ok;
    }
    MessageAnswer answer = MessageAnswer::Ok;
    runOnGuiThread([&] { answer = dialogSeam().showMessage(request); });
    return answer;
}

QStringList nameFilters(const std::vector<FileFilter>& filters) {
    QStringList list;
    for (const FileFilter& f : filters) {
        list << toQt(f.description) + QStringLiteral(" (") + toQt(f.pattern) + QLatin1Char(')');
    }
    return list;
}

std::string chooseFileKeepingFolder(const FileRequest& request) {
    if (QCoreApplication::instance() == nullptr) {
        return {};
    }
    std::string result;
    runOnGuiThread([&] {
        const QString before = QDir::currentPath();
        result = dialogSeam().chooseFile(request);
        if (request.keepCurrentFolder && QDir::currentPath() != before) {
            QDir::setCurrent(before);
        }
    });
    return result;
}

}  // namespace

MessageAnswer DialogSeam::showMessage(const MessageRequest& request) {
    QMessageBox box(DialogOwner());
    box.setWindowTitle(toQt(request.title));
    box.setText(toQtLines(request.text));
    box.setTextFormat(Qt::PlainText);
    switch (request.icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    const bool withCancel = request.buttons == MessageButtons::YesNoCancel;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else if (withCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    // Every box stays above the other windows; a system-modal one blocks all of them. (The
    // modality first: setting it resets the window flags.)
    box.setWindowModality(request.systemModal || box.parentWidget() == nullptr
                              ? Qt::ApplicationModal
                              : Qt::WindowModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    const int result = runDialog(box, MessagePurpose(request));
    int pressed = result;
    if (QAbstractButton* clicked = box.clickedButton()) {
        pressed = box.standardButton(clicked);
    }
    if (withCancel) {
        return pressed == QMessageBox::Yes  ? MessageAnswer::Yes
               : pressed == QMessageBox::No ? MessageAnswer::No
                                            : MessageAnswer::Cancel;
    }
    if (!yesNo) {
        return MessageAnswer::Ok;
    }
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

std::string DialogSeam::chooseFile(const FileRequest& request) {
    const bool save = request.mode == FileRequest::Mode::Save;
    QFileDialog dialog(DialogOwner(), toQt(request.title), toQtPath(request.initialFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        // The dialog would ask about the name as typed, before the filter's suffix is added
        // below ("Sala" for the "Sala.qtv" it replaces): the caller asks about the files it is
        // about to write instead (MayReplaceFiles), once.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setFileMode(request.multipleSelection ? QFileDialog::ExistingFiles
                                                     : QFileDialog::ExistingFile);
    }
    const QStringList filters = nameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    if (runDialog(dialog, save ? "PutFile" : "GetFile") != QDialog::Accepted) {
        return {};
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return {};
    }
    QString file = QFileInfo(chosen.front()).absoluteFilePath();
    // A name typed without a suffix gets the one of the file type chosen ("Salão Nobre" with
    // "PDF (*.pdf)" is "Salão Nobre.pdf").
    if (save && QFileInfo(file).suffix().isEmpty()) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)\\)?$"));
        const QRegularExpressionMatch match = pattern.match(dialog.selectedNameFilter());
        if (match.hasMatch()) {
            file += QLatin1Char('.') + match.captured(1);
        }
    }
    return fromQtPath(file);
}

int DialogSeam::runDialog(QDialog& dialog, const std::string& /*purpose*/) {
    return dialog.exec();
}

DialogSeam& dialogSeam() {
    return *g_seam;
}

void SetDialogSeam(DialogSeam* seam) {
    g_seam = seam != nullptr ? seam : &g_defaultSeam;
}

int RunModalDialog(QDialog& dialog, const std::string& purpose) {
    return dialogSeam().runDialog(dialog, purpose);
}

QWidget* DialogOwner() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return MainFormWidget();
}

void MsgInfo(const std::string& text, const std::string& title, bool systemModal) {
    showMessageBox({text, title, MessageIcon::Information, MessageButtons::Ok, systemModal});
}

void MsgStop(const std::string& text, const std::string& title, bool systemModal) {
    showMessageBox({text, title, MessageIcon::Stop, MessageButtons::Ok, systemModal});
}

bool MsgYesNo(const std::string& text, const std::string& title, bool systemModal) {
    return showMessageBox({text, title, MessageIcon::Question, MessageButtons::YesNo,
                           systemModal}) == MessageAnswer::Yes;
}

void MsgBox(const std::string& text, const std::string& title, bool systemModal) {
    showMessageBox({text, title, MessageIcon::None, MessageButtons::Ok, systemModal});
}

void MsgWarn(const std::string& text, const std::string& title, bool systemModal) {
    showMessageBox({text, title, MessageIcon::Warning, MessageButtons::Ok, systemModal});
}

MessageAnswer MsgYesNoCancel(const std::string& text, const std::string& title, bool systemModal) {
    return showMessageBox(
        {text, title, MessageIcon::Question, MessageButtons::YesNoCancel, systemModal});
}

std::string GetFile(const std::vector<FileFilter>& filters, const std::string& title,
                    const std::string& initialFolder, bool multipleSelection,
                    bool keepCurrentFolder) {
    FileRequest request;
    request.mode = FileRequest::Mode::Open;
    request.filters = filters;
    request.title = title;
    request.initialFolder = initialFolder;
    request.multipleSelection = multipleSelection;
    request.keepCurrentFolder = keepCurrentFolder;
    return chooseFileKeepingFolder(request);
}

std::string PutFile(const std::vector<FileFilter>& filters, const std::string& title,
                    const std::string& initialFolder, bool keepCurrentFolder) {
    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.filters = filters;
    request.title = title;
    request.initialFolder = initialFolder;
    request.keepCurrentFolder = keepCurrentFolder;
    return chooseFileKeepingFolder(request);
}

void Beep() {
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> lock(g_beepMutex);
        handler = g_beepHandler;
    }
    if (handler) {
        handler();
    } else if (QCoreApplication::instance() != nullptr) {
        runOnGuiThread([] { QApplication::beep(); });
    }
}

void SetBeepHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> lock(g_beepMutex);
    g_beepHandler = std::move(handler);
}

}  // namespace vm
