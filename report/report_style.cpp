#include "report/report_style.h"

#include "core/win1252.h"

namespace vm {

std::string Cp1252(std::string_view utf8) {
    return utf8ToWin1252(utf8);
}

}  // namespace vm
