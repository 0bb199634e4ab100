#pragma once
// Whether the program has a display to open its windows on, asked before the application object
// is made: started over ssh without one, the program says so in one line and ends, rather than
// failing inside the windowing system.

#include <string>

namespace vm {

// True when a display is there to try: $DISPLAY or $WAYLAND_DISPLAY is set, or a platform is
// chosen ($QT_QPA_PLATFORM, or Qt's -platform option among the arguments), which Qt then opens
// itself. False with `reason` set ("DISPLAY is not set") otherwise.
bool HasDisplay(int argc, char** argv, std::string* reason);

}  // namespace vm
