#include "net/socket_primitives.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace vm {

namespace {

std::atomic<bool> g_started{false};

void SetStatus(NetStatus* status, NetStatus value) {
    if (status)
        *status = value;
}

using Clock = std::chrono::steady_clock;

// The first IPv4 address of a host name, asked of the system's resolver (which may wait long).
bool LookUp(const std::string& host, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

// The first IPv4 address of a dotted address or a host name. The resolver has no time limit of its
// own: with `timeoutMs` (not -1) the name is looked up on a thread of its own, and when no answer
// has come in time that thread is left to finish alone and the result is TimedOut.
NetStatus Resolve(const std::string& host, in_addr& address, int timeoutMs) {
    if (host.empty())
        return NetStatus::Failed;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
        return NetStatus::Ok;
    if (timeoutMs < 0)
        return LookUp(host, address) ? NetStatus::Ok : NetStatus::Failed;

    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool found = false;
        in_addr address{};
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host] {
            in_addr found{};
            const bool ok = LookUp(host, found);
            const std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->found = ok;
            lookup->address = found;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return NetStatus::Failed;
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return lookup->finished; }))
        return NetStatus::TimedOut;
    if (!lookup->found)
        return NetStatus::Failed;
    address = lookup->address;
    return NetStatus::Ok;
}

bool SetBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

// Polls one descriptor, going on after signals; -1 waits without limit. Returns poll's result.
int PollFor(int fd, short events, int timeoutMs, short& revents) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd p{fd, events, 0};
        int wait = timeoutMs;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            wait = left < 0 ? 0 : static_cast<int>(left);
        }
        const int r = poll(&p, 1, wait);
        if (r < 0 && errno == EINTR)
            continue;
        revents = p.revents;
        return r;
    }
}

// A fresh IPv4 stream socket for `address`:`port`, the name looked up within `timeoutMs` (-1: no
// limit); -1 when the layer is not started, the port is out of range, the name does not resolve in
// time or no socket can be made (`status` tells which).
int NewSocketFor(const std::string& address, int port, sockaddr_in& target, int timeoutMs,
                 NetStatus& status) {
    status = NetStatus::Failed;
    if (!g_started.load() || port < 0 || port > 65535)
        return -1;
    in_addr resolved{};
    status = Resolve(address, resolved, timeoutMs);
    if (status != NetStatus::Ok)
        return -1;
    target = sockaddr_in{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    target.sin_addr = resolved;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    status = fd < 0 ? NetStatus::Failed : NetStatus::Ok;
    return fd;
}

// Milliseconds left until `end`, at least 0; -1 when there is no end.
int MsLeft(const std::optional<Clock::time_point>& end) {
    if (!end)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*end - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
}

struct StartSocket {
    StartSocket() {
        SocketInit();
        std::atexit(SocketExit);
    }
};
const StartSocket g_startSocket;

}  // namespace

int SocketInit() {
    g_started.store(true);
    return 0;
}

void SocketExit() {
    g_started.store(false);
}

bool SocketStarted() {
    return g_started.load();
}

bool SocketConnect(int& handle, const std::string& host, int port, int timeoutMs,
                   NetStatus* status) {
    // The time-out covers the name's look-up and the connection together.
    std::optional<Clock::time_point> end;
    if (timeoutMs >= 0)
        end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sockaddr_in target{};
    NetStatus made = NetStatus::Failed;
    const int fd = NewSocketFor(host, port, target, timeoutMs, made);
    if (fd < 0) {
        SetStatus(status, made);
        return false;
    }
    handle = fd;
    // The connection is made without blocking so that a host that never answers can be given up.
    if (!SetBlocking(fd, false)) {
        SetStatus(status, NetStatus::Failed);
        return false;
    }
    int result = connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (result != 0 && (errno == EINPROGRESS || errno == EINTR)) {
        short revents = 0;
        const int ready = PollFor(fd, POLLOUT, MsLeft(end), revents);
        if (ready == 0) {
            SetBlocking(fd, true);
            SetStatus(status, NetStatus::TimedOut);
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = EIO;
        result = error == 0 ? 0 : -1;
    }
    SetBlocking(fd, true);
    SetStatus(status, result == 0 ? NetStatus::Ok : NetStatus::Failed);
    return result == 0;
}

bool SocketSend(int handle, std::string_view text, int timeoutMs, NetStatus* status) {
    if (!g_started.load() || handle == -1) {
        SetStatus(status, NetStatus::NotConnected);
        return false;
    }
    if (timeoutMs != -1) {
        timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        setsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    std::size_t sent = 0;
    do {
        const ssize_t n = send(handle, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetStatus(status, (errno == EAGAIN || errno == EWOULDBLOCK) ? NetStatus::TimedOut
                                                                        : NetStatus::Failed);
            return false;
        }
        sent += static_cast<std::size_t>(n);
    } while (sent < text.size());
    SetStatus(status, NetStatus::Ok);
    return true;
}

int SocketReceive(int handle, std::string& buffer, int timeoutMs, NetStatus* status) {
    if (!g_started.load() || handle == -1 || buffer.empty()) {
        SetStatus(status, NetStatus::NotConnected);
        return 0;
    }
    const int n = SocketReceiveInto(handle, buffer.data(), buffer.size(), timeoutMs, status);
    buffer.resize(static_cast<std::size_t>(n));
    return n;
}

int SocketReceiveInto(int handle, char* data, std::size_t size, int timeoutMs, NetStatus* status) {
    if (!g_started.load() || handle == -1 || size == 0) {
        SetStatus(status, NetStatus::NotConnected);
        return 0;
    }
    ssize_t n = -1;
    bool received = false;
    if (timeoutMs != -1) {
        // What is already waiting is read at once; only an empty socket is waited on, within the
        // time limit.
        do {
            n = recv(handle, data, size, MSG_DONTWAIT);
        } while (n < 0 && errno == EINTR);
        received = n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        if (!received) {
            short revents = 0;
            if (PollFor(handle, POLLIN, timeoutMs, revents) == 0) {
                SetStatus(status, NetStatus::TimedOut);
                return 0;
            }
        }
    }
    if (!received) {
        do {
            n = recv(handle, data, size, 0);
        } while (n < 0 && errno == EINTR);
    }
    if (n <= 0) {
        SetStatus(status, n == 0 ? NetStatus::Closed : NetStatus::Failed);
        return 0;
    }
    SetStatus(status, NetStatus::Ok);
    return static_cast<int>(std::min<ssize_t>(n, INT_MAX));
}

bool SocketClose(int& handle) {
    const int fd = handle;
    handle = -1;
    if (fd < 0)
        return false;
    return close(fd) == 0;
}

bool SocketBind(int& handle, const std::string& address, int port) {
    sockaddr_in target{};
    NetStatus made = NetStatus::Failed;
    const int fd = NewSocketFor(address, port, target, -1, made);
    if (fd < 0)
        return false;
    handle = fd;
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    return bind(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

bool SocketListen(int handle, int backlog, int& newHandle) {
    if (!g_started.load() || handle == -1)
        return false;
    if (listen(handle, backlog) != 0)
        return false;
    int fd;
    do {
        fd = accept4(handle, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    newHandle = fd;
    return true;
}

std::string SocketLocalName() {
    char name[80] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "";
    return name;
}

std::vector<std::string> SocketLocalAddress() {
    std::vector<std::string> addresses;
    const std::string name = SocketLocalName();
    if (name.empty())
        return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text))
            addresses.emplace_back(text);
    }
    freeaddrinfo(found);
    return addresses;
}

int SocketLocalPort(int handle) {
    if (handle < 0)
        return 0;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

}  // namespace vm
