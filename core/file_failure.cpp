#include "core/file_failure.h"

#include <cstring>

namespace vm {

std::string FolderOfFile(const std::string& file) {
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1);
}

std::string EnglishFileFailure(const FileFailure& f) {
    const std::string reason = f.err != 0 ? std::string(": ") + std::strerror(f.err) : "";
    switch (f.kind) {
        case FileFailureKind::None:
            return "";
        case FileFailureKind::Write:
            return "cannot write " + f.file +
                   (f.err != 0 ? reason : ": nothing more could be written");
        case FileFailureKind::CreateInFolder:
            return "cannot create a file in " + FolderOfFile(f.file) + reason;
        case FileFailureKind::KeepOwner:
            return "cannot keep the owner of " + f.file + reason;
        case FileFailureKind::KeepPermissions:
            return "cannot keep the permissions of " + f.file + reason;
        case FileFailureKind::SetPermissions:
            return "cannot set the permissions of " + f.file + reason;
        case FileFailureKind::Replace:
            return "cannot replace " + f.file + reason;
        case FileFailureKind::NameHasNul:
            // Shown up to the NUL, as the system would read it.
            return "cannot write \"" + std::string(f.file.c_str()) +
                   "\": the name holds a NUL byte";
        case FileFailureKind::NoReader:
            return "cannot write " + f.file + ": nobody reads from this FIFO";
        case FileFailureKind::NotRegular:
            return "cannot write " + f.file + ": not a regular file";
        case FileFailureKind::NotOpen:
            return "cannot write " + f.file + ": the file is not open";
        case FileFailureKind::CutShort:
            return "cannot write " + f.file + ": the file was not written whole";
        case FileFailureKind::ForeignLink:
            return "cannot write " + f.file +
                   ": a link that another user owns in a shared folder is not followed";
    }
    return "";
}

}  // namespace vm
