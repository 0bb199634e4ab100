#pragma once
// Where the download puts the body: the installer's file in the program, a counter in the fuzz
// target.

#include <cstddef>

namespace vm {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes all `size` bytes; false when they could not all be taken.
    virtual bool Write(const char* data, std::size_t size) = 0;
    // The system's error number for the last failure; 0 when there was none.
    virtual int Error() const = 0;
};

}  // namespace vm
