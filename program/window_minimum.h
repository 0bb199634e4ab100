#pragma once
// The smallest size of a form that still shows every one of its controls whole.

#include <string>

namespace vm {

// Sets the form's minimum size to the extent of its visible controls, its menu and status bars
// included: the window can no longer be shrunk until a control is cut off or hidden.
void KeepEveryControlVisible(const std::string& form);

}  // namespace vm
