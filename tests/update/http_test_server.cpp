#include "http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

HttpTestServer::HttpTestServer(Handler handler) : m_handler(std::move(handler)) {
    m_listen = BoundSocket(m_port);
    if (listen(m_listen, 8) != 0) {
        close(m_listen);
        throw std::runtime_error("listen");
    }
    m_acceptor = std::thread([this] {
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
            m_open.push_back(fd);
            m_threads.emplace_back([this, fd] { Serve(fd); });
        }
    });
}

HttpTestServer::~HttpTestServer() {
    m_stop = true;
    m_acceptor.join();
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_open) {
            shutdown(fd, SHUT_RDWR);
        }
    }
    for (std::thread& t : m_threads) {
        t.join();
    }
    close(m_listen);
}

std::vector<std::string> HttpTestServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpTestServer::Serve(int fd) {
    Connection connection{fd, "", &m_stop};
    char c = 0;
    while (connection.request.find("\r\n\r\n") == std::string::npos &&
           Readable(fd, m_stop, 10'000) && recv(fd, &c, 1, 0) == 1) {
        connection.request += c;
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(connection.request);
    }
    m_handler(connection);
    std::lock_guard lock(m_mutex);
    std::erase(m_open, fd);
    close(fd);
}

int RefusedPort() {
    int port = 0;
    close(BoundSocket(port));
    return port;
}

std::string InstallerAnswer(std::string_view body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           std::string(body);
}

std::string PageAnswer(std::string_view body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + std::string(body);
}

}  // namespace vm::test
