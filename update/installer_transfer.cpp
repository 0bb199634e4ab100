#include "update/installer_transfer.h"

#include <algorithm>
#include <memory>

#include "net/encodings.h"

namespace vm {

namespace {

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

}  // namespace

std::string DownloadRequest(const std::string& host, const std::optional<HttpProxy>& proxy) {
    const std::string crlf = "\r\n";
    std::string request = std::string("GET ") + (proxy ? "http://" + host : std::string()) +
                          kInstallerRequestPath + " HTTP/1.1" + crlf + "Host: " + host + crlf;
    if (proxy && proxy->user) {
        request += "Proxy-Authorization: Basic " +
                   Base64Encode(*proxy->user + (proxy->password ? ":" + *proxy->password : "")) +
                   crlf;
    }
    return request + "User-Agent: Downloader (Version 1.1)" + crlf + "Connection: close" + crlf +
           crlf;
}

TransferResult TransferInstaller(TSocket& socket, const std::string& request, ByteSink& sink,
                                 const TransferLimits& limits, TransferProgress* progress,
                                 const std::atomic<bool>* cancel) {
    TransferResult result;
    result.header = InstallerHeader(limits.maxLength);

    socket.SetDeadline(limits.headerTimeLimitMs);
    if (!socket.SendString(request)) {
        socket.SetDeadline(-1);
        result.brokenBy = socket.LastStatus();
        return result;
    }
    for (;;) {
        const std::string line = socket.ReceiveLine();
        const NetStatus status = socket.LastStatus();
        if (status != NetStatus::Ok && status != NetStatus::Closed) {
            result.brokenBy = status;
            break;
        }
        if (line.empty()) {
            // The empty line after the header; a stream that ended in the header is cut short.
            if (status == NetStatus::Closed)
                result.brokenBy = NetStatus::Closed;
            break;
        }
        if (result.header.Lines() >= limits.maxHeaderLines) {
            result.brokenBy = NetStatus::LimitReached;
            break;
        }
        result.header.Add(line);
    }
    socket.SetDeadline(-1);
    if (Cancelled(cancel)) {
        result.outcome = TransferOutcome::Cancelled;
        return result;
    }
    if ((result.brokenBy != NetStatus::Ok && result.brokenBy != NetStatus::Closed) ||
        result.header.Lines() == 0) {
        // Out of time or past a bound, closed without a word, or an empty first line.
        result.outcome = TransferOutcome::HeaderBroken;
        return result;
    }
    if (!result.header.Answered200()) {
        result.outcome = TransferOutcome::ErrorStatus;
        return result;
    }
    const std::optional<std::uint64_t> length = result.header.Length();
    if (!length) {
        result.outcome = TransferOutcome::NoLength;
        return result;
    }
    if (result.brokenBy == NetStatus::Closed) {
        // Closed before the empty line that ends the header.
        result.outcome = TransferOutcome::CutShort;
        return result;
    }
    result.brokenBy = NetStatus::Ok;
    if (progress)
        progress->length = static_cast<std::int64_t>(*length);

    // The body: large receives, gathered into blocks of at least kTransferWriteBlock bytes before
    // they are written, and never more than what is left of the announced length.
    const std::size_t bufferSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(kTransferReadSize, *length));
    std::unique_ptr<char[]> buffer(new char[std::max<std::size_t>(bufferSize, 1)]);
    std::uint64_t left = *length;
    std::size_t filled = 0;
    while (left > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize - filled, left));
        const int n = socket.ReceiveInto(buffer.get() + filled, want);
        if (Cancelled(cancel)) {
            result.outcome = TransferOutcome::Cancelled;
            return result;
        }
        if (n <= 0) {
            result.brokenBy = socket.LastStatus();
            result.outcome = TransferOutcome::CutShort;
            return result;
        }
        filled += static_cast<std::size_t>(n);
        left -= static_cast<std::uint64_t>(n);
        result.received += static_cast<std::uint64_t>(n);
        if (progress)
            progress->received = result.received;
        if (filled >= kTransferWriteBlock || left == 0 || filled == bufferSize) {
            if (!sink.Write(buffer.get(), filled)) {
                result.writeError = sink.Error();
                result.outcome = TransferOutcome::WriteFailed;
                return result;
            }
            filled = 0;
        }
    }
    result.outcome = TransferOutcome::Complete;
    return result;
}

}  // namespace vm
