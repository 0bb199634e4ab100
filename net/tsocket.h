#pragma once
// A blocking IPv4 TCP connection. Nothing here throws: failures come back as false, "" or an empty
// result, and LastStatus() tells why the last operation ended. Receives keep nothing back between
// calls, so ReceiveLine, ReceiveChar and ReceiveString can be mixed on one connection without
// losing bytes.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_limits.h"

namespace vm {

class TSocket final {
public:
    TSocket() = default;
    // Takes over an open connection (for example one end of a socket pair).
    explicit TSocket(int handle) : m_hSocket(handle) {}
    TSocket(TSocket&& other) noexcept;
    TSocket& operator=(TSocket&& other) noexcept;
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    // Closes a connection that is still open, so no descriptor is left behind.
    ~TSocket();

    // Connects to `address` (dotted or a name) and `port`; a connection this object still holds is
    // closed first. False when the name does not resolve (the handle stays -1), or when the
    // connection is refused, unreachable or not accepted within the connect time-out (the handle
    // is then the unconnected socket, which Close releases).
    bool Connect(const std::string& address, int port);
    // False when there was no socket to close; the handle is -1 afterwards in every case.
    bool Close();
    // Sends the whole text; false when the socket is not connected or the send fails.
    bool SendString(const std::string& text);

    // Every byte until the peer closes, in receives of at most 4096 bytes. An error or a time-out
    // ends the reading like the end of the stream. With a string bound set, stops after that many
    // bytes (status LimitReached) and abandons the rest of the stream.
    std::string ReceiveString();
    // One line, read one byte per receive so that nothing past the line is taken. LF ends the line
    // and a CR just before it is dropped; other CRs stay. At the end of the stream, on an error or
    // a time-out, returns what was collected ("" at once). With a line bound set, a line longer
    // than the bound gives "" with status LimitReached, and the stream is abandoned: every later
    // receive gives "" too, so the rest of the overlong line is never taken for a header or body.
    std::string ReceiveLine();
    // One receive of at most `count` bytes: what that call delivered (it does not wait for all
    // `count`), or "" at the end of the stream, on an error, a time-out, or for a count below 1.
    std::string ReceiveChar(int count = 1);
    // As ReceiveChar(size) into the caller's `size` bytes at `data`: the count delivered, 0 at the
    // end of the stream, on an error or a time-out (LastStatus tells which).
    int ReceiveInto(char* data, std::size_t size);

    std::string GetLocalName() const;
    std::vector<std::string> GetLocalAddress() const;

    // Creates a socket bound to the address and port (0: any free port; see LocalPort).
    bool Bind(const std::string& address, int port);
    // Listens, then waits for one client; the accepted connection, or nothing when listening or
    // accepting failed.
    std::optional<TSocket> Listen(int backlog = 10);

    // Time-outs in milliseconds; -1 leaves the platform's own (no limit).
    void SetReceiveTimeout(int ms) { m_nReceiveTimeout = ms; }
    void SetSendTimeout(int ms) { m_nSendTimeout = ms; }
    void SetConnectTimeout(int ms) { m_nConnectTimeout = ms; }
    // Bounds of ReceiveLine and ReceiveString in bytes; 0 is no bound.
    void SetMaxLineLength(std::size_t bytes) { m_nMaxLine = bytes; }
    void SetMaxStringLength(std::size_t bytes) { m_nMaxString = bytes; }
    // Every time-out and bound of `limits` at once.
    void SetLimits(const NetLimits& limits);
    // From now on every send and receive ends (status TimedOut) once `ms` milliseconds have
    // passed, however steadily a slow peer trickles bytes; -1 removes the deadline.
    void SetDeadline(int ms);

    void SetDebug(bool on) { m_bDebug = on; }
    // When debugging is on, writes "(" + handle + ") (" + text + ")" as one line to standard
    // output.
    // The trace line is "(handle) (text more)"; nothing is built while tracing is off, so a
    // received piece is not copied for it.
    void PrintDebugMessage(std::string_view text, std::string_view more = {}) const;

    int Handle() const { return m_hSocket; }
    // The local port of a bound or connected socket; 0 when there is none.
    int LocalPort() const;
    NetStatus LastStatus() const { return m_status; }

private:
    // One receive into `buffer` (its size is the most to take), honouring the receive time-out, the
    // deadline and an abandoned stream.
    int Receive(std::string& buffer);
    // Shortens `timeout` (-1: none) to what is left of the deadline; false, with status TimedOut,
    // when the deadline has passed.
    bool WithinDeadline(int& timeout);

    int m_hSocket = -1;
    int m_nSendTimeout = -1;
    int m_nReceiveTimeout = -1;
    int m_nConnectTimeout = -1;
    std::size_t m_nMaxLine = 0;
    std::size_t m_nMaxString = 0;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_bAbandoned = false;
    bool m_bDebug = false;
    NetStatus m_status = NetStatus::Ok;
};

}  // namespace vm
