#pragma once
// Modal message boxes, file dialogs and the beep. Every dialog of the program goes through one
// replaceable seam (DialogSeam), so a test can script the user's answers and read back what was
// shown; windows with modal dialogs of their own run them through RunModalDialog for the same
// reason. Texts are Windows-1252; lines of a message are separated by CR LF.
//
// Calls from a worker thread are carried over to the event-loop thread and block the worker until
// the user answers.

#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace vm {

enum class MessageIcon { None, Information, Stop, Question, Warning };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    // YesNo and YesNoCancel: Yes is the default button; Escape answers No, or Cancel.
    MessageButtons buttons = MessageButtons::Ok;
    bool systemModal = true;
};

struct FileFilter {
    std::string description;  // e.g. "Arquivos de Cálculos"
    std::string pattern;      // e.g. "*.qtv"
};

struct FileRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    std::vector<FileFilter> filters;  // offered in this order, the first one selected
    std::string title;
    std::string initialFolder;  // the file system's bytes, as every path
    bool multipleSelection = false;
    bool keepCurrentFolder = false;
};

// The seam. Each level has a working default, so a test overrides the level it wants to script:
// showMessage / chooseFile to answer without any widget, or runDialog to drive the real
// QMessageBox or QFileDialog that the defaults build. All calls arrive on the event-loop thread.
class DialogSeam {
public:
    virtual ~DialogSeam() = default;

    // Shows a message box and returns the button pressed (closing a Yes/No box answers No).
    virtual MessageAnswer showMessage(const MessageRequest& request);

    // Shows the file-open or file-save dialog (Qt's own, not the desktop's) and returns the full
    // path chosen as the file system's bytes (UTF-8, not program text), or "" when the user
    // cancels.
    virtual std::string chooseFile(const FileRequest& request);

    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected, or a
    // QMessageBox::StandardButton for a message box). `purpose` tells a test which dialog this is:
    // "MsgInfo", "MsgStop", "MsgYesNo", "MsgBox", "GetFile", "PutFile", or the name that a window
    // gives its own dialog.
    virtual int runDialog(QDialog& dialog, const std::string& purpose);
};

// What a message box is, as the seam names it: "MsgInfo", "MsgStop", "MsgYesNo", "MsgWarn",
// "MsgYesNoCancel" or "MsgBox".
const char* MessagePurpose(const MessageRequest& request);

// The seam in use. SetDialogSeam replaces it (the caller keeps ownership and must restore it
// before the seam dies); nullptr restores the default.
DialogSeam& dialogSeam();
void SetDialogSeam(DialogSeam* seam);

// Runs a window's own modal dialog through the seam; returns what runDialog returns.
int RunModalDialog(QDialog& dialog, const std::string& purpose);

// The window that owns a dialog shown now: the active window, else the main form, else none.
QWidget* DialogOwner();

// The four message boxes. Without a QApplication they write the title and text to standard error.
void MsgInfo(const std::string& text, const std::string& title = "Information",
             bool systemModal = true);
void MsgStop(const std::string& text, const std::string& title = "Stop", bool systemModal = true);
// True when Yes was pressed.
bool MsgYesNo(const std::string& text, const std::string& title = "", bool systemModal = true);
void MsgBox(const std::string& text, const std::string& title = "", bool systemModal = true);
// A failure told with the warning icon.
void MsgWarn(const std::string& text, const std::string& title = "", bool systemModal = true);
// Sim / Não / Cancelar: Yes, No, or Cancel (also when the box is closed).
MessageAnswer MsgYesNoCancel(const std::string& text, const std::string& title = "",
                             bool systemModal = true);

// The file-open dialog: only existing files can be chosen. Returns the chosen file's full path
// (the first one when several are allowed), or "" when the user cancels. With keepCurrentFolder
// the process's current folder is the same afterwards.
std::string GetFile(const std::vector<FileFilter>& filters, const std::string& title = "",
                    const std::string& initialFolder = "", bool multipleSelection = false,
                    bool keepCurrentFolder = false);

// The file-save dialog. Returns the full path of the name chosen or typed (a name typed without a
// suffix gets the one of the file type chosen), or "" on cancel. It never asks before a file is
// replaced: the caller asks about the files it will write (ui/replace_question.h).
std::string PutFile(const std::vector<FileFilter>& filters, const std::string& title = "",
                    const std::string& initialFolder = "", bool keepCurrentFolder = false);

// The system beep (QApplication::beep unless replaced). SetBeepHandler with an empty function
// restores the default.
void Beep();
void SetBeepHandler(std::function<void()> handler);

}  // namespace vm
