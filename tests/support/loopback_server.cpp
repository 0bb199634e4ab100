#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace vm::test {

namespace {

constexpr int kTickMs = 20;

int BoundSocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket");
    }
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("bind");
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// Waits until `fd` is readable; false when the server stops or the wait runs out first.
bool Readable(int fd, const std::atomic<bool>& stop, int limitMs) {
    for (int waited = 0; waited < limitMs && !stop; waited += kTickMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kTickMs) > 0) {
            return true;
        }
    }
    return false;
}

// One byte, unless the client stays silent for 10 s or the server stops.
bool ReceiveByte(int fd, const std::atomic<bool>& stop, char& c) {
    return Readable(fd, stop, 10'000) && recv(fd, &c, 1, 0) == 1;
}

// The header up to and with the empty line, then as many body bytes as its Content-Length
// announces. Byte by byte, so that nothing after the request is taken from the socket.
std::string ReadRequest(int fd, const std::atomic<bool>& stop) {
    std::string request;
    char c = 0;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!ReceiveByte(fd, stop, c)) {
            return request;
        }
        request += c;
    }
    std::size_t body = 0;
    const auto at = request.find("Content-Length: ");
    if (at != std::string::npos) {
        body = std::strtoul(request.c_str() + at + 16, nullptr, 10);
    }
    for (; body > 0 && ReceiveByte(fd, stop, c); --body) {
        request += c;
    }
    return request;
}

}  // namespace

void Gate::Open() {
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_cv.notify_all();
}

bool Gate::Wait(const std::atomic<bool>& stop) {
    std::unique_lock lock(m_mutex);
    while (!m_open && !stop) {
        m_cv.wait_for(lock, std::chrono::milliseconds(kTickMs));
    }
    return m_open;
}

bool Connection::Send(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void Connection::SendForever(std::string_view chunk) const {
    while (!*stop && Send(chunk)) {
    }
}

void Connection::WaitForClose() const {
    char buffer[4096];
    while (Readable(fd, *stop, 60'000)) {
        if (recv(fd, buffer, sizeof buffer, 0) <= 0) {
            return;
        }
    }
}

bool Connection::Asks(std::string_view path) const {
    const std::string line = request.substr(0, request.find("\r\n"));
    return line.find(std::string(" ") + std::string(path) + " ") != std::string::npos;
}

LoopbackServer::LoopbackServer(Handler handler)
    : LoopbackServer(std::move(handler), FirstRead::Nothing) {}

LoopbackServer::LoopbackServer(Handler handler, FirstRead first)
    : m_handler(std::move(handler)), m_first(first) {
    m_listen = BoundSocket(m_port);
    if (listen(m_listen, 8) != 0) {
        close(m_listen);
        throw std::runtime_error("listen");
    }
    m_acceptor = std::thread([this] { Accept(); });
}

LoopbackServer::~LoopbackServer() {
    m_stop = true;
    m_acceptor.join();
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_open) {
            shutdown(fd, SHUT_RDWR);
        }
    }
    for (Worker& worker : m_workers) {
        worker.thread.join();
    }
    close(m_listen);
}

void LoopbackServer::Accept() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (poll(&p, 1, kTickMs) <= 0) {
            continue;
        }
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        // The threads of the connections already served end here, so that a long run of
        // connections (a benchmark's) does not keep a thread and its stack for each.
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if (it->done) {
                it->thread.join();
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
        ++m_accepted;
        m_open.push_back(fd);
        Worker& worker = m_workers.emplace_back();
        worker.thread = std::thread([this, fd, &worker] { Serve(fd, worker); });
    }
}

void LoopbackServer::Serve(int fd, Worker& worker) {
    Connection connection{fd, "", &m_stop};
    if (m_first == FirstRead::Request) {
        connection.request = ReadRequest(fd, m_stop);
        std::lock_guard lock(m_mutex);
        m_requests.push_back(connection.request);
    }
    m_handler(connection);
    std::lock_guard lock(m_mutex);
    std::erase(m_open, fd);
    close(fd);
    // The last thing this thread does under the lock: the acceptor may join it from here on.
    worker.done = true;
    m_served.notify_all();
}

void LoopbackServer::Join() {
    std::unique_lock lock(m_mutex);
    m_served.wait_for(lock, std::chrono::seconds(20),
                      [this] { return m_accepted > 0 && m_open.empty(); });
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int RefusedPort() {
    int port = 0;
    close(BoundSocket(port));
    return port;
}

}  // namespace vm::test
