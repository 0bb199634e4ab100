#pragma once
// Why a file could not be written, as values: what failed, the system's error number and the
// file. The command-line tool words it in English (EnglishFileFailure); the windows word it in
// Portuguese (ui/file_failure_text.h). Callers that only pass a reason on take the English text.
//
// Plain C++.

#include <string>

namespace vm {

enum class FileFailureKind {
    None,
    Write,            // writing the new content or flushing it failed (err 0: nothing more fit)
    CreateInFolder,   // no new file could be made in the file's folder
    KeepOwner,        // the earlier file's owner could not be given to the new one
    KeepPermissions,  // the earlier file's permission bits could not be given to the new one
    SetPermissions,   // a new file's permission bits could not be set
    Replace,          // the new file could not take the target's place
    NameHasNul,       // the name holds a NUL byte, which no file name can
    NoReader,         // a FIFO that nobody reads from
    NotRegular,       // neither a regular file nor a device or FIFO (a socket, say)
    NotOpen,          // written or committed without a successful Open
    CutShort,         // another writer's content reached the file cut short (err 0)
    ForeignLink,      // a link that another user owns in a shared sticky folder (not followed)
};

struct FileFailure {
    FileFailureKind kind = FileFailureKind::None;
    int err = 0;       // errno; 0 when the system gave none
    std::string file;  // the file that was to be written (file-system bytes)
};

// One English sentence that names the file once: "cannot write out/rel.pdf: No space left on
// device", the system's reason as strerror gives it in the process's locale (the tool's other
// messages carry it so too). "" for FileFailureKind::None.
std::string EnglishFileFailure(const FileFailure& failure);

// The folder a file is made in: its path up to and with the last "/", or "." for a bare name.
std::string FolderOfFile(const std::string& file);

}  // namespace vm
