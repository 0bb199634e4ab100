#pragma once
// Inside the form layer: the settings that every form defined afterwards takes (SetDefaultFont,
// SetDefaultIcon, SetEnterNavigation). Read and written on the event-loop thread.

#include <string>

namespace vm::forms {

struct Settings {
    std::string fontName = "ARIAL";
    int fontSize = 9;
    std::string icon = "qtv";
    bool enterNavigation = false;
};

Settings& settings();

}  // namespace vm::forms
