#pragma once
// The only code that touches the platform's socket interface (blocking IPv4 TCP on POSIX). Handles
// are file descriptors; -1 is "no socket". Nothing here throws: failures come back as false, ""
// or 0, and the optional status tells why.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_limits.h"

namespace vm {

// Starts the layer (sets the started flag) and returns 0; runs before main and may run again.
int SocketInit();
// Clears the started flag; runs at the end of the process. While the flag is clear every
// primitive below that uses a socket fails at once.
void SocketExit();
bool SocketStarted();

// Creates a stream socket and connects it to `host` (a dotted address or a name, the first IPv4
// address of the name is used) and `port`. True when connected. `timeoutMs` (-1: no limit) bounds
// the name's look-up and the connection together. When the name cannot be resolved in that time
// (or the layer is not started, or the port is outside 0..65535) the result is false and `handle`
// is left unchanged; when the connection is refused, unreachable or not accepted in time the
// result is false and `handle` is the new, unconnected socket, which the caller releases with
// SocketClose.
bool SocketConnect(int& handle, const std::string& host, int port, int timeoutMs = -1,
                   NetStatus* status = nullptr);

// Sends the whole text, going on after partial sends. With `timeoutMs` not -1 the socket's send
// time-out is set first. False when the layer is not started, the handle is -1 or a send fails
// (a peer that has gone away gives false, never a signal).
bool SocketSend(int handle, std::string_view text, int timeoutMs, NetStatus* status = nullptr);

// One receive of at most buffer.size() bytes, waiting at most `timeoutMs` (-1: no limit) for data.
// The buffer is replaced by exactly the bytes received and their count is returned. End of
// stream, an error and a time-out all give 0 and an empty buffer (the status tells them apart).
// When the layer is not started, the handle is -1 or the buffer is empty, 0 is returned and the
// buffer is not touched.
int SocketReceive(int handle, std::string& buffer, int timeoutMs, NetStatus* status = nullptr);
// The same into `size` bytes at `data`, which the caller owns (no allocation per receive). Returns
// the count received; 0 at the end of the stream, on an error, a time-out, or when the layer is
// not started, the handle is -1 or `size` is 0.
int SocketReceiveInto(int handle, char* data, std::size_t size, int timeoutMs,
                      NetStatus* status = nullptr);

// Closes the socket; true when it was closed. The handle becomes -1 in every case.
bool SocketClose(int& handle);

// As SocketConnect, but binds the new socket to the address and port (0: any free port).
bool SocketBind(int& handle, const std::string& address, int port);

// Listens with the backlog, then waits for one client; true, with the accepted connection's
// handle in `newHandle`, when a client came in.
bool SocketListen(int handle, int backlog, int& newHandle);

// The local host name; "" on failure.
std::string SocketLocalName();
// The local host's IPv4 addresses in dotted form; empty on failure.
std::vector<std::string> SocketLocalAddress();
// The local port of a bound or connected socket; 0 on failure.
int SocketLocalPort(int handle);

// MD5 of the text as 32 lower-case hexadecimal digits.
std::string SocketMD5(std::string_view text);
std::string SocketEncode64(std::string_view text, int lineLength);
std::string SocketDecode64(std::string_view text);
// The CRAM-MD5 client response: the Base64 form of user + " " + the hexadecimal HMAC-MD5 of the
// Base64-decoded challenge keyed with the password. Key and challenge count up to their first
// zero byte.
std::string SocketHMAC_MD5(std::string_view user, std::string_view key,
                           std::string_view challenge64);

}  // namespace vm
