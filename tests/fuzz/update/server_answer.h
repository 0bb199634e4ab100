#pragma once
// The set-up the network fuzz targets share: the fuzzer's bytes as what a server sent, waiting in
// one end of a socket pair, read through a TSocket on the other end. The server's side is shut for
// sending once the bytes are in (the answer ends there) but stays open, so a request the client
// sends still has somewhere to go.

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/tsocket.h"

namespace vm::fuzz {

class ServerAnswer {
public:
    ServerAnswer(const std::uint8_t* data, std::size_t size);
    // Closes both ends.
    ~ServerAnswer();
    ServerAnswer(const ServerAnswer&) = delete;
    ServerAnswer& operator=(const ServerAnswer&) = delete;

    // False when the bytes could not all be put in place without waiting (more than the pair's
    // buffer takes, about 64 KiB): the input is then passed over.
    bool Ready() const { return m_ready; }
    // What the server sent.
    const std::string& Bytes() const { return m_bytes; }
    // The client's connection, with a receive time-out of one second.
    TSocket& Client() { return m_client; }

private:
    std::string m_bytes;
    TSocket m_client;
    int m_server = -1;
    bool m_ready = false;
};

}  // namespace vm::fuzz
