#include "update/http_proxy.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "core/ascii.h"

namespace vm {

namespace {

// True when `host` is exempted by one entry of no_proxy.
bool exempted(const std::string& host, std::string entry) {
    if (entry == "*") {
        return true;
    }
    if (!entry.empty() && entry.front() == '.') {
        entry.erase(0, 1);
    }
    // A port in the entry ("example.com:8080"), but not the colons of an IPv6 address.
    if (const auto colon = entry.rfind(':');
        colon != std::string::npos && entry.find(':') == colon) {
        entry.erase(colon);
    }
    if (entry.empty()) {
        return false;
    }
    return host == entry || (host.size() > entry.size() &&
                             host.compare(host.size() - entry.size(), entry.size(), entry) == 0 &&
                             host[host.size() - entry.size() - 1] == '.');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The user name or password of an address's user part, whose reserved bytes (":", "@", "%", "/")
// are written as "%" and two hexadecimal digits: "p%40ss%3A1" is "p@ss:1". A "%" without two
// digits after it stays as it is; "+" is a plus sign here, not a blank.
std::string percentDecoded(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

bool exemptedByList(const std::string& host, const std::string& list) {
    std::string entry;
    for (const char c : list + ",") {
        if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (exempted(host, entry)) {
                return true;
            }
            entry.clear();
        } else {
            entry += c;
        }
    }
    return false;
}

}  // namespace

std::optional<HttpProxy> ProxyFor(const std::string& host, const char* httpProxy,
                                  const char* noProxy) {
    if (httpProxy == nullptr || *httpProxy == '\0') {
        return std::nullopt;
    }
    if (noProxy != nullptr && exemptedByList(AsciiLower(host), AsciiLower(noProxy))) {
        return std::nullopt;
    }
    std::string rest = httpProxy;
    if (const auto scheme = rest.find("://"); scheme != std::string::npos) {
        if (AsciiLower(rest.substr(0, scheme)) != "http") {
            return std::nullopt;
        }
        rest.erase(0, scheme + 3);
    }
    rest = rest.substr(0, rest.find('/'));
    HttpProxy proxy;
    if (const auto at = rest.rfind('@'); at != std::string::npos) {
        const std::string credentials = rest.substr(0, at);
        rest.erase(0, at + 1);
        const auto colon = credentials.find(':');
        proxy.user = percentDecoded(credentials.substr(0, colon));
        if (colon != std::string::npos) {
            proxy.password = percentDecoded(credentials.substr(colon + 1));
        }
    }
    const auto colon = rest.rfind(':');
    const auto bracket = rest.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        const std::string digits = rest.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isdigit(c); })) {
            return std::nullopt;
        }
        proxy.port = std::stoi(digits);
        rest.erase(colon);
        if (proxy.port < 1 || proxy.port > 65535) {
            return std::nullopt;
        }
    }
    if (rest.size() >= 2 && rest.front() == '[' && rest.back() == ']') {
        rest = rest.substr(1, rest.size() - 2);
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    proxy.host = rest;
    return proxy;
}

std::optional<HttpProxy> ProxyFromEnvironment(const std::string& host) {
    const char* noProxy = std::getenv("no_proxy");
    if (noProxy == nullptr) {
        noProxy = std::getenv("NO_PROXY");
    }
    return ProxyFor(host, std::getenv("http_proxy"), noProxy);
}

}  // namespace vm
