#include "cli/set_value.h"

#include <cmath>

#include "core/date.h"
#include "core/field_limits.h"
#include "core/text.h"
#include "core/win1252.h"

namespace vm {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Exactly dd/mm/yy, and a day that exists.
bool isRealDate(std::string_view text) {
    if (text.size() != 8 || text[2] != '/' || text[5] != '/') {
        return false;
    }
    for (size_t i : {0, 1, 3, 4, 6, 7}) {
        if (!isDigit(text[i])) {
            return false;
        }
    }
    return !(CToD(text) == Date::empty());
}

}  // namespace

std::string CheckSetValue(const ProjectField& field, std::string_view value, std::string& win1252) {
    if (!fitsWin1252(value)) {
        return "holds characters that a project cannot hold (Windows-1252)";
    }
    win1252 = utf8ToWin1252(value);
    switch (field.kind) {
        case FieldKind::Number:
            if (!IsNumberText(win1252)) {
                return "is not a number (digits with at most one \".\" as the decimal point, "
                       "e.g. 3.5)";
            }
            if (!FitsANumberField(Val(win1252))) {
                return std::fabs(Val(win1252)) < 1
                           ? "is too small to be held (a number other than 0 must be at least "
                             "10^-307 in size)"
                           : "is too large to be held (a number must stay below 10^15 in size)";
            }
            if (const FieldLimit* limit = findFieldLimit(field.name);
                limit != nullptr && !WithinFieldLimit(*limit, Val(win1252))) {
                return std::string("describes no room: ") + field.name + " must be " +
                       (limit->zeroAllowed ? "0 or more" : "more than 0");
            }
            break;
        case FieldKind::Date:
            if (!isRealDate(win1252)) {
                return "is not a real date written dd/mm/yy (e.g. 05/03/26)";
            }
            break;
        case FieldKind::Text:
        case FieldKind::Logical:
            break;
    }
    return "";
}

}  // namespace vm
