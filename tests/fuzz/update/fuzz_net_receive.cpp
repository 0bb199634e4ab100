// Server bytes through the readers the update download uses: header lines with ReceiveLine under a
// small line bound until the empty line, then the body with ReceiveChar(4096). The bytes come from
// one end of a socket pair. Checks that no byte is lost or invented: the lines and the body
// together are the input, less the line ends.

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/tsocket.h"

namespace {

constexpr std::size_t kLineBound = 64;
constexpr std::size_t kMaxInput = 64 * 1024;  // stays within the socket pair's buffer

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = write(ends[1], input.data() + sent, size - sent);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    close(ends[1]);

    vm::TSocket socket(ends[0]);
    socket.SetMaxLineLength(kLineBound);
    socket.SetReceiveTimeout(1000);

    // Walk the input beside the reader: each line must be the next bytes up to the LF, less a CR
    // just before it.
    std::size_t at = 0;
    bool abandoned = false;
    for (;;) {
        const std::string line = socket.ReceiveLine();
        if (socket.LastStatus() == vm::NetStatus::LimitReached) {
            Check(line.empty());
            abandoned = true;
            break;
        }
        const std::size_t lf = input.find('\n', at);
        const std::size_t end = lf == std::string::npos ? size : lf;
        std::string expected = input.substr(at, end - at);
        if (lf != std::string::npos && !expected.empty() && expected.back() == '\r') {
            expected.pop_back();
        }
        Check(expected.size() <= kLineBound);
        Check(line == expected);
        at = lf == std::string::npos ? size : lf + 1;
        if (line.empty())
            break;
    }

    std::string body;
    for (std::string piece; !(piece = socket.ReceiveChar(4096)).empty();) {
        Check(piece.size() <= 4096);
        body += piece;
    }
    if (abandoned) {
        Check(body.empty());
    } else {
        Check(body == input.substr(at));
        Check(socket.LastStatus() == vm::NetStatus::Closed);
    }
    socket.Close();
    return 0;
}
