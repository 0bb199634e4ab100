#pragma once
// An expectation inside a fuzz target.

#include <cstdlib>

namespace vm::fuzz {

// Ends the run on a broken expectation, so that the fuzzer keeps the input that broke it.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace vm::fuzz
