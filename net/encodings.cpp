#include "net/encodings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "net/socket_primitives.h"

namespace vm {

namespace {

// K[i] = floor(|sin(i + 1)| * 2^32), the constants of the four rounds.
const std::array<std::uint32_t, 64>& Md5Constants() {
    static const std::array<std::uint32_t, 64> table = [] {
        std::array<std::uint32_t, 64> k{};
        for (int i = 0; i < 64; ++i) {
            k[i] =
                static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
        }
        return k;
    }();
    return table;
}

constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

std::uint32_t RotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

void Md5Block(std::uint32_t state[4], const unsigned char* block) {
    const auto& k = Md5Constants();
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = std::uint32_t(block[4 * i]) | std::uint32_t(block[4 * i + 1]) << 8 |
               std::uint32_t(block[4 * i + 2]) << 16 | std::uint32_t(block[4 * i + 3]) << 24;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        f += a + k[i] + m[g];
        a = d;
        d = c;
        c = b;
        b += RotateLeft(f, kShift[i]);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string_view UpToZero(std::string_view text) {
    const auto zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

Md5Digest Md5(std::string_view data) {
    std::uint32_t state[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t whole = data.size() / 64 * 64;
    for (std::size_t i = 0; i < whole; i += 64)
        Md5Block(state, bytes + i);

    // The tail, the 0x80 byte, zeros up to 56 modulo 64, and the bit length in little endian.
    unsigned char tail[128] = {};
    const std::size_t rest = data.size() - whole;
    if (rest > 0)
        std::memcpy(tail, bytes + whole, rest);
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 8 + i] = static_cast<unsigned char>(bits >> (8 * i));
    for (std::size_t i = 0; i < tailSize; i += 64)
        Md5Block(state, tail + i);

    Md5Digest digest{};
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<std::uint8_t>(state[i / 4] >> (8 * (i % 4)));
    return digest;
}

Md5Digest HmacMd5(std::string_view key, std::string_view data) {
    std::string block(64, '\0');
    if (key.size() > 64) {
        const Md5Digest hashed = Md5(key);
        std::memcpy(block.data(), hashed.data(), hashed.size());
    } else if (!key.empty()) {
        std::memcpy(block.data(), key.data(), key.size());
    }
    std::string inner(64, '\0');
    std::string outer(64, '\0');
    for (int i = 0; i < 64; ++i) {
        inner[i] = static_cast<char>(block[i] ^ 0x36);
        outer[i] = static_cast<char>(block[i] ^ 0x5c);
    }
    inner.append(data);
    const Md5Digest innerDigest = Md5(inner);
    outer.append(reinterpret_cast<const char*>(innerDigest.data()), innerDigest.size());
    return Md5(outer);
}

std::string DigestHex(const Md5Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(32);
    for (std::uint8_t b : digest) {
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

std::string Base64Encode(std::string_view data, int lineLength) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4 + 8);
    long long count = 0;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, data.size() - i);
        std::uint32_t group = std::uint32_t(static_cast<unsigned char>(data[i])) << 16;
        if (n > 1)
            group |= std::uint32_t(static_cast<unsigned char>(data[i + 1])) << 8;
        if (n > 2)
            group |= std::uint32_t(static_cast<unsigned char>(data[i + 2]));
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += n > 2 ? kAlphabet[group & 63] : '=';
        count += 3;
        if (lineLength > 0 && count % lineLength == 0)
            out += "\r\n";
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t bits = 0;
    int held = 0;
    for (char c : text) {
        if (c == '=')
            break;
        const int value = Base64Value(static_cast<unsigned char>(c));
        if (value < 0)
            continue;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            out += static_cast<char>((bits >> held) & 0xff);
        }
    }
    return out;
}

std::string SocketMD5(std::string_view text) {
    return DigestHex(Md5(text));
}

std::string SocketEncode64(std::string_view text, int lineLength) {
    return Base64Encode(text, lineLength);
}

std::string SocketDecode64(std::string_view text) {
    return Base64Decode(text);
}

std::string SocketHMAC_MD5(std::string_view user, std::string_view key,
                           std::string_view challenge64) {
    const std::string challenge = Base64Decode(challenge64);
    const std::string digest = DigestHex(HmacMd5(UpToZero(key), UpToZero(challenge)));
    std::string response(user);
    response += ' ';
    response += digest;
    return Base64Encode(response);
}

}  // namespace vm
