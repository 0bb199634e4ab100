// Reading the font configuration is most of what the first text a program shows costs: fontconfig
// parses several dozen XML files. Started before the application object, a FontConfigPreload
// reads it on a thread of its own while the application connects to the display.
#pragma once

#include <thread>

namespace vm {

class FontConfigPreload {
public:
    FontConfigPreload();
    ~FontConfigPreload();
    FontConfigPreload(const FontConfigPreload&) = delete;
    FontConfigPreload& operator=(const FontConfigPreload&) = delete;

    // Returns once the configuration has been read; call it before the first text is measured,
    // so that the font system does not read it a second time meanwhile.
    void wait();

private:
    std::thread m_thread;
};

}  // namespace vm
