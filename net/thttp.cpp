#include "net/thttp.h"

#include "net/socket_primitives.h"
#include "net/tdecode.h"

namespace vm {

namespace {

std::optional<std::string> Credentials(const std::optional<std::string>& user,
                                       const std::optional<std::string>& password) {
    if (!user)
        return std::nullopt;
    return SocketEncode64(password ? *user + ":" + *password : *user, 0);
}

}  // namespace

THttp::THttp() : m_cUserAgent(DefaultUserAgent()) {}

std::string THttp::DefaultUserAgent() {
    return "THttp/1.0 (compatible; Vistametra; Linux; MSIE 6.0)";
}

bool THttp::Connect(const std::string& address, int port) {
    m_cHostAddress = address;
    m_nHostPort = port;
    if (m_cProxyAddress)
        return m_oSocket.Connect(*m_cProxyAddress, m_nProxyPort.value_or(8080));
    return m_oSocket.Connect(address, port);
}

bool THttp::Close() {
    return m_oSocket.Close();
}

void THttp::SetProxy(const std::string& address, int port, std::optional<std::string> user,
                     std::optional<std::string> password) {
    m_cProxyAddress = address;
    m_nProxyPort = port;
    m_cLogin = Credentials(user, password);
}

void THttp::SetUser(std::optional<std::string> user, std::optional<std::string> password) {
    m_cLoginRemote = Credentials(user, password);
}

std::string THttp::Value2String(const std::vector<HttpParam>& params) {
    const TDecode decode;
    std::string text;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i > 0)
            text += '&';
        text += params[i].cKey;
        text += '=';
        text += decode.Encode(params[i].cValue);
    }
    return text;
}

std::string THttp::RequestLine(const std::string& method, const std::string& path) const {
    std::string line = method + " ";
    if (m_cProxyAddress) {
        line += "http://" + m_cHostAddress.value_or("") + ":" +
                (m_nHostPort ? std::to_string(*m_nHostPort) : std::string());
    }
    return line + path;
}

std::string THttp::HeaderLines() const {
    std::string lines;
    if (m_cLogin)
        lines += "Proxy-authorization: Basic " + *m_cLogin + "\r\n";
    if (m_cLoginRemote)
        lines += "Authorization: Basic " + *m_cLoginRemote + "\r\n";
    lines += "Host: " + m_cHostAddress.value_or("") + "\r\n";
    lines += "User-Agent: " + m_cUserAgent + "\r\n";
    lines += "\r\n";
    return lines;
}

std::string THttp::Exchange(const std::string& request) {
    // The time limit covers the request and the whole answer.
    m_oSocket.SetDeadline(m_nAnswerTimeLimit);
    if (!m_oSocket.SendString(request)) {
        m_oSocket.SetDeadline(-1);
        return "";
    }
    std::string answer = m_oSocket.ReceiveString();
    m_oSocket.SetDeadline(-1);
    return answer;
}

std::string THttp::Get(std::string path, const std::vector<HttpParam>& params) {
    const std::string query = Value2String(params);
    const auto at = path.find('@');
    if (at != std::string::npos) {
        SetUser(path.substr(0, at));
        path.erase(0, at + 1);
    }
    std::string request = RequestLine("GET", path);
    if (!query.empty())
        request += "?" + query;
    request += " HTTP/1.0\r\n";
    request += HeaderLines();
    return Exchange(request);
}

std::string THttp::Post(std::string path, const std::vector<HttpParam>& params) {
    const std::string query = Value2String(params);
    const auto at = path.find('@');
    if (at != std::string::npos) {
        SetUser(path.substr(0, at));
        path.erase(0, at + 1);
    }
    std::string request = RequestLine("POST", path) + " HTTP/1.0\r\n";
    request += "Content-Length: " + std::to_string(query.size()) + "\r\n";
    request += "Content-Type: application/x-www-form-urlencoded\r\n";
    request += HeaderLines();
    request += query;
    return Exchange(request);
}

}  // namespace vm
