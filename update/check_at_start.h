#pragma once
// The quiet update check at start-up, which the user can turn off: the choice is asked once at
// the first start of an installed copy, changed from the Help menu and kept between runs.

#include <functional>

#include "update/update_site.h"

namespace vm {

// The start-up check against `site`: nothing when the user turned it off (no connection is made);
// an installed copy without a choice yet first asks whether to check at all, and keeps the
// answer. Otherwise UpdateFrom(site, false, waiting).
void CheckAtStart(const UpdateSite& site, const std::function<void(bool waiting)>& waiting = {});

// The Help menu's item: asks whether to check at every start, showing the current choice, and
// keeps the answer.
void ChooseCheckAtStart();

}  // namespace vm
