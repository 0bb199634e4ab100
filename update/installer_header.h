#pragma once
// The header of the installer's answer: its status line, and the one Content-Length that says how
// many body bytes follow.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vm {

// The value of a Content-Length line: decimal digits only, with optional blanks (space or tab)
// before and after them, and at most `bound`. Nothing for any other value: empty, a sign, a
// fraction, an exponent, letters, or a number beyond the bound, however many digits it has.
std::optional<std::uint64_t> ContentLengthValue(std::string_view value, std::uint64_t bound);

class InstallerHeader final {
public:
    // `maxLength`: the largest length taken as valid.
    explicit InstallerHeader(std::uint64_t maxLength) : m_maxLength(maxLength) {}

    // Takes the next line of the header, without its line end; the first one is the status line.
    void Add(std::string_view line);

    int Lines() const { return m_lines; }
    // True when the status line reads "HTTP/1.0 200" or "HTTP/1.1 200", alone or followed by a
    // blank (any case).
    bool Answered200() const { return m_answered200; }
    // The status line after its first blank (for example "404 Not Found"), or the whole line when
    // it holds none; "" before the first line.
    const std::string& StatusText() const { return m_statusText; }
    // The announced body length: present only when exactly one Content-Length line came (its name
    // matched without regard to case), its value is valid, and no Transfer-Encoding line came (a
    // body in another encoding is not the length's bytes).
    std::optional<std::uint64_t> Length() const;

private:
    std::uint64_t m_maxLength;
    int m_lines = 0;
    bool m_answered200 = false;
    std::string m_statusText;
    int m_lengthLines = 0;
    std::optional<std::uint64_t> m_length;
    bool m_transferEncoding = false;
};

}  // namespace vm
