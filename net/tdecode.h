#pragma once
// Text encodings and digests of the socket layer: percent encoding of form data, Base64, MD5 and
// the CRAM-MD5 response. None of these fails.

#include <string>
#include <string_view>

namespace vm {

class TDecode final {
public:
    // Form data: "+" becomes a blank and "%" with two hexadecimal digits (either case) the byte of
    // that value; a "%" without two digits after it, and every other byte, are copied.
    std::string Decode(std::string_view text) const;
    // Form data: a blank becomes "+", ASCII letters and digits are copied, every other byte becomes
    // "%" and two lower-case hexadecimal digits.
    std::string Encode(std::string_view text) const;
    // Base64 in one line (lineLength 0) or with CR LF after every lineLength input bytes.
    std::string Encode64(std::string_view text, int lineLength = 0) const;
    // The bytes of a Base64 text; see Base64Decode.
    std::string Decode64(std::string_view text) const;
    // MD5 as 32 lower-case hexadecimal digits.
    std::string MD5(std::string_view text) const;
    // The CRAM-MD5 client response to a Base64 challenge.
    std::string HMAC_MD5(std::string_view user, std::string_view password,
                         std::string_view challenge64) const;

private:
    const std::string m_cCharPos = "0123456789abcdef";
};

}  // namespace vm
