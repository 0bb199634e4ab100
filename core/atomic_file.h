#pragma once
// Output files that are replaced whole or not at all. The new content goes into a temporary file
// in the target's folder (an unnamed O_TMPFILE file where the file system offers one, so a killed
// writer leaves nothing behind; else a hidden ".NAME.XXXXXX", which the end-of-process table of
// core/end_files.h removes should a signal end the writer), is flushed to disk, and only then
// takes the target's place. Any failure removes the temporary file, leaves the earlier file as it
// was, and says why.
//
// What a save on Linux is expected to keep:
// - a symbolic link as target: the file it points to is replaced and the link stays; but a link
//   that another user owns in a sticky folder that everyone may write (/tmp) is not followed
//   unless the folder is that user's (the kernel's rule for such folders; links are resolved here
//   by hand, so the kernel does not apply it): anyone may plant one under a name about to be
//   written, pointing at a file of the writer's;
// - an existing file's permission bits, and, when run as root, its owner and group (an ordinary
//   user keeps the group when a member of it);
// - a read-only existing file is not replaced (permission denied);
// - in a sticky shared folder (/tmp), where only a file's owner may replace it, a file that the
//   user may write is rewritten in place after its space has been reserved.
// A target that is not a regular file (a device, a FIFO, a socket) is refused as "not a regular
// file": what a save writes there is not kept, and a FIFO or a device may hold the writer for
// ever. The command-line tool allows devices and FIFOs (WriteIntoDevices), so that its outputs may
// go to /dev/stdout or into a pipe: they are then written straight into, having no place to be
// replaced, and a FIFO that nobody reads or a socket is still refused at once. A name that leads to
// one of the process's own open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N) is written
// through a copy of that descriptor, at its place in the file, appending where it appends, as the
// shell set it up (the windows refuse it as not a regular file).
//
// The hidden names stay within the folder's longest name: a target whose name is at that limit
// gets a hidden name with its own name shortened.
//
// A file the program owns outright (the downloaded installer) opens with Options instead: the
// name itself is replaced, whatever it is now (a symbolic link, a FIFO, a read-only file), never
// written through, and the new file gets fixed permission bits.
//
// Plain C++ and POSIX; used by every writer of output files (project, report pages, exports, the
// PDF printer, the downloaded installer). Not thread-safe per object.

#include <functional>
#include <string>
#include <string_view>

#include "core/file_failure.h"

namespace vm {

// write(2) as the writer calls it; tests replace it to fail part-way or write a little at a time.
using WriteFunction = std::function<long(int fd, const char* data, unsigned long size)>;

class AtomicFile {
public:
    struct Options {
        // The name is replaced as it is, never followed: a link there becomes the new file and
        // the file it pointed to stays; a FIFO or device there is replaced, not written into; an
        // earlier file is replaced even when read-only, and nothing is ever rewritten in place.
        bool replaceLinkItself = false;
        // The name is one the program made, not one the user gave (a page numbered by its set):
        // a symbolic link there is replaced itself, never written through, since nobody chose
        // to send that page elsewhere. Anything else there is treated as for any save.
        bool nameMadeByProgram = false;
        // The new file's permission bits; -1 keeps the earlier file's (a new file gets 0666 less
        // the process's mask).
        int mode = -1;
    };

    AtomicFile() = default;
    // Discards the new file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;

    // Prepares an empty new file that is to take `target`'s place. Returns false, with Error()
    // set, when the target is a folder, an existing read-only file, a link loop, not a regular
    // file (see WriteIntoDevices), or when no file can be created in its folder. `write`
    // replaces write(2) for the writes of this object.
    bool Open(const std::string& target, const WriteFunction& write = {});
    bool Open(const std::string& target, const Options& options, const WriteFunction& write = {});

    // Appends bytes, repeating short writes. Returns false, with Error() set, on the first failure;
    // every later Write and the Commit fail then too.
    bool Write(const void* data, size_t size);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

    // A path through which other code may write the new file's content while it is open
    // ("/proc/self/fd/N" for an unnamed file, else the temporary file's own name). What is written
    // there replaces what Write wrote. "" for a target that is one of the process's descriptors:
    // opened again by a name, it would be written from its start, over what it held.
    std::string ContentPath() const;

    // Ends the writing and closes the new file's descriptor: the content waits, handed to the
    // disk, under a hidden name beside the target (removed at the end of the process, as the
    // named temporary files are) for Commit or Discard. A set of many files thus takes its
    // places together without holding a descriptor for each. A device or FIFO written straight
    // into keeps its descriptor until Commit. False, with Error() set, on failure; the new file
    // is then gone.
    bool CloseUntilCommit();

    // Flushes the new file to disk, gives it the earlier file's mode (and owner) and puts it in
    // the target's place. Returns false, with Error() set, when anything fails; the earlier file
    // is then unchanged and no temporary file remains.
    bool Commit();

    // Removes the new file; the target stays as it was. Nothing happens after a Commit.
    void Discard();

    // The last failure (kind None while there is none).
    const FileFailure& Failure() const { return m_failure; }
    // The last failure in English ("" while none), naming the file once.
    const std::string& Error() const { return m_error; }
    // The file that is replaced: the target, with symbolic links followed.
    const std::string& Target() const { return m_target; }
    bool IsOpen() const { return m_fd >= 0; }

    // Whether unnamed (O_TMPFILE) files are tried first (initially true); the downloaded
    // installer's file follows the same choice. Tests turn it off to run the named temporary file
    // that file systems without them get.
    static void UseUnnamedFiles(bool allowed);
    static bool UnnamedFilesUsed();

    // Whether a target that is a device or a FIFO with a reader is written straight into
    // (initially false: every target that is not a regular file is refused). For the whole
    // process; the command-line tool turns it on.
    static void WriteIntoDevices(bool allowed);

private:
    bool fail(FileFailureKind kind, const std::string& file, int err);
    bool openDescriptor(const std::string& name, int descriptor);
    bool commitInPlace();
    void closeAndRemove();
    bool nameUnnamedFile();
    bool reopenClosedFile();

    std::string m_target;    // links followed
    std::string m_folder;    // the target's folder, ending in "/"
    std::string m_tempName;  // the named temporary file; "" for an unnamed one or a device
    int m_fd = -1;
    bool m_direct = false;      // writing straight into a device or FIFO
    bool m_descriptor = false;  // writing through a copy of one of the process's descriptors
    bool m_failed = false;
    FileFailure m_failure;
    std::string m_error;
    WriteFunction m_write;
    Options m_options;
    unsigned long long m_written = 0;  // bytes written so far
    unsigned long long m_started = 0;  // bytes the disk has been told to write back
    bool m_closed = false;             // closed until Commit (CloseUntilCommit)
    unsigned long long m_closedDevice = 0;  // the closed file, known again when it is reopened
    unsigned long long m_closedInode = 0;
};

// A name for a hidden file beside `target`: its folder, ".", its name (shortened where the whole
// would be longer than the folder's longest name), "." and six hex digits that differ from call to
// call and from process to process. Nothing is created.
std::string HiddenSiblingName(const std::string& target);

// Writes `bytes` as the whole new content of `target` through an AtomicFile. Returns false with
// `error` (when given) set on failure; the earlier file is then unchanged.
bool WriteFileAtomically(const std::string& target, std::string_view bytes,
                         std::string* error = nullptr, const WriteFunction& write = {});
// The same, with the failure as a value for a caller that words it in its own language.
bool WriteFileAtomically(const std::string& target, std::string_view bytes, FileFailure* failure,
                         const WriteFunction& write = {});

}  // namespace vm
