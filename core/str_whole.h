#pragma once
// Numbers printed whole: Str in the width a field gives it, widened only when the value does not
// fit, so that no figure is lost to asterisks in the project file or on the report.

#include <string>

namespace vm {

// Str(value, width, decimals) when the value fits that width; otherwise the same decimals in the
// smallest width that holds the value (1234.5 in (5, 2) gives "1234.50", -10.5 in (5, 2) gives
// "-10.50"). A value that is not finite stays `width` asterisks, as Str gives it.
std::string StrWhole(double value, int width, int decimals = 0);

}  // namespace vm
