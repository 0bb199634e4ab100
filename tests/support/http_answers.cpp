#include "tests/support/http_answers.h"

#include <algorithm>

namespace vm::test {

std::string InstallerAnswer(std::string_view body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           std::string(body);
}

std::string PageAnswer(std::string_view body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + std::string(body);
}

LoopbackServer::Handler LargeBodyAnswer(std::uint64_t size) {
    return [size](const Connection& connection) {
        static const std::string chunk = [] {
            std::string bytes(64 * 1024, '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                bytes[i] = static_cast<char>(i * 31);
            }
            return bytes;
        }();
        bool sending = connection.Send(
            "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
            std::to_string(size) + "\r\nConnection: close\r\n\r\n");
        for (std::uint64_t left = size; sending && left > 0;) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            sending = connection.Send(std::string_view(chunk).substr(0, n));
            left -= n;
        }
    };
}

}  // namespace vm::test
