// Any server answer through the installer's transfer (the request, the header loop and the body
// loop the download runs). The bytes come from one end of a socket pair (server_answer.h). Checks
// that the installer counts as complete only for a 200 answer with one valid length, that exactly
// that many bytes reach the file, and that they are the bytes that followed the header.

#include <cstdint>
#include <optional>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/update/server_answer.h"
#include "update/installer_transfer.h"

namespace {

using vm::fuzz::Check;

constexpr std::uint64_t kMaxLength = 1 << 20;

class Recorder final : public vm::ByteSink {
public:
    bool Write(const char* data, std::size_t size) override {
        bytes.append(data, size);
        return true;
    }
    int Error() const override { return 0; }
    std::string bytes;
};

// Where the body starts: after the first line that is empty or holds a lone CR; npos when the
// header never ends.
std::size_t BodyStart(const std::string& input) {
    for (std::size_t at = 0;;) {
        const std::size_t lf = input.find('\n', at);
        if (lf == std::string::npos)
            return std::string::npos;
        if (lf == at || (lf == at + 1 && input[at] == '\r'))
            return lf + 1;
        at = lf + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vm::fuzz::ServerAnswer server(data, size);
    if (!server.Ready())
        return 0;
    const std::string& input = server.Bytes();
    vm::TSocket& socket = server.Client();
    socket.SetMaxLineLength(256);
    vm::TransferLimits limits;
    limits.headerTimeLimitMs = 5000;
    limits.maxHeaderLines = 20;
    limits.maxLength = kMaxLength;
    Recorder file;
    vm::TransferProgress progress;
    const vm::TransferResult result = vm::TransferInstaller(
        socket, "GET /vistametra/Update.exe HTTP/1.1\r\n\r\n", file, limits, &progress);

    const std::optional<std::uint64_t> length = result.header.Length();
    Check(!length || *length <= kMaxLength);
    Check(result.received == progress.received);
    Check(file.bytes.size() <= result.received);
    const std::size_t start = BodyStart(input);
    if (result.outcome == vm::TransferOutcome::Complete) {
        Check(result.header.Answered200());
        Check(length.has_value() && result.received == *length);
        Check(file.bytes.size() == *length);
        Check(start != std::string::npos);
        Check(file.bytes == input.substr(start, static_cast<std::size_t>(*length)));
    } else {
        // Cut short in the body, or before the header's end (nothing of the body taken).
        if (result.outcome == vm::TransferOutcome::CutShort && length)
            Check(result.received < *length || result.received == 0);
        if (!file.bytes.empty()) {
            Check(start != std::string::npos);
            Check(input.compare(start, file.bytes.size(), file.bytes) == 0);
        }
    }
    if (result.outcome == vm::TransferOutcome::ErrorStatus ||
        result.outcome == vm::TransferOutcome::NoLength ||
        result.outcome == vm::TransferOutcome::HeaderBroken) {
        Check(file.bytes.empty() && result.received == 0);
    }
    return 0;
}
