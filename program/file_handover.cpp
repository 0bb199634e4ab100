#include "program/file_handover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <utility>

#include "runtime/process.h"

namespace vm {

namespace {

// A path longer than the file system allows is refused before it is read whole.
constexpr std::size_t kMaxPathBytes = 4096;
constexpr int kExchangeTimeoutMs = 5000;
const char kReceipt = '1';

bool socketAddress(const std::string& socketFile, sockaddr_un& address, std::string* error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (socketFile.size() >= sizeof address.sun_path) {
        *error = "O caminho do soquete é longo demais: " + socketFile;
        return false;
    }
    std::memcpy(address.sun_path, socketFile.c_str(), socketFile.size() + 1);
    return true;
}

// Waits for the descriptor to be ready for `events`; false at the time-out.
bool waitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    int n = 0;
    do {
        n = poll(&p, 1, kExchangeTimeoutMs);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        if (!waitFor(fd, POLLOUT)) {
            return false;
        }
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads one path, ended by a NUL byte, from a connection; false when it is cut short or too long.
bool receivePath(int fd, std::string& path) {
    char buffer[512];
    while (path.size() <= kMaxPathBytes) {
        if (!waitFor(fd, POLLIN)) {
            return false;
        }
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        const char* end = static_cast<const char*>(std::memchr(buffer, '\0', std::size_t(n)));
        path.append(buffer, end ? std::size_t(end - buffer) : std::size_t(n));
        if (end) {
            return !path.empty() && path.size() <= kMaxPathBytes;
        }
    }
    return false;
}

std::string absolute(const std::string& file) {
    if (!file.empty() && file.front() == '/') {
        return file;
    }
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + file : file;
}

}  // namespace

std::string handoverSocketFile(const std::string& lockFile) {
    return lockFile + ".socket";
}

bool listenForFiles(const std::string& socketFile, std::function<void(const std::string&)> open,
                    std::string* error) {
    sockaddr_un address{};
    if (!socketAddress(socketFile, address, error)) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    // The caller holds the single-instance lock: a socket file found here is a left-over.
    unlink(socketFile.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        *error = std::strerror(errno) + std::string(": ") + socketFile;
        close(fd);
        return false;
    }
    RemoveAtProcessEnd(socketFile);
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [fd, open = std::move(open)] {
        const int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            return;
        }
        std::string path;
        const bool received = receivePath(connection, path);
        if (received) {
            sendAll(connection, &kReceipt, 1);
        }
        close(connection);
        if (received) {
            // Opened once the notifier's turn is over: opening may ask questions in boxes.
            QTimer::singleShot(0, [open, path] { open(path); });
        }
    });
    return true;
}

bool handFileOver(const std::string& socketFile, const std::string& file, std::string* error) {
    sockaddr_un address{};
    if (!socketAddress(socketFile, address, error)) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    const std::string path = absolute(file);
    char receipt = 0;
    bool done = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = "O programa em execução não atende em " + socketFile + ": " + std::strerror(errno);
    } else if (!sendAll(fd, path.c_str(), path.size() + 1) || !waitFor(fd, POLLIN) ||
               recv(fd, &receipt, 1, 0) != 1 || receipt != kReceipt) {
        *error = "O programa em execução não confirmou o recebimento do arquivo.";
    } else {
        done = true;
    }
    close(fd);
    return done;
}

}  // namespace vm
