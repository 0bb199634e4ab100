#pragma once
// Where the update check and the download reach the vendor, and the time-outs and bounds they
// apply. The program always uses the defaults; tests point a site at a loopback server and
// shorten the time-outs.

#include <string>

#include "core/platform_paths.h"
#include "net/net_limits.h"
#include "update/http_proxy.h"

namespace vm {

inline constexpr const char* kVendorHost = "www.vistametra.com.br";

struct UpdateSite {
    std::string host = kVendorHost;
    int port = 80;
    // Connect and receive time-outs, the header line bound and the bound of a whole page or
    // error answer.
    NetLimits limits = UpdateNetLimits();
    // Longest time the version page, or the header of the installer's answer, may take in total.
    int pageTimeLimitMs = kUpdatePageTimeLimitMs;
    int headerTimeLimitMs = kUpdateHeaderTimeLimitMs;
    // Most header lines of the installer's answer that are read before the answer is given up.
    int maxHeaderLines = kUpdateMaxHeaderLines;
    // An installed copy only tells of a newer version and names the package manager: it never
    // downloads or runs a file fetched from the site.
    bool installedCopy = isInstalledCopy();
    // The proxy that both requests go through: $http_proxy unless $no_proxy exempts the vendor's
    // host. Tests that point the site elsewhere set it themselves.
    std::optional<HttpProxy> proxy = ProxyFromEnvironment(kVendorHost);
};

}  // namespace vm
