// THttp against a real server on 127.0.0.1: the request bytes as the server received them, and the
// raw answer as the server sent it.

#include "net/thttp.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "net/net_limits.h"
#include "tests/support/loopback_server.h"

namespace vm {
namespace {

using test::Connection;
using test::HttpTestServer;

const std::string kAnswer =
    "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>Download Vistametra 1.06</p>\r\n";

TEST(THttp, DefaultUserAgentNamesTheClientAndEndsWithMsie6) {
    const std::string agent = THttp().GetUserAgent();
    EXPECT_EQ(agent.rfind("THttp/", 0), 0u);
    ASSERT_GE(agent.size(), 2u);
    EXPECT_EQ(agent.back(), ')');
    const auto open = agent.rfind('(');
    ASSERT_NE(open, std::string::npos);
    const std::string comment = agent.substr(open + 1, agent.size() - open - 2);
    EXPECT_EQ(comment.substr(comment.rfind("; ") + 2), "MSIE 6.0");
}

struct RequestCase {
    const char* name;
    // Sets the client up and connects it; `port` is the server's.
    std::function<bool(THttp&, int port)> connect;
    std::function<std::string(THttp&)> send;
    std::string expected;
};

bool Direct(THttp& http, int port) {
    return http.Connect("127.0.0.1", port);
}

TEST(THttp, SendsTheRequestByteForByte) {
    const std::string ua = "User-Agent: " + THttp::DefaultUserAgent() + "\r\n";
    const std::vector<RequestCase> cases = {
        {"plain GET: host without port, nothing but Host and User-Agent", Direct,
         [](THttp& h) { return h.Get("/a/b.html"); },
         "GET /a/b.html HTTP/1.0\r\nHost: 127.0.0.1\r\n" + ua + "\r\n"},
        {"GET with parameters encoded as the query string", Direct,
         [](THttp& h) {
             return h.Get("/find", {{"q", "a b&c"}, {"v", "\xe9"}, {"n", "42"}});
         },
         "GET /find?q=a+b%26c&v=%e9&n=42 HTTP/1.0\r\nHost: 127.0.0.1\r\n" + ua + "\r\n"},
        {"through a proxy: absolute form, Host still the target without port",
         [](THttp& h, int port) {
             h.SetProxy("127.0.0.1", port);
             return h.Connect("www.example.com", 8081);
         },
         [](THttp& h) { return h.Get("/vistametra/index.html"); },
         "GET http://www.example.com:8081/vistametra/index.html HTTP/1.0\r\n"
         "Host: www.example.com\r\n" +
             ua + "\r\n"},
        {"proxy and server credentials",
         [](THttp& h, int port) {
             h.SetProxy("127.0.0.1", port, "pu", "pp");
             h.SetUser("u", "p");
             return h.Connect("www.example.com", 80);
         },
         [](THttp& h) { return h.Get("/x"); },
         "GET http://www.example.com:80/x HTTP/1.0\r\nProxy-authorization: Basic cHU6cHA=\r\n"
         "Authorization: Basic dTpw\r\nHost: www.example.com\r\n" +
             ua + "\r\n"},
        {"proxy user without password",
         [](THttp& h, int port) {
             h.SetProxy("127.0.0.1", port, "pu");
             return h.Connect("10.1.2.3", 8000);
         },
         [](THttp& h) { return h.Get("/x"); },
         "GET http://10.1.2.3:8000/x HTTP/1.0\r\nProxy-authorization: Basic cHU=\r\n"
         "Host: 10.1.2.3\r\n" +
             ua + "\r\n"},
        {"server user without password",
         [](THttp& h, int port) {
             h.SetUser("tim");
             return Direct(h, port);
         },
         [](THttp& h) { return h.Get("/"); },
         "GET / HTTP/1.0\r\nAuthorization: Basic dGlt\r\nHost: 127.0.0.1\r\n" + ua + "\r\n"},
        {"empty user sends an empty token",
         [](THttp& h, int port) {
             h.SetUser("");
             return Direct(h, port);
         },
         [](THttp& h) { return h.Get("/"); },
         "GET / HTTP/1.0\r\nAuthorization: Basic \r\nHost: 127.0.0.1\r\n" + ua + "\r\n"},
        {"user removed again",
         [](THttp& h, int port) {
             h.SetUser("u", "p");
             h.SetUser();
             return Direct(h, port);
         },
         [](THttp& h) { return h.Get("/"); },
         "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n" + ua + "\r\n"},
        {"credentials before @ in the path", Direct,
         [](THttp& h) { return h.Get("tim:secret@/x"); },
         "GET /x HTTP/1.0\r\nAuthorization: Basic dGltOnNlY3JldA==\r\nHost: 127.0.0.1\r\n" + ua +
             "\r\n"},
        {"own user agent",
         [](THttp& h, int port) {
             h.SetUserAgent("Downloader (Version 1.1)");
             return Direct(h, port);
         },
         [](THttp& h) { return h.Get("/"); },
         "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: Downloader (Version 1.1)\r\n\r\n"},
        {"POST form: length and type before the credentials, body after the empty line", Direct,
         [](THttp& h) {
             return h.Post("/form", {{"a", "1"}, {"b", "x y"}});
         },
         "POST /form HTTP/1.0\r\nContent-Length: 9\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\nHost: 127.0.0.1\r\n" +
             ua + "\r\na=1&b=x+y"},
        {"POST through a proxy with credentials and no parameters",
         [](THttp& h, int port) {
             h.SetProxy("127.0.0.1", port, "pu", "pp");
             h.SetUser("u", "p");
             return h.Connect("www.example.com", 80);
         },
         [](THttp& h) { return h.Post("/form"); },
         "POST http://www.example.com:80/form HTTP/1.0\r\nContent-Length: 0\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n"
         "Proxy-authorization: Basic cHU6cHA=\r\nAuthorization: Basic dTpw\r\n"
         "Host: www.example.com\r\n" +
             ua + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string received;
        HttpTestServer server([&received](const Connection& c) {
            received = c.request;
            c.Send(kAnswer);
        });
        THttp http;
        ASSERT_TRUE(c.connect(http, server.Port()));
        EXPECT_EQ(c.send(http), kAnswer);
        EXPECT_TRUE(http.Close());
        server.Join();
        EXPECT_EQ(received, c.expected);
    }
}

TEST(THttp, GetAfterAFailedConnectReturnsNothing) {
    THttp http;
    EXPECT_FALSE(http.Connect("127.0.0.1", test::RefusedPort()));
    EXPECT_EQ(http.Get("/vistametra/index.html"), "");
    EXPECT_EQ(http.Post("/form", {{"a", "1"}}), "");
    EXPECT_TRUE(http.Close());
}

TEST(THttp, SilentServerGivesAnEmptyAnswerAtTheTimeOut) {
    std::string received;
    HttpTestServer server([&received](const Connection& c) {
        received = c.request;
        c.WaitForClose();
    });
    THttp http;
    http.SetReceiveTimeout(150);
    ASSERT_TRUE(http.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(http.Get("/vistametra/index.html"), "");
    EXPECT_EQ(http.LastStatus(), NetStatus::TimedOut);
    EXPECT_TRUE(http.Close());
    server.Join();
    EXPECT_EQ(received.rfind("GET /vistametra/index.html HTTP/1.0\r\n", 0), 0u);
}

TEST(THttp, UpdateLimitsCutAnEndlessPageAtOneMebibyte) {
    HttpTestServer server([](const Connection& c) { c.SendForever(std::string(64 * 1024, 'p')); });
    THttp http;
    http.SetLimits(UpdateNetLimits());
    ASSERT_TRUE(http.Connect("127.0.0.1", server.Port()));
    const std::string page = http.Get("/vistametra/index.html");
    EXPECT_EQ(page.size(), 1024u * 1024u);
    EXPECT_EQ(http.LastStatus(), NetStatus::LimitReached);
    EXPECT_TRUE(http.Close());
}

TEST(THttp, AnswerTimeLimitEndsASlowTrickle) {
    HttpTestServer server([](const Connection& c) {
        while (c.Send("x"))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    THttp http;
    http.SetReceiveTimeout(10'000);
    http.SetAnswerTimeLimit(300);
    ASSERT_TRUE(http.Connect("127.0.0.1", server.Port()));
    const std::string page = http.Get("/");
    EXPECT_FALSE(page.empty());
    EXPECT_EQ(http.LastStatus(), NetStatus::TimedOut);
    EXPECT_TRUE(http.Close());
}

}  // namespace
}  // namespace vm
