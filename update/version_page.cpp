#include "update/version_page.h"

#include "net/thttp.h"

namespace vm {

std::optional<std::string> FetchVersionPage(const UpdateSite& site) {
    THttp oSock;
    oSock.SetLimits(site.limits);
    oSock.SetAnswerTimeLimit(site.pageTimeLimitMs);
    if (site.proxy) {
        oSock.SetProxy(site.proxy->host, site.proxy->port, site.proxy->user, site.proxy->password);
    }
    if (!oSock.Connect(site.host, site.port)) {
        oSock.Close();
        return std::nullopt;
    }
    std::string page = oSock.Get("/vistametra/index.html");
    oSock.Close();
    if (page.empty())
        return std::nullopt;
    return page;
}

}  // namespace vm
