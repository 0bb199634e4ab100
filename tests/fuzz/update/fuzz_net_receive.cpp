// Server bytes through the readers the update download uses: header lines with ReceiveLine under a
// small line bound until the empty line, then the body with ReceiveChar(4096). The bytes come from
// one end of a socket pair (server_answer.h). Checks that no byte is lost or invented: the lines
// and the body together are the input, less the line ends.

#include <cstdint>
#include <string>

#include "net/tsocket.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/update/server_answer.h"

namespace {

using vm::fuzz::Check;

constexpr std::size_t kLineBound = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vm::fuzz::ServerAnswer server(data, size);
    if (!server.Ready())
        return 0;
    const std::string& input = server.Bytes();
    vm::TSocket& socket = server.Client();
    socket.SetMaxLineLength(kLineBound);

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
    return 0;
}
