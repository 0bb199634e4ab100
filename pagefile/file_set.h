#pragma once
// Files written as one set, all of them or none: each file's new content is written in full
// beside its name and closed, so that a set of hundreds of pages holds one descriptor at a time;
// only when every file is on disk do they take their places, and the files of an earlier set that
// the new one does not replace go with them. On any failure before that, every new file goes and
// every earlier file stays as it was.
//
// Plain C++ and POSIX.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/file_failure.h"

namespace vm {

// Makes the whole content of the set's file number `index` (from 0); false with `error` set to
// one sentence that names the file.
using MakeSetFile = std::function<bool(size_t index, std::string* bytes, std::string* error)>;

// What a set is: its files' names, how each is opened (a numbered page that the program named
// replaces a link there instead of writing through it), and the earlier files it stands in for.
struct FileSet {
    std::vector<std::string> names;
    AtomicFile::Options options;
    // Asked once every new file is on disk and before any takes its place: the earlier files that
    // go when the set has taken its places (removed the last first). May be empty.
    std::function<std::vector<std::string>()> earlierFiles;
};

// Writes the set. True when every file took its place and every earlier file went; `removed`
// (when given) then receives the earlier files' names. False with `error` set to one sentence
// that names the file, and `failure` (when given) set when a file could not be written or an
// earlier one removed. An ending signal (SIGTERM, SIGINT, SIGHUP, once the end-of-process files
// are removed on them) waits for the set: while the files are being made, the set gives up at the
// next file, removes what it wrote and lets the signal end the process; once they take their
// places, it waits until the set is whole.
bool WriteFileSet(const FileSet& set, const MakeSetFile& make, std::string* error,
                  FileFailure* failure = nullptr, std::vector<std::string>* removed = nullptr);

}  // namespace vm
