#pragma once
// A division or remainder by zero yields 0 and the work goes on; every division of the program
// whose divisor can be zero goes through these.

#include <cmath>

namespace vm {

inline double SafeDiv(double dividend, double divisor) {
    return divisor == 0.0 ? 0.0 : dividend / divisor;
}

inline double SafeMod(double dividend, double divisor) {
    return divisor == 0.0 ? 0.0 : std::fmod(dividend, divisor);
}

}  // namespace vm
