#pragma once
// An HTTP/1.0 client for one request per connection: Connect, one Get or Post, Close. The answer
// comes back raw (status line, header lines and body as one text) and nothing is parsed.

#include <optional>
#include <string>
#include <vector>

#include "net/net_limits.h"
#include "net/tsocket.h"

namespace vm {

// One form field: the key goes out unchanged, the value percent-encoded.
struct HttpParam {
    std::string cKey;
    std::string cValue;
};

class THttp final {
public:
    THttp();

    // Connects to the proxy when one is set, else to the host; remembers host and port for the
    // request. False when the connection could not be made.
    bool Connect(const std::string& address, int port = 80);
    bool Close();

    // With a user, the proxy credentials become Base64 of user + ":" + password (of the user alone
    // when no password is given); without a user they are removed.
    void SetProxy(const std::string& address, int port = 8080,
                  std::optional<std::string> user = std::nullopt,
                  std::optional<std::string> password = std::nullopt);
    // The same for the server credentials ("Authorization: Basic").
    void SetUser(std::optional<std::string> user = std::nullopt,
                 std::optional<std::string> password = std::nullopt);

    // Sends a GET request (the parameters as the query string) and returns the raw answer, read
    // until the server closes, the answer bound is reached or a time-out ends it. A path of the
    // form "credentials@path" sets the server credentials first (as SetUser(credentials)).
    // "" when the request could not be sent.
    std::string Get(std::string path, const std::vector<HttpParam>& params = {});
    // As Get, but POST with the parameters as a form-encoded body.
    std::string Post(std::string path, const std::vector<HttpParam>& params = {});

    void SetUserAgent(std::string agent) { m_cUserAgent = std::move(agent); }
    const std::string& GetUserAgent() const { return m_cUserAgent; }
    void SetReceiveTimeout(int ms) { m_oSocket.SetReceiveTimeout(ms); }
    void SetConnectTimeout(int ms) { m_oSocket.SetConnectTimeout(ms); }
    // Largest answer Get and Post read, in bytes (0: no bound); a longer answer is cut there.
    void SetMaxAnswerLength(std::size_t bytes) { m_oSocket.SetMaxStringLength(bytes); }
    // Longest time the request and the whole answer may take, in milliseconds (-1: no limit).
    void SetAnswerTimeLimit(int ms) { m_nAnswerTimeLimit = ms; }
    // Time-outs and the answer bound (NetLimits::maxStringLength) at once.
    void SetLimits(const NetLimits& limits) { m_oSocket.SetLimits(limits); }

    // key=value pairs joined by "&", each value percent-encoded; "" for no parameters.
    static std::string Value2String(const std::vector<HttpParam>& params);
    // "THttp/" ... "(compatible; ...; MSIE 6.0)".
    static std::string DefaultUserAgent();

    TSocket& Socket() { return m_oSocket; }
    // Why the last operation of the connection ended (a cut answer shows LimitReached, a silent
    // server TimedOut).
    NetStatus LastStatus() const { return m_oSocket.LastStatus(); }

private:
    std::string RequestLine(const std::string& method, const std::string& path) const;
    std::string HeaderLines() const;
    std::string Exchange(const std::string& request);

    TSocket m_oSocket;
    std::optional<std::string> m_cProxyAddress;
    std::optional<int> m_nProxyPort;
    std::optional<std::string> m_cLogin;
    std::optional<std::string> m_cLoginRemote;
    std::optional<std::string> m_cHostAddress;
    std::optional<int> m_nHostPort;
    std::string m_cUserAgent;
    int m_nAnswerTimeLimit = -1;
};

}  // namespace vm
