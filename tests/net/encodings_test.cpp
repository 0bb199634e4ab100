// TDecode and the digests against the published test vectors: MD5 (RFC 1321), HMAC-MD5 (RFC 2202,
// the test cases of RFC 2104's construction), Base64 (RFC 4648) and CRAM-MD5 (RFC 2195).

#include "net/encodings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/tdecode.h"

namespace vm {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

struct Pair {
    std::string in;
    std::string out;
};

TEST(TDecodeMd5, Rfc1321TestSuite) {
    const std::vector<Pair> cases = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    const TDecode decode;
    for (const auto& c : cases)
        EXPECT_EQ(decode.MD5(c.in), c.out) << '"' << c.in << '"';
}

// Lengths at the padding boundaries, where the length field fits into the last block (55) or needs
// one more (56, 63, 64); values from an independent MD5.
TEST(TDecodeMd5, PaddingBoundaries) {
    const std::vector<Pair> cases = {
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
    };
    const TDecode decode;
    for (const auto& c : cases)
        EXPECT_EQ(decode.MD5(c.in), c.out) << c.in.size() << " bytes";
}

struct HmacCase {
    std::string key;
    std::string data;
    std::string digest;
};

std::vector<HmacCase> Rfc2202Cases() {
    std::string key4;
    for (int i = 1; i <= 25; ++i)
        key4 += static_cast<char>(i);
    return {
        {std::string(16, '\x0b'), "Hi There", "9294727a3638bb1c13f48ef8158bfc9d"},
        {"Jefe", "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738"},
        {std::string(16, '\xaa'), std::string(50, '\xdd'), "56be34521d144c88dbb8c733f0e8b3f6"},
        {key4, std::string(50, '\xcd'), "697eaf0aca3a3aea3a75164746ffaa79"},
        {std::string(16, '\x0c'), "Test With Truncation", "56461ef2342edc00f9bab995690efd4c"},
        {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {std::string(80, '\xaa'),
         "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "6f630fad67cda0ee1fb1f562db3aa53e"},
    };
}

TEST(HmacMd5, Rfc2202TestCases) {
    int n = 0;
    for (const auto& c : Rfc2202Cases()) {
        SCOPED_TRACE(++n);
        EXPECT_EQ(DigestHex(HmacMd5(c.key, c.data)), c.digest);
    }
}

// The same vectors through the CRAM-MD5 response: the data goes in as a Base64 challenge and the
// digest comes back after the user name, Base64-encoded.
TEST(TDecodeHmacMd5, CramResponseCarriesTheRfc2202Digests) {
    const TDecode decode;
    int n = 0;
    for (const auto& c : Rfc2202Cases()) {
        SCOPED_TRACE(++n);
        const std::string response = decode.HMAC_MD5("user", c.key, decode.Encode64(c.data));
        EXPECT_EQ(decode.Decode64(response), "user " + c.digest);
    }
}

TEST(TDecodeHmacMd5, Rfc2195Example) {
    const TDecode decode;
    EXPECT_EQ(decode.HMAC_MD5("tim", "tanstaaftanstaaf",
                              "PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+"),
              "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw");
}

TEST(TDecodeHmacMd5, KeyAndChallengeEndAtTheirFirstZeroByte) {
    const TDecode decode;
    const std::string challenge = decode.Encode64("<1896.697170952@postoffice.reston.mci.net>");
    const std::string withTail =
        decode.Encode64(std::string("<1896.697170952@postoffice.reston.mci.net>\0junk", 47));
    const std::string expected = decode.HMAC_MD5("tim", "tanstaaftanstaaf", challenge);
    EXPECT_EQ(decode.HMAC_MD5("tim", std::string("tanstaaftanstaaf\0x", 18), challenge), expected);
    EXPECT_EQ(decode.HMAC_MD5("tim", "tanstaaftanstaaf", withTail), expected);
}

TEST(TDecodeBase64, Rfc4648TestVectorsBothWays) {
    const std::vector<Pair> cases = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    const TDecode decode;
    for (const auto& c : cases) {
        EXPECT_EQ(decode.Encode64(c.in), c.out) << '"' << c.in << '"';
        EXPECT_EQ(decode.Decode64(c.out), c.in) << '"' << c.out << '"';
    }
}

TEST(TDecodeBase64, EveryByteValueRoundTrips) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const TDecode decode;
    EXPECT_EQ(decode.Encode64(all).size(), (256 + 2) / 3 * 4);
    EXPECT_EQ(decode.Decode64(decode.Encode64(all)), all);
    EXPECT_EQ(decode.Decode64(decode.Encode64(all, 57)), all);
}

// The line length counts input bytes in steps of three; CR LF follows a group whenever the count
// is a multiple of it.
TEST(TDecodeBase64, LineLength) {
    struct LineCase {
        std::string in;
        int lineLength;
        std::string out;
    };
    const std::vector<LineCase> cases = {
        {"foobar", 0, "Zm9vYmFy"},
        {"foobar", 3, "Zm9v\r\nYmFy\r\n"},
        {"foobar", 6, "Zm9vYmFy\r\n"},
        {"foobar", 4, "Zm9vYmFy"},
        {"foob", 3, "Zm9v\r\nYg==\r\n"},
        {"foob", 6, "Zm9vYg==\r\n"},
        {std::string(58, 'a'), 57, Repeat("YWFh", 19) + "\r\nYQ=="},
    };
    const TDecode decode;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in + " / " + std::to_string(c.lineLength));
        EXPECT_EQ(decode.Encode64(c.in, c.lineLength), c.out);
    }
}

TEST(TDecodeBase64, DecodingSkipsWhatIsNotBase64AndStopsAtPadding) {
    const std::vector<Pair> cases = {
        {"Zm9v\r\nYmFy\r\n", "foobar"},
        {"Zm9v YmFy", "foobar"},
        {"Zg", "f"},
        {"Zm8", "fo"},
        {"Z", ""},
        {"Zg==Zm9v", "f"},
        {"Z*g=", "f"},
        {"=Zm9v", ""},
        {std::string("Zm\0"
                     "9v",
                     5),
         "foo"},
        {"\xda"
         "Zm9v",
         "foo"},
    };
    const TDecode decode;
    for (const auto& c : cases)
        EXPECT_EQ(decode.Decode64(c.in), c.out) << '"' << c.in << '"';
}

TEST(TDecodePercent, EncodeKeepsOnlyAsciiLettersAndDigits) {
    const std::vector<Pair> cases = {
        {"a b", "a+b"},
        {"&", "%26"},
        {"\xe9", "%e9"},
        {"azAZ09", "azAZ09"},
        {"-_.~+%", "%2d%5f%2e%7e%2b%25"},
        {std::string("\0\xff", 2), "%00%ff"},
        {"", ""},
    };
    const TDecode decode;
    for (const auto& c : cases)
        EXPECT_EQ(decode.Encode(c.in), c.out) << '"' << c.in << '"';
}

TEST(TDecodePercent, DecodeReversesEncodeAndCopiesBrokenEscapes) {
    const std::vector<Pair> cases = {
        {"a+b", "a b"}, {"%26", "&"},     {"%E9%e9", "\xe9\xe9"}, {"%zz", "%zz"}, {"%4", "%4"},
        {"%", "%"},     {"100%", "100%"}, {"%4g1", "%4g1"},       {"%%41", "%A"}, {"a%2Bb", "a+b"},
    };
    const TDecode decode;
    for (const auto& c : cases)
        EXPECT_EQ(decode.Decode(c.in), c.out) << '"' << c.in << '"';

    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(decode.Decode(decode.Encode(all)), all);
}

}  // namespace
}  // namespace vm
