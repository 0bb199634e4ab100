#pragma once
// Time-outs and size bounds of the socket layer. Every value of -1 (times) or 0 (sizes) means "no
// limit": a socket waits and reads for as long as the platform lets it.

#include <cstddef>

namespace vm {

// Why the last operation of a socket ended.
enum class NetStatus {
    Ok,            // the operation did what was asked
    Closed,        // the peer closed the connection (end of stream)
    TimedOut,      // a connect, receive or the read deadline ran out
    LimitReached,  // a line or a text grew past its bound; the rest of the stream is abandoned
    Failed,        // the platform call failed (refused, reset, name not resolved, ...)
    NotConnected,  // there was no socket to work on
};

struct NetLimits {
    int connectTimeoutMs = -1;        // longest wait for the connection to be accepted
    int sendTimeoutMs = -1;           // longest wait for one send to make progress
    int receiveTimeoutMs = -1;        // longest silence allowed within one receive
    std::size_t maxLineLength = 0;    // ReceiveLine gives up on a line longer than this
    std::size_t maxStringLength = 0;  // ReceiveString stops after this many bytes
};

// Bounds of the update check and the update download, so that a silent, slow or endless server
// can neither freeze the program nor exhaust its memory.
inline constexpr int kUpdateConnectTimeoutMs = 10'000;
inline constexpr int kUpdateSendTimeoutMs = 15'000;
inline constexpr int kUpdateReceiveTimeoutMs = 15'000;
inline constexpr std::size_t kUpdatePageLimit =
    1024 * 1024;  // the whole answer of the version page
inline constexpr std::size_t kUpdateHeaderLineLimit = 8 * 1024;
// Longest time the whole exchange for the version page (request and answer), or the header of the
// installer's answer, may take once the connection is made (a server trickling one byte at a time
// never trips the per-receive time-out).
inline constexpr int kUpdatePageTimeLimitMs = 15'000;
inline constexpr int kUpdateHeaderTimeLimitMs = 15'000;
// Most header lines the download reads before it gives the answer up.
inline constexpr int kUpdateMaxHeaderLines = 100;
// Largest installer the download accepts: a longer announced length is no valid length.
inline constexpr unsigned long long kUpdateMaxInstallerLength = 1024ULL * 1024 * 1024;

// The limits above as one set: connect, send and receive time-outs, the header line bound and the
// page bound (which also bounds a ReceiveString of an error answer).
//
// Version page:  THttp http; http.SetLimits(UpdateNetLimits());
//                http.SetAnswerTimeLimit(kUpdatePageTimeLimitMs); then Connect, Get, Close.
// Installer:     TSocket socket; socket.SetLimits(UpdateNetLimits()); Connect; then
//                TransferInstaller (update/installer_transfer.h) applies the header's bounds.
NetLimits UpdateNetLimits();

}  // namespace vm
