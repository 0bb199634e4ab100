#include "tests/net/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace vm::test {

namespace {

int BoundSocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("bind");
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(Handler handler) {
    m_listen = BoundSocket(m_port);
    if (listen(m_listen, 4) != 0)
        throw std::runtime_error("listen");
    m_thread = std::thread([this, handler = std::move(handler)] {
        // A client that never comes must not hang the test run.
        pollfd p{m_listen, POLLIN, 0};
        if (poll(&p, 1, 20'000) <= 0)
            return;
        const int fd = accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            return;
        handler(fd);
        close(fd);
    });
}

LoopbackServer::~LoopbackServer() {
    Join();
    close(m_listen);
}

void LoopbackServer::Join() {
    if (m_thread.joinable())
        m_thread.join();
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string ReadRequest(int fd) {
    std::string request;
    char c;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (recv(fd, &c, 1, 0) != 1)
            return request;
        request += c;
    }
    std::size_t body = 0;
    const auto at = request.find("Content-Length: ");
    if (at != std::string::npos)
        body = std::strtoul(request.c_str() + at + 16, nullptr, 10);
    while (body > 0) {
        if (recv(fd, &c, 1, 0) != 1)
            break;
        request += c;
        --body;
    }
    return request;
}

std::string ReadUntilClosed(int fd) {
    std::string all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return all;
        all.append(buffer, static_cast<std::size_t>(n));
    }
}

void SendForever(int fd, std::string_view chunk) {
    while (SendAll(fd, chunk)) {
    }
}

int RefusedPort() {
    int port = 0;
    const int fd = BoundSocket(port);
    close(fd);
    return port;
}

}  // namespace vm::test
