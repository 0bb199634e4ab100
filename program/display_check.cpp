#include "program/display_check.h"

#include <cstdlib>
#include <cstring>

namespace vm {

namespace {

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

bool platformArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
            std::strncmp(argv[i], "-platform=", 10) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool HasDisplay(int argc, char** argv, std::string* reason) {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM") ||
        platformArgument(argc, argv)) {
        return true;
    }
    *reason = "DISPLAY is not set";
    return false;
}

}  // namespace vm
