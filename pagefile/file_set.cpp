#include "pagefile/file_set.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/end_files.h"

namespace vm {

namespace {

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

bool Failed(const FileFailure& why, std::string* error, FileFailure* failure) {
    SetError(error, EnglishFileFailure(why));
    if (failure != nullptr) {
        *failure = why;
    }
    return false;
}

}  // namespace

bool WriteFileSet(const FileSet& set, const MakeSetFile& make, std::string* error,
                  FileFailure* failure, std::vector<std::string>* removed) {
    // Held from the first file on, and given up only once every new file is placed or gone: the
    // end-of-process table cannot name every file of a long set, so an ending signal must not
    // come between. The files are declared after it and so go before it ends.
    const EndSignalsHeld held;
    std::vector<AtomicFile> staged;
    staged.reserve(set.names.size());
    const auto ending = [&](const std::string& name) {
        SetError(error, "cannot write " + name + ": the program is ending");
        return false;
    };
    for (size_t i = 0; i < set.names.size(); ++i) {
        if (EndSignalWaiting()) {
            return ending(set.names[i]);
        }
        std::string bytes;
        if (!make(i, &bytes, error)) {
            return false;
        }
        AtomicFile& file = staged.emplace_back();
        if (!file.Open(set.names[i], set.options) || !file.Write(bytes) ||
            !file.CloseUntilCommit()) {
            return Failed(file.Failure(), error, failure);
        }
    }
    if (EndSignalWaiting() && !set.names.empty()) {
        return ending(set.names.front());
    }
    const std::vector<std::string> earlier =
        set.earlierFiles ? set.earlierFiles() : std::vector<std::string>();
    for (AtomicFile& file : staged) {
        if (!file.Commit()) {
            return Failed(file.Failure(), error, failure);
        }
    }
    // The last first: should one of them stay, the ones before it still follow the new set
    // without a gap, as one earlier set.
    std::vector<std::string> gone;
    for (auto name = earlier.rbegin(); name != earlier.rend(); ++name) {
        if (::unlink(name->c_str()) == 0) {
            gone.push_back(*name);
        } else if (errno != ENOENT) {
            // The new set is in place; the earlier file that stays beside it is the failure.
            const FileFailure why{FileFailureKind::Replace, errno, *name};
            Failed(why, error, failure);
            SetError(error, "cannot remove " + *name + ": " + std::strerror(why.err));
            return false;
        }
    }
    if (removed != nullptr) {
        removed->assign(gone.rbegin(), gone.rend());
    }
    return true;
}

}  // namespace vm
