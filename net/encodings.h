#pragma once
// Digests and Base64 of the socket layer: MD5 (RFC 1321), HMAC-MD5 (RFC 2104), Base64 (RFC 4648)
// and the client response of CRAM-MD5 (RFC 2195). Texts are byte strings; none of these fails.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

using Md5Digest = std::array<std::uint8_t, 16>;

Md5Digest Md5(std::string_view data);

// HMAC-MD5 of `data` with `key`; a key longer than 64 bytes is first replaced by its MD5 digest.
Md5Digest HmacMd5(std::string_view key, std::string_view data);

// The digest as 32 lower-case hexadecimal digits.
std::string DigestHex(const Md5Digest& digest);

// Standard Base64 with "=" padding. With `lineLength` above 0 a running count goes up by 3 for
// every group of (up to) three input bytes, and CR LF follows a group's four characters whenever
// that count is a multiple of `lineLength`. An empty input gives "".
std::string Base64Encode(std::string_view data, int lineLength = 0);

// The bytes that the Base64 characters stand for. The first "=" ends the data; line ends, blanks
// and every other character outside the alphabet are skipped; a last incomplete group yields the
// whole bytes its bits hold. Padding never turns into bytes.
std::string Base64Decode(std::string_view text);

}  // namespace vm
