#pragma once
// A dialog seam for tests: records every message box and file dialog that the program shows and
// answers them from scripted queues. Install it with ScriptedDialogs::Install (restores the
// previous seam when the guard goes).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace vm {

class ScriptedDialogs final : public DialogSeam {
public:
    struct Shown {
        std::string purpose;  // "MsgInfo", "MsgStop", "MsgYesNo", "MsgBox", "GetFile", "PutFile"
        MessageRequest message;
        FileRequest file;
    };

    // Answers in order; when the queue is empty a message box answers with its default button
    // (Ok, or Yes) and a file dialog is cancelled.
    std::deque<MessageAnswer> messageAnswers;
    std::deque<std::string> fileAnswers;
    // Runs while a message box is "open", before it answers (to look at the program's state then).
    std::function<void(const MessageRequest&)> whileMessageShown;
    // Drives a window's own modal dialog (RunModalDialog); unset: the dialog is rejected.
    std::function<int(QDialog&, const std::string&)> dialogDriver;

    std::vector<Shown> shown;
    std::vector<std::string> dialogsRun;

    MessageAnswer showMessage(const MessageRequest& request) override;
    std::string chooseFile(const FileRequest& request) override;
    int runDialog(QDialog& dialog, const std::string& purpose) override;

    // Messages shown so far, as "title|text".
    std::vector<std::string> messageLog() const;

    class Install {
    public:
        explicit Install(ScriptedDialogs& seam) : m_previous(&dialogSeam()) {
            SetDialogSeam(&seam);
        }
        ~Install() { SetDialogSeam(m_previous); }
        Install(const Install&) = delete;
        Install& operator=(const Install&) = delete;

    private:
        DialogSeam* m_previous;
    };
};

}  // namespace vm
