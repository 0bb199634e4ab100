#pragma once
// An HTTP server on 127.0.0.1 with an ephemeral port for the update tests, written with bare POSIX
// calls so that it shares no code with the client under test. Every connection is served on a
// thread of its own: the server reads the request's header, records it and hands the connection
// to the test's handler, which answers (or misbehaves) and returns; the server then closes it.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vm::test {

// A point where a handler waits until the test lets it go on.
class Gate {
public:
    void Open();
    // True once the gate is open; false when `stop` was raised first.
    bool Wait(const std::atomic<bool>& stop);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

struct Connection {
    int fd = -1;
    std::string request;  // the header as received, up to and with the empty line
    const std::atomic<bool>* stop = nullptr;

    // Sends every byte; false once the client has gone.
    bool Send(std::string_view bytes) const;
    // Sends `chunk` again and again until the client has gone or the server stops.
    void SendForever(std::string_view chunk) const;
    // Returns when the client has closed its side or the server stops; reads and drops what comes.
    void WaitForClose() const;
    bool Wait(Gate& gate) const { return gate.Wait(*stop); }
    // True when the request asks for `path`.
    bool Asks(std::string_view path) const;
};

class HttpTestServer {
public:
    using Handler = std::function<void(const Connection&)>;
    explicit HttpTestServer(Handler handler);
    // Stops accepting, ends the connections still open (their handlers see `stop`) and waits for
    // every handler.
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int Port() const { return m_port; }
    // The requests received so far, in order.
    std::vector<std::string> Requests() const;

private:
    void Serve(int fd);

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<int> m_open;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};

// A port on 127.0.0.1 where nobody listens.
int RefusedPort();

// "HTTP/1.1 200 OK", a Content-Length of the body's size, an empty line and the body.
std::string InstallerAnswer(std::string_view body);
// The version page: "HTTP/1.0 200 OK", a content type, an empty line and the body.
std::string PageAnswer(std::string_view body);

}  // namespace vm::test
