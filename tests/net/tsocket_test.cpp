// TSocket against a real server on 127.0.0.1: line reading, pieces, whole streams, refused and
// silent peers, endless and trickling peers.

#include "net/tsocket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "net/socket_primitives.h"
#include "tests/support/loopback_server.h"

namespace vm {
namespace {

using test::Connection;
using test::LoopbackServer;

// A server that sends `bytes` and closes.
LoopbackServer::Handler Sends(std::string bytes) {
    return [bytes](const Connection& c) { c.Send(bytes); };
}

std::string Pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + i * 7 % 26);
    return text;
}

struct LineCase {
    const char* name;
    std::string sent;
    std::vector<std::string> lines;  // what successive ReceiveLine calls give, then ""
};

TEST(TSocketReceiveLine, SplitsTheStreamIntoLines) {
    const std::vector<LineCase> cases = {
        {"status line", "HTTP/1.0 200 OK\r\n", {"HTTP/1.0 200 OK"}},
        {"bare CR LF is an empty line", "\r\nafter", {"", "after"}},
        {"CR CR LF keeps one CR", "x\r\r\n", {"x\r"}},
        {"no line end", "abc", {"abc"}},
        {"LF alone ends a line", "abc\ndef\r\n", {"abc", "def"}},
        {"CR inside a line stays", "a\rb\r\nc", {"a\rb", "c"}},
        {"zero byte is kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(Sends(c.sent));
        TSocket socket;
        ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
        for (const auto& expected : c.lines)
            EXPECT_EQ(socket.ReceiveLine(), expected);
        EXPECT_EQ(socket.ReceiveLine(), "");
        EXPECT_EQ(socket.LastStatus(), NetStatus::Closed);
        EXPECT_EQ(socket.ReceiveLine(), "");
        EXPECT_TRUE(socket.Close());
    }
}

TEST(TSocketReceiveLine, HeaderLinesLeaveTheBodyUntouched) {
    const std::string body = Pattern(10000);
    LoopbackServer server(Sends("HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + body));
    TSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(socket.ReceiveLine(), "Content-Length: 10000");
    EXPECT_EQ(socket.ReceiveLine(), "");
    std::string received;
    for (std::string piece; !(piece = socket.ReceiveChar(4096)).empty();) {
        EXPECT_LE(piece.size(), 4096u);
        received += piece;
    }
    EXPECT_EQ(received, body);
    EXPECT_EQ(socket.LastStatus(), NetStatus::Closed);
}

// Rows on both sides of a line bound of 8 bytes.
TEST(TSocketReceiveLine, LineBoundGivesUpOnLongerLines) {
    struct BoundCase {
        const char* sent;
        const char* line;
        NetStatus status;
    };
    const std::vector<BoundCase> cases = {
        {"1234567\r\nnext", "1234567", NetStatus::Ok},
        {"12345678\r\nnext", "12345678", NetStatus::Ok},
        {"12345678\nnext", "12345678", NetStatus::Ok},
        {"123456789\r\nnext", "", NetStatus::LimitReached},
        {"12345678\r\r\nnext", "", NetStatus::LimitReached},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        LoopbackServer server(Sends(c.sent));
        TSocket socket;
        socket.SetMaxLineLength(8);
        ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
        EXPECT_EQ(socket.ReceiveLine(), c.line);
        EXPECT_EQ(socket.LastStatus(), c.status);
        // After an overlong line the stream is abandoned: its rest is neither a line nor a body.
        const std::string next = c.status == NetStatus::Ok ? "next" : "";
        EXPECT_EQ(socket.ReceiveChar(4096), next);
    }
}

TEST(TSocketReceiveLine, EndlessLineEndsAtTheBound) {
    LoopbackServer server([](const Connection& c) { c.SendForever(std::string(4096, 'a')); });
    TSocket socket;
    socket.SetMaxLineLength(8192);
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveLine(), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::LimitReached);
    EXPECT_EQ(socket.ReceiveChar(4096), "");
    EXPECT_EQ(socket.ReceiveString(), "");
    EXPECT_TRUE(socket.Close());
}

TEST(TSocketReceiveChar, ReturnsWhatOneReceiveDelivered) {
    std::promise<void> readFirst;
    auto firstRead = readFirst.get_future();
    LoopbackServer server([&firstRead](const Connection& c) {
        c.Send("ab");
        firstRead.wait();
        c.Send("cd");
    });
    TSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveChar(4096), "ab");
    readFirst.set_value();
    EXPECT_EQ(socket.ReceiveChar(), "c");
    EXPECT_EQ(socket.ReceiveChar(4096), "d");
    EXPECT_EQ(socket.ReceiveChar(4096), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::Closed);
    EXPECT_EQ(socket.ReceiveChar(0), "");
}

TEST(TSocketReceiveString, ReadsEverythingUntilThePeerCloses) {
    const std::string sent = Pattern(100'000);
    LoopbackServer server(Sends(sent));
    TSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveString(), sent);
    EXPECT_EQ(socket.LastStatus(), NetStatus::Closed);
}

TEST(TSocketReceiveString, StopsAtItsBound) {
    const std::string chunk = Pattern(26 * 100);
    LoopbackServer server([&chunk](const Connection& c) { c.SendForever(chunk); });
    TSocket socket;
    socket.SetMaxStringLength(10'000);
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    const std::string received = socket.ReceiveString();
    EXPECT_EQ(received, (chunk + chunk + chunk + chunk).substr(0, 10'000));
    EXPECT_EQ(socket.LastStatus(), NetStatus::LimitReached);
    EXPECT_TRUE(socket.Close());
}

TEST(TSocket, SilentServerEndsEveryReceiveAtTheTimeOut) {
    LoopbackServer server([](const Connection& c) { c.WaitForClose(); });
    TSocket socket;
    socket.SetReceiveTimeout(150);
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveLine(), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::TimedOut);
    EXPECT_EQ(socket.ReceiveChar(4096), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::TimedOut);
    EXPECT_EQ(socket.ReceiveString(), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::TimedOut);
    EXPECT_TRUE(socket.Close());
}

// One byte every 20 ms never trips a receive time-out of 10 s; only the deadline ends the read.
TEST(TSocket, DeadlineEndsASlowTrickle) {
    LoopbackServer server([](const Connection& c) {
        while (c.Send("x"))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    TSocket socket;
    socket.SetReceiveTimeout(10'000);
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    socket.SetDeadline(300);
    const std::string received = socket.ReceiveString();
    EXPECT_FALSE(received.empty());
    EXPECT_EQ(received.find_first_not_of('x'), std::string::npos);
    EXPECT_EQ(socket.LastStatus(), NetStatus::TimedOut);
    EXPECT_EQ(socket.ReceiveLine(), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::TimedOut);
    socket.SetDeadline(-1);
    EXPECT_EQ(socket.ReceiveChar(), "x");
    EXPECT_TRUE(socket.Close());
}

TEST(TSocket, RefusedConnectionLeavesASocketForClose) {
    TSocket socket;
    EXPECT_FALSE(socket.Connect("127.0.0.1", test::RefusedPort()));
    EXPECT_EQ(socket.LastStatus(), NetStatus::Failed);
    EXPECT_GE(socket.Handle(), 0);
    EXPECT_FALSE(socket.SendString("GET / HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(socket.ReceiveLine(), "");
    EXPECT_EQ(socket.ReceiveChar(4096), "");
    EXPECT_TRUE(socket.Close());
    EXPECT_EQ(socket.Handle(), -1);
    EXPECT_FALSE(socket.Close());
}

TEST(TSocket, UnresolvableNameLeavesNoSocket) {
    // A label of 64 characters cannot be put into a query, so the resolver fails at once without
    // asking any name server: the test sends nothing off this machine.
    TSocket socket;
    EXPECT_FALSE(socket.Connect(std::string(64, 'a') + ".invalid", 80));
    EXPECT_EQ(socket.Handle(), -1);
    EXPECT_FALSE(socket.SendString("x"));
    EXPECT_EQ(socket.LastStatus(), NetStatus::NotConnected);
    EXPECT_FALSE(socket.Close());
}

TEST(TSocket, NeverConnectedSocketFailsAtOnce) {
    TSocket socket;
    EXPECT_FALSE(socket.Close());
    EXPECT_EQ(socket.Handle(), -1);
    EXPECT_FALSE(socket.Close());
    EXPECT_FALSE(socket.SendString("x"));
    EXPECT_EQ(socket.ReceiveLine(), "");
    EXPECT_EQ(socket.ReceiveChar(), "");
    EXPECT_EQ(socket.ReceiveString(), "");
    EXPECT_EQ(socket.LastStatus(), NetStatus::NotConnected);
}

// A listener whose queue is full drops further connection attempts without an answer, like a
// host that never replies; the connect time-out gives up on it.
// With a connect time-out the name is looked up on a thread of its own (the resolver has no time
// limit); the connection is made all the same.
TEST(TSocket, NameIsLookedUpWithinTheConnectTimeOut) {
    LoopbackServer server(Sends("hello"));
    TSocket socket;
    socket.SetConnectTimeout(5000);
    ASSERT_TRUE(socket.Connect("localhost", server.Port()));
    EXPECT_EQ(socket.ReceiveChar(100), "hello");
}

TEST(TSocket, ConnectTimeOutGivesUpOnAHostThatNeverAccepts) {
    TSocket listener;
    ASSERT_TRUE(listener.Bind("127.0.0.1", 0));
    ASSERT_EQ(listen(listener.Handle(), 0), 0);
    std::vector<TSocket> clients(8);
    bool timedOut = false;
    for (auto& client : clients) {
        client.SetConnectTimeout(200);
        if (!client.Connect("127.0.0.1", listener.LocalPort())) {
            timedOut = client.LastStatus() == NetStatus::TimedOut;
            break;
        }
    }
    EXPECT_TRUE(timedOut);
}

TEST(TSocket, SendToAPeerThatHasGoneFailsWithoutEndingTheProcess) {
    LoopbackServer server([](const Connection&) {});
    TSocket socket;
    socket.SetReceiveTimeout(5'000);
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(socket.ReceiveChar(), "");
    ASSERT_EQ(socket.LastStatus(), NetStatus::Closed);
    const std::string block(64 * 1024, 'z');
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i)
        failed = !socket.SendString(block);
    EXPECT_TRUE(failed);
    EXPECT_EQ(socket.LastStatus(), NetStatus::Failed);
}

TEST(TSocket, EveryPrimitiveFailsWhileTheLayerIsStopped) {
    LoopbackServer server(Sends("line\r\n"));
    TSocket connected;
    ASSERT_TRUE(connected.Connect("127.0.0.1", server.Port()));
    SocketExit();
    TSocket socket;
    const bool connectedWhileStopped = socket.Connect("127.0.0.1", server.Port());
    const bool sentWhileStopped = connected.SendString("x");
    const std::string lineWhileStopped = connected.ReceiveLine();
    SocketInit();
    EXPECT_FALSE(connectedWhileStopped);
    EXPECT_EQ(socket.Handle(), -1);
    EXPECT_FALSE(sentWhileStopped);
    EXPECT_EQ(lineWhileStopped, "");
    EXPECT_EQ(connected.ReceiveLine(), "line");
}

TEST(TSocket, BindAndListenServeOneClient) {
    TSocket listener;
    ASSERT_TRUE(listener.Bind("127.0.0.1", 0));
    const int port = listener.LocalPort();
    ASSERT_GT(port, 0);
    std::string answer;
    // Listen starts listening and accepting in one call, so the client may come too early: it
    // tries again until the listener is there (for at most five seconds).
    std::thread client([port, &answer] {
        TSocket socket;
        bool connected = false;
        for (int attempt = 0; attempt < 100 && !connected; ++attempt) {
            connected = socket.Connect("127.0.0.1", port);
            if (!connected) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        if (connected && socket.SendString("hello\r\n")) {
            answer = socket.ReceiveLine();
        }
        socket.Close();
    });
    std::optional<TSocket> accepted = listener.Listen();
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->ReceiveLine(), "hello");
    EXPECT_TRUE(accepted->SendString("ok\r\n"));
    client.join();
    EXPECT_EQ(answer, "ok");
    EXPECT_TRUE(accepted->Close());
    EXPECT_TRUE(listener.Close());
    EXPECT_FALSE(listener.Listen().has_value());
}

TEST(TSocket, DebugTraceNamesEachOperation) {
    const int port = test::RefusedPort();
    TSocket socket;
    socket.SetDebug(true);
    testing::internal::CaptureStdout();
    socket.Connect("127.0.0.1", port);
    const std::string handle = std::to_string(socket.Handle());
    socket.ReceiveChar(4096);
    socket.Close();
    const std::string trace = testing::internal::GetCapturedStdout();
    char portText[16];
    std::snprintf(portText, sizeof portText, "%10d", port);
    EXPECT_EQ(trace, "(-1) (Connect to 127.0.0.1 port " + std::string(portText) + ")\n(" + handle +
                         ") (Receive custom string)\n(" + handle + ") (Received )\n(" + handle +
                         ") (Close socket)\n");
}

}  // namespace
}  // namespace vm
