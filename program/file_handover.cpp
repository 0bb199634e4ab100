#include "program/file_handover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <thread>
#include <utility>

#include "core/system_reason.h"
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

using Clock = std::chrono::steady_clock;

// Waits for the descriptor to be ready for `events` until `deadline`; false once it has passed.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    int n = 0;
    do {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd p{fd, events, 0};
        n = poll(&p, 1, static_cast<int>(left));
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

// One exchange's deadline: the whole of it, however the other side paces its bytes.
Clock::time_point exchangeDeadline() {
    return Clock::now() + std::chrono::milliseconds(kExchangeTimeoutMs);
}

bool sendAll(int fd, const char* data, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        if (!waitFor(fd, POLLOUT, deadline)) {
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

// Reads one path, ended by a NUL byte, from a connection; false when it is cut short, too long or
// not whole by `deadline`.
bool receivePath(int fd, std::string& path, Clock::time_point deadline) {
    char buffer[512];
    while (path.size() <= kMaxPathBytes) {
        if (!waitFor(fd, POLLIN, deadline)) {
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

// The listening end. A connection is read on a thread of its own, so that a client that sends
// its bytes slowly never holds up the window, and within one deadline for the whole path. The
// paths received wait, in order, until the window is free to open one: no modal dialog is open
// and no command runs an event loop of its own (a dialog that has just closed returns to the
// command that opened it, which goes on with the project it had).
class Handover final : public QObject {
public:
    Handover(int fd, std::function<void(const std::string&)> open, QObject* parent)
        : QObject(parent), m_open(std::move(open)), m_notifier(fd, QSocketNotifier::Read, this) {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this, fd] { accepted(fd); });
        m_wait.setInterval(kWaitStepMs);
        connect(&m_wait, &QTimer::timeout, this, [this] { openWhenFree(); });
    }

private:
    static constexpr int kWaitStepMs = 50;
    // Connections read at the same time; more are closed at once.
    static constexpr int kMaxReaders = 8;

    void accepted(int fd) {
        const int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            return;
        }
        if (m_readers->fetch_add(1) >= kMaxReaders) {
            m_readers->fetch_sub(1);
            close(connection);
            return;
        }
        QPointer<Handover> self(this);
        std::thread([self, connection, readers = m_readers] {
            const Clock::time_point deadline = exchangeDeadline();
            std::string path;
            QCoreApplication* app = QCoreApplication::instance();
            if (receivePath(connection, path, deadline) && app != nullptr) {
                // Queued for the window before the receipt: once the sender has it, the path
                // is among the window's events.
                QMetaObject::invokeMethod(
                    app,
                    [self, path] {
                        if (self) {
                            self->arrived(path);
                        }
                    },
                    Qt::QueuedConnection);
                sendAll(connection, &kReceipt, 1, deadline);
            }
            close(connection);
            readers->fetch_sub(1);
        }).detach();
    }

    void arrived(const std::string& path) {
        m_pending.push_back(path);
        openWhenFree();
    }

    // The window is free when no modal dialog is open and the event loop running is the main
    // window's own, the first one the program runs: a command in a nested loop (a dialog's, the
    // preview's, a wait's) has not returned yet, even in the moment after its dialog closed.
    static bool windowFree() {
        return QApplication::activeModalWidget() == nullptr &&
               QThread::currentThread()->loopLevel() <= 1;
    }

    void openWhenFree() {
        if (m_pending.empty() || m_opening) {
            m_wait.stop();
            return;
        }
        if (!windowFree()) {
            m_wait.start();
            return;
        }
        m_wait.stop();
        const std::string path = m_pending.front();
        m_pending.pop_front();
        // Opening may ask questions in boxes; a path that arrives meanwhile waits for them.
        m_opening = true;
        m_open(path);
        m_opening = false;
        if (!m_pending.empty()) {
            m_wait.start();
        }
    }

    std::function<void(const std::string&)> m_open;
    QSocketNotifier m_notifier;
    QTimer m_wait;
    std::deque<std::string> m_pending;
    bool m_opening = false;
    // Shared with the reading threads, which may outlive the object at the process's end.
    std::shared_ptr<std::atomic<int>> m_readers = std::make_shared<std::atomic<int>>(0);
};

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
        *error = PortugueseSystemReason(errno);
        return false;
    }
    // The caller holds the single-instance lock: a socket file found here is a left-over.
    unlink(socketFile.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 8) != 0) {
        *error = PortugueseSystemReason(errno) + std::string(": ") + socketFile;
        close(fd);
        return false;
    }
    RemoveAtProcessEnd(socketFile);
    // Owned by the application, so it goes when the application does.
    new Handover(fd, std::move(open), QCoreApplication::instance());
    return true;
}

bool handFileOver(const std::string& socketFile, const std::string& file, std::string* error) {
    sockaddr_un address{};
    if (!socketAddress(socketFile, address, error)) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = PortugueseSystemReason(errno);
        return false;
    }
    const std::string path = absolute(file);
    char receipt = 0;
    bool done = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = "O programa em execução não atende em " + socketFile + ": " + PortugueseSystemReason(errno);
    } else if (!sendAll(fd, path.c_str(), path.size() + 1, exchangeDeadline()) ||
               !waitFor(fd, POLLIN, exchangeDeadline()) || recv(fd, &receipt, 1, 0) != 1 ||
               receipt != kReceipt) {
        *error = "O programa em execução não confirmou o recebimento do arquivo.";
    } else {
        done = true;
    }
    close(fd);
    return done;
}

}  // namespace vm
