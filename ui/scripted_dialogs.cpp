#include "ui/scripted_dialogs.h"

#include <QDialog>

namespace vm {

MessageAnswer ScriptedDialogs::showMessage(const MessageRequest& request) {
    Shown entry;
    entry.purpose = MessagePurpose(request);
    entry.message = request;
    shown.push_back(entry);
    if (whileMessageShown) {
        whileMessageShown(request);
    }
    if (!messageAnswers.empty()) {
        const MessageAnswer answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    // Unscripted, a question is answered Yes, and "save first?" No: go on without saving.
    return request.buttons == MessageButtons::YesNo         ? MessageAnswer::Yes
           : request.buttons == MessageButtons::YesNoCancel ? MessageAnswer::No
                                                            : MessageAnswer::Ok;
}

std::string ScriptedDialogs::chooseFile(const FileRequest& request) {
    Shown entry;
    entry.purpose = request.mode == FileRequest::Mode::Save ? "PutFile" : "GetFile";
    entry.file = request;
    shown.push_back(entry);
    if (fileAnswers.empty()) {
        return {};
    }
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

int ScriptedDialogs::runDialog(QDialog& dialog, const std::string& purpose) {
    dialogsRun.push_back(purpose);
    if (dialogDriver) {
        return dialogDriver(dialog, purpose);
    }
    return QDialog::Rejected;
}

std::vector<std::string> ScriptedDialogs::messageLog() const {
    std::vector<std::string> log;
    for (const Shown& s : shown) {
        if (s.purpose.rfind("Msg", 0) == 0) {
            log.push_back(s.message.title + "|" + s.message.text);
        }
    }
    return log;
}

}  // namespace vm
