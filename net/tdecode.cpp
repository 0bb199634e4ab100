#include "net/tdecode.h"

#include "net/socket_primitives.h"

namespace vm {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsAsciiAlnum(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string TDecode::Decode(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string TDecode::Encode(std::string_view text) const {
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            out += '+';
        } else if (IsAsciiAlnum(byte)) {
            out += c;
        } else {
            out += '%';
            out += m_cCharPos[byte >> 4];
            out += m_cCharPos[byte & 15];
        }
    }
    return out;
}

std::string TDecode::Encode64(std::string_view text, int lineLength) const {
    return SocketEncode64(text, lineLength);
}

std::string TDecode::Decode64(std::string_view text) const {
    return SocketDecode64(text);
}

std::string TDecode::MD5(std::string_view text) const {
    return SocketMD5(text);
}

std::string TDecode::HMAC_MD5(std::string_view user, std::string_view password,
                              std::string_view challenge64) const {
    return SocketHMAC_MD5(user, password, challenge64);
}

}  // namespace vm
