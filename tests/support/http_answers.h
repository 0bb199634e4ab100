#pragma once
// Answers of an HTTP server, for the loopback server's handlers.

#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/loopback_server.h"

namespace vm::test {

// "HTTP/1.1 200 OK", a Content-Length of the body's size, an empty line and the body.
std::string InstallerAnswer(std::string_view body);
// The version page: "HTTP/1.0 200 OK", a content type, an empty line and the body.
std::string PageAnswer(std::string_view body);
// A handler that answers every request with "200 OK" and `size` bytes of a fixed pattern, as a
// large download: the body goes out in pieces of 64 KiB and is never held whole.
LoopbackServer::Handler LargeBodyAnswer(std::uint64_t size);

}  // namespace vm::test
