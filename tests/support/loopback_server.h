#pragma once
// A TCP server on 127.0.0.1 with an ephemeral port, for the network tests and the download
// benchmark, written with bare POSIX calls so that it shares no code with the client under test.
// Every connection is served on a thread of its own by the handler the server was given, which
// answers (or misbehaves: stays silent, trickles, sends without end, closes at once) and returns;
// the server then closes the connection. HttpTestServer first reads each request, records it and
// hands it to the handler with the connection.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
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
    // HttpTestServer: the request as received, its header up to and with the empty line and as
    // many body bytes as its Content-Length announces. Empty for a LoopbackServer.
    std::string request;
    const std::atomic<bool>* stop = nullptr;  // raised when the server goes away

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

class LoopbackServer {
public:
    using Handler = std::function<void(const Connection&)>;
    explicit LoopbackServer(Handler handler);
    // Stops accepting, ends the connections still open (their handlers see `stop` and fail to
    // send) and waits for every handler.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }
    // Waits until a connection has come (20 s at the most) and every handler started so far has
    // returned and its connection is closed.
    void Join();
    // HttpTestServer: the requests received so far, in order.
    std::vector<std::string> Requests() const;

protected:
    enum class FirstRead { Nothing, Request };
    LoopbackServer(Handler handler, FirstRead first);

private:
    struct Worker {
        std::thread thread;
        bool done = false;
    };
    void Accept();
    void Serve(int fd, Worker& worker);

    Handler m_handler;
    FirstRead m_first;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_served;
    int m_accepted = 0;
    std::vector<std::string> m_requests;
    std::vector<int> m_open;
    std::list<Worker> m_workers;
    std::thread m_acceptor;
};

// The loopback server as an HTTP server.
class HttpTestServer : public LoopbackServer {
public:
    explicit HttpTestServer(Handler handler)
        : LoopbackServer(std::move(handler), FirstRead::Request) {}
};

// A port on 127.0.0.1 where nobody listens.
int RefusedPort();

}  // namespace vm::test
