#include "program/font_config_preload.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace vm {

FontConfigPreload::FontConfigPreload() {
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the font system reads the configuration when it first needs it.
    }
}

FontConfigPreload::~FontConfigPreload() {
    wait();
}

void FontConfigPreload::wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

}  // namespace vm
