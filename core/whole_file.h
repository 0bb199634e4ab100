#pragma once
// A file read whole, as its bytes: small system files (/etc/os-release, /proc/meminfo,
// /proc/self/mountinfo) whose size the file system does not know beforehand, project files, page
// files and images. Only regular files are read: a FIFO, a device (/dev/zero) or a socket is
// refused before any byte is read, so nothing waits for a writer or reads without end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

inline constexpr size_t kAnyFileSize = SIZE_MAX;

// Why a file was not read.
struct WholeFileFault {
    enum class Kind {
        CannotOpen,  // `error` says why; ENOENT when there is no such file
        Folder,      // the name is a folder's
        NotRegular,  // a FIFO, a device or a socket
        TooLarge,    // more bytes than the limit
        CannotRead,  // `error` says why
    };
    Kind kind = Kind::CannotOpen;
    int error = 0;  // errno of the open, fstat or read that failed; 0 for the other kinds

    bool Missing() const;  // no file of that name (nor a folder of the path)
};

// The file's bytes exactly as stored (no line-end or encoding conversion): "" for an empty file,
// nullopt (with *fault, when given, saying why) when it cannot be read or holds more than
// `maxBytes` bytes. No more than one read's worth beyond `maxBytes` is read, even when the file
// system gives no size (as in /proc) or the file grows meanwhile.
std::optional<std::string> ReadWholeFileIfAny(const std::string& path,
                                              size_t maxBytes = kAnyFileSize,
                                              WholeFileFault* fault = nullptr);
std::optional<std::vector<uint8_t>> ReadWholeFileBytesIfAny(const std::string& path,
                                                            size_t maxBytes = kAnyFileSize,
                                                            WholeFileFault* fault = nullptr);

// Everything a descriptor of any kind gives until its end (standard input, a pipe), waiting for
// its writer; nullopt (with *fault saying why: CannotRead or TooLarge) when a read fails or more
// than `maxBytes` bytes arrive.
std::optional<std::string> ReadWholeStream(int fd, size_t maxBytes = kAnyFileSize,
                                           WholeFileFault* fault = nullptr);

// Writes all of `bytes` to a descriptor of any kind (standard output, a pipe), waiting where it
// does not block; false with `*error` (when given) set to the errno of the write that failed.
bool WriteWholeStream(int fd, std::string_view bytes, int* error = nullptr);

// The same with "" (no bytes) for a file that cannot be read: for callers to whom a missing file
// and an empty one are alike.
std::string ReadWholeFile(const std::string& path);
std::vector<uint8_t> ReadWholeFileBytes(const std::string& path);

}  // namespace vm
