#include "tests/fuzz/update/server_answer.h"

#include <sys/socket.h>
#include <unistd.h>

namespace vm::fuzz {

namespace {

// Inputs above this are passed over without trying: they would not fit into the pair's buffer.
constexpr std::size_t kMaxBytes = 64 * 1024;

}  // namespace

ServerAnswer::ServerAnswer(const std::uint8_t* data, std::size_t size)
    : m_bytes(reinterpret_cast<const char*>(data), size) {
    int ends[2];
    if (size > kMaxBytes || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    m_client = TSocket(ends[0]);
    m_server = ends[1];
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n =
            send(m_server, m_bytes.data() + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    shutdown(m_server, SHUT_WR);
    m_client.SetReceiveTimeout(1000);
    m_ready = sent == size;
}

ServerAnswer::~ServerAnswer() {
    m_client.Close();
    if (m_server >= 0) {
        close(m_server);
    }
}

}  // namespace vm::fuzz
