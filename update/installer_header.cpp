#include "update/installer_header.h"

#include "core/ascii.h"

namespace vm {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool Is200(std::string_view line) {
    if (line.size() < 12 || !(line.size() == 12 || line[12] == ' '))
        return false;
    return EqualsIgnoringAsciiCase(line.substr(0, 12), "http/1.0 200") ||
           EqualsIgnoringAsciiCase(line.substr(0, 12), "http/1.1 200");
}

}  // namespace

std::optional<std::uint64_t> ContentLengthValue(std::string_view value, std::uint64_t bound) {
    value = Trimmed(value);
    if (value.empty())
        return std::nullopt;
    std::uint64_t length = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        // Checked before each step, so no number of digits can overflow.
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (digit > bound || length > (bound - digit) / 10)
            return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

void InstallerHeader::Add(std::string_view line) {
    if (++m_lines == 1) {
        m_answered200 = Is200(line);
        const std::size_t blank = line.find(' ');
        m_statusText = std::string(blank == std::string_view::npos ? line : line.substr(blank + 1));
        return;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    const std::string_view name = Trimmed(line.substr(0, colon));
    if (EqualsIgnoringAsciiCase(name, "content-length")) {
        ++m_lengthLines;
        m_length = ContentLengthValue(line.substr(colon + 1), m_maxLength);
    } else if (EqualsIgnoringAsciiCase(name, "transfer-encoding")) {
        m_transferEncoding = true;
    }
}

std::optional<std::uint64_t> InstallerHeader::Length() const {
    // An announced length of 0 is no installer: nothing would be started but an empty file.
    if (m_lengthLines != 1 || m_transferEncoding || m_length == std::uint64_t{0})
        return std::nullopt;
    return m_length;
}

}  // namespace vm
