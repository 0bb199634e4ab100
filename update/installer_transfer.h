#pragma once
// The exchange that fetches the installer over a connected socket: the request, the header of the
// answer, and exactly the announced number of body bytes into a sink. Plain code, so that the
// program's download, its benchmark and its fuzz target run the very same loop.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "net/net_limits.h"
#include "net/tsocket.h"
#include "update/byte_sink.h"
#include "update/http_proxy.h"
#include "update/installer_header.h"

namespace vm {

enum class TransferOutcome {
    Complete,      // status 200, one valid length, and exactly that many body bytes written
    NotSent,       // the request could not be sent
    HeaderBroken,  // no header: out of time, past its bounds, or closed at once (see brokenBy)
    ErrorStatus,   // a status other than 200 (the length may be missing as well)
    NoLength,      // status 200 without one valid length
    CutShort,      // the connection ended, failed or fell silent before the announced length
    WriteFailed,   // the sink did not take the bytes (see writeError)
    Cancelled,     // the caller asked to stop
};

struct TransferLimits {
    int headerTimeLimitMs = kUpdateHeaderTimeLimitMs;  // request and header together; -1: none
    int maxHeaderLines = kUpdateMaxHeaderLines;
    std::uint64_t maxLength = kUpdateMaxInstallerLength;
};

// What the transfer has done so far, for another thread to show.
struct TransferProgress {
    std::atomic<std::uint64_t> received{0};  // body bytes received
    std::atomic<std::int64_t> length{-1};    // the announced length once the header is read
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::NotSent;
    InstallerHeader header{kUpdateMaxInstallerLength};
    NetStatus brokenBy = NetStatus::Ok;  // why the header or the body ended early
    std::uint64_t received = 0;          // body bytes received
    int writeError = 0;                  // the sink's error on WriteFailed
};

// Where the vendor's server keeps the installer.
inline constexpr const char* kInstallerRequestPath = "/vistametra/Update.exe";

// The request for the installer on `host`: GET of kInstallerRequestPath over HTTP/1.1 with the
// host, the downloader's user agent and "Connection: close". Through a proxy the request names
// the whole address ("http://host/vistametra/Update.exe") and carries the proxy's credentials.
std::string DownloadRequest(const std::string& host, const std::optional<HttpProxy>& proxy = {});

// Body bytes asked for per receive, and the smallest block written to the sink (but the last).
inline constexpr std::size_t kTransferReadSize = 256 * 1024;
inline constexpr std::size_t kTransferWriteBlock = 64 * 1024;

// Sends `request` on the connected `socket`, reads the header (within limits.headerTimeLimitMs
// and limits.maxHeaderLines; the socket's own line bound applies to each line) and, only for a
// status 200 with one valid length, reads exactly that many body bytes into `sink`: never a byte
// more, so an endless body fills nothing. Nothing of an error answer is read. `cancel` (may be
// null) is looked at after every receive. The socket is left open.
TransferResult TransferInstaller(TSocket& socket, const std::string& request, ByteSink& sink,
                                 const TransferLimits& limits, TransferProgress* progress = nullptr,
                                 const std::atomic<bool>* cancel = nullptr);

}  // namespace vm
