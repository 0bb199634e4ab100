#pragma once
// The vendor's version page as the update check reads it.

#include <optional>
#include <string>

#include "update/update_site.h"

namespace vm {

// The raw answer (status line, header and body) to a GET of "/vistametra/index.html" on `site`,
// within the site's bounds: connect and name look-up together within the connect time-out, then
// request and answer within site.pageTimeLimitMs, at most limits.maxStringLength bytes. Nothing
// when the server could not be asked or said nothing: no connection, the request not sent, or not
// one byte before the close or the time-out. Blocks the calling thread.
std::optional<std::string> FetchVersionPage(const UpdateSite& site);

}  // namespace vm
