// Untrusted text through the decoders: Base64 and percent decoding, and the CRAM-MD5 response to
// an arbitrary challenge. Checks the round trips that must hold for every input.

#include <cstdint>
#include <string>

#include "net/encodings.h"
#include "net/tdecode.h"
#include "tests/fuzz/fuzz_check.h"

using vm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const vm::TDecode decode;

    const std::string bytes = decode.Decode64(input);
    Check(bytes.size() <= input.size() * 3 / 4);
    // Decoding what was encoded gives the bytes back, with and without line breaks.
    Check(decode.Decode64(decode.Encode64(bytes)) == bytes);
    Check(decode.Decode64(decode.Encode64(input, 1 + static_cast<int>(size % 80))) == input);

    const std::string text = decode.Decode(input);
    Check(text.size() <= input.size());
    Check(decode.Decode(decode.Encode(input)) == input);

    const std::size_t split = size / 2;
    const std::string response =
        decode.HMAC_MD5("user", input.substr(0, split), input.substr(split));
    const std::string plain = decode.Decode64(response);
    Check(plain.size() == 4 + 1 + 32 && plain.compare(0, 5, "user ") == 0);
    return 0;
}
