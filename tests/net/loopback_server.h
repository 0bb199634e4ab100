#pragma once
// A TCP server on 127.0.0.1 with an ephemeral port, written with bare POSIX calls so that it does
// not share code with the client under test. It serves one connection on its own thread with the
// handler it is given, then closes that connection.

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace vm::test {

class LoopbackServer {
public:
    using Handler = std::function<void(int fd)>;
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }
    // Waits until the handler has returned and the connection is closed.
    void Join();

private:
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
};

// Sends every byte; false once the peer has gone.
bool SendAll(int fd, std::string_view bytes);
// One HTTP request as received: the header up to and with the empty line, and as many body bytes
// as its Content-Length announces.
std::string ReadRequest(int fd);
// Everything until the client closes.
std::string ReadUntilClosed(int fd);
// Sends `chunk` again and again until the client has gone.
void SendForever(int fd, std::string_view chunk);
// A port on 127.0.0.1 where nobody listens.
int RefusedPort();

}  // namespace vm::test
