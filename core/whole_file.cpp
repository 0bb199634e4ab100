#include "core/whole_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vm {
namespace {

// Reads `fd` until its end into `bytes`, waiting for a pipe's writer where the descriptor does
// not block; nothing when more than `maxBytes` arrive or a read fails.
template <class Bytes>
std::optional<Bytes> ReadToEnd(int fd, size_t maxBytes, Bytes bytes, WholeFileFault* fault) {
    using Kind = WholeFileFault::Kind;
    const auto fail = [fault](Kind kind, int error) -> std::optional<Bytes> {
        if (fault != nullptr) {
            *fault = {kind, error};
        }
        return std::nullopt;
    };
    char buf[65536];
    while (bytes.size() <= maxBytes) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLIN, 0};
            poll(&wait, 1, -1);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail(Kind::CannotRead, errno);
        }
        if (n == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return fail(Kind::TooLarge, 0);
}

// One implementation for both kinds of byte container.
template <class Bytes>
std::optional<Bytes> ReadInto(const std::string& path, size_t maxBytes, WholeFileFault* fault) {
    using Kind = WholeFileFault::Kind;
    const auto fail = [fault](Kind kind, int error) -> std::optional<Bytes> {
        if (fault != nullptr) {
            *fault = {kind, error};
        }
        return std::nullopt;
    };
    // Without O_NONBLOCK, opening a FIFO would wait for a writer; a regular file ignores it.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return fail(Kind::CannotOpen, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return fail(Kind::CannotOpen, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return fail(Kind::Folder, 0);
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(Kind::NotRegular, 0);
    }
    if (st.st_size > 0 && static_cast<uintmax_t>(st.st_size) > maxBytes) {
        return fail(Kind::TooLarge, 0);
    }
    Bytes bytes;
    if (st.st_size > 0) {
        bytes.reserve(static_cast<size_t>(st.st_size));
    }
    return ReadToEnd(fd, maxBytes, std::move(bytes), fault);
}

}  // namespace

bool WholeFileFault::Missing() const {
    return kind == Kind::CannotOpen && (error == ENOENT || error == ENOTDIR);
}

std::optional<std::string> ReadWholeFileIfAny(const std::string& path, size_t maxBytes,
                                              WholeFileFault* fault) {
    return ReadInto<std::string>(path, maxBytes, fault);
}

std::optional<std::vector<uint8_t>> ReadWholeFileBytesIfAny(const std::string& path,
                                                            size_t maxBytes,
                                                            WholeFileFault* fault) {
    return ReadInto<std::vector<uint8_t>>(path, maxBytes, fault);
}

std::optional<std::string> ReadWholeStream(int fd, size_t maxBytes, WholeFileFault* fault) {
    return ReadToEnd(fd, maxBytes, std::string(), fault);
}

bool WriteWholeStream(int fd, std::string_view bytes, int* error) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLOUT, 0};
            poll(&wait, 1, -1);
            continue;
        }
        if (n <= 0) {
            if (error != nullptr) {
                *error = n < 0 ? errno : EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string ReadWholeFile(const std::string& path) {
    return ReadWholeFileIfAny(path).value_or(std::string());
}

std::vector<uint8_t> ReadWholeFileBytes(const std::string& path) {
    return ReadWholeFileBytesIfAny(path).value_or(std::vector<uint8_t>());
}

}  // namespace vm
