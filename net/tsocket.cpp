#include "net/tsocket.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "net/socket_primitives.h"

namespace vm {

namespace {

constexpr std::size_t kPiece = 4096;

std::string PortText(int port) {
    char text[32];
    std::snprintf(text, sizeof text, "%10d", port);
    return text;
}

}  // namespace

TSocket::TSocket(TSocket&& other) noexcept {
    *this = std::move(other);
}

TSocket& TSocket::operator=(TSocket&& other) noexcept {
    if (this != &other) {
        if (m_hSocket != -1)
            SocketClose(m_hSocket);
        m_hSocket = std::exchange(other.m_hSocket, -1);
        m_nSendTimeout = other.m_nSendTimeout;
        m_nReceiveTimeout = other.m_nReceiveTimeout;
        m_nConnectTimeout = other.m_nConnectTimeout;
        m_nMaxLine = other.m_nMaxLine;
        m_nMaxString = other.m_nMaxString;
        m_deadline = other.m_deadline;
        m_bAbandoned = other.m_bAbandoned;
        m_bDebug = other.m_bDebug;
        m_status = other.m_status;
    }
    return *this;
}

TSocket::~TSocket() {
    if (m_hSocket != -1)
        SocketClose(m_hSocket);
}

bool TSocket::Connect(const std::string& address, int port) {
    PrintDebugMessage("Connect to " + address + " port " + PortText(port));
    if (m_hSocket != -1)
        SocketClose(m_hSocket);
    m_bAbandoned = false;
    return SocketConnect(m_hSocket, address, port, m_nConnectTimeout, &m_status);
}

bool TSocket::Close() {
    PrintDebugMessage("Close socket");
    const bool open = m_hSocket != -1;
    const bool closed = SocketClose(m_hSocket);
    m_status = open ? (closed ? NetStatus::Ok : NetStatus::Failed) : NetStatus::NotConnected;
    return closed;
}

bool TSocket::SendString(const std::string& text) {
    PrintDebugMessage("Send string ", text);
    int timeout = m_nSendTimeout;
    if (!WithinDeadline(timeout))
        return false;
    return SocketSend(m_hSocket, text, timeout, &m_status);
}

bool TSocket::WithinDeadline(int& timeout) {
    if (!m_deadline)
        return true;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*m_deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0) {
        m_status = NetStatus::TimedOut;
        return false;
    }
    if (timeout < 0 || left < timeout)
        timeout = static_cast<int>(std::min<long long>(left, INT_MAX));
    return true;
}

int TSocket::Receive(std::string& buffer) {
    const int n = ReceiveInto(buffer.data(), buffer.size());
    buffer.resize(static_cast<std::size_t>(n));
    return n;
}

int TSocket::ReceiveInto(char* data, std::size_t size) {
    if (m_bAbandoned) {
        m_status = NetStatus::LimitReached;
        return 0;
    }
    int timeout = m_nReceiveTimeout;
    if (!WithinDeadline(timeout))
        return 0;
    return SocketReceiveInto(m_hSocket, data, size, timeout, &m_status);
}

std::string TSocket::ReceiveString() {
    PrintDebugMessage("Receive string");
    std::string result;
    std::string buffer;
    for (;;) {
        std::size_t want = kPiece;
        if (m_nMaxString > 0) {
            if (result.size() >= m_nMaxString) {
                m_status = NetStatus::LimitReached;
                m_bAbandoned = true;
                break;
            }
            want = std::min(want, m_nMaxString - result.size());
        }
        buffer.assign(want, '\0');
        if (Receive(buffer) <= 0)
            break;
        result += buffer;
    }
    PrintDebugMessage("Received ", result);
    return result;
}

std::string TSocket::ReceiveLine() {
    PrintDebugMessage("Receive line");
    std::string line;
    std::string buffer;
    for (;;) {
        buffer.assign(1, '\0');
        if (Receive(buffer) <= 0)
            break;
        if (buffer[0] == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            break;
        }
        line += buffer[0];
        // The bound is on the line without its end, and a CR may still turn out to be part of it.
        const bool pendingCr = line.size() == m_nMaxLine + 1 && line.back() == '\r';
        if (m_nMaxLine > 0 && line.size() > m_nMaxLine && !pendingCr)
            break;
    }
    if (m_nMaxLine > 0 && line.size() > m_nMaxLine) {
        line.clear();
        m_status = NetStatus::LimitReached;
        m_bAbandoned = true;
    }
    PrintDebugMessage("Received ", line);
    return line;
}

std::string TSocket::ReceiveChar(int count) {
    PrintDebugMessage(count == 1 ? "Receive char" : "Receive custom string");
    std::string buffer;
    if (count > 0) {
        buffer.assign(static_cast<std::size_t>(count), '\0');
        if (Receive(buffer) <= 0)
            buffer.clear();
    } else {
        m_status = NetStatus::Ok;
    }
    PrintDebugMessage("Received ", buffer);
    return buffer;
}

std::string TSocket::GetLocalName() const {
    return SocketLocalName();
}

std::vector<std::string> TSocket::GetLocalAddress() const {
    return SocketLocalAddress();
}

bool TSocket::Bind(const std::string& address, int port) {
    PrintDebugMessage("Bind " + address + " port " + PortText(port));
    if (m_hSocket != -1)
        SocketClose(m_hSocket);
    const bool bound = SocketBind(m_hSocket, address, port);
    m_status = bound ? NetStatus::Ok : NetStatus::Failed;
    return bound;
}

std::optional<TSocket> TSocket::Listen(int backlog) {
    PrintDebugMessage("Listen ...");
    int accepted = -1;
    if (!SocketListen(m_hSocket, backlog, accepted)) {
        m_status = NetStatus::Failed;
        return std::nullopt;
    }
    m_status = NetStatus::Ok;
    TSocket client(accepted);
    client.SetLimits(
        NetLimits{m_nConnectTimeout, m_nSendTimeout, m_nReceiveTimeout, m_nMaxLine, m_nMaxString});
    client.SetDebug(m_bDebug);
    return client;
}

void TSocket::SetLimits(const NetLimits& limits) {
    m_nConnectTimeout = limits.connectTimeoutMs;
    m_nSendTimeout = limits.sendTimeoutMs;
    m_nReceiveTimeout = limits.receiveTimeoutMs;
    m_nMaxLine = limits.maxLineLength;
    m_nMaxString = limits.maxStringLength;
}

void TSocket::SetDeadline(int ms) {
    if (ms < 0) {
        m_deadline.reset();
    } else {
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
}

void TSocket::PrintDebugMessage(std::string_view text, std::string_view more) const {
    if (!m_bDebug)
        return;
    // Written whole, so received bytes that hold a zero byte are traced as they are.
    std::string line = "(";
    line += std::to_string(m_hSocket);
    line += ") (";
    line += text;
    line += more;
    line += ")\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

int TSocket::LocalPort() const {
    return SocketLocalPort(m_hSocket);
}

}  // namespace vm
