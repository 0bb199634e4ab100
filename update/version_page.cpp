#include "update/version_page.h"

#include "net/thttp.h"

namespace vm {

std::optional<std::string> FetchVersionPage(const UpdateSite& site) {
    THttp oSock;
    oSock.SetLimits(site.limits);
    oSock.SetAnswerTimeLimit(site.pageTimeLimitMs);
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
