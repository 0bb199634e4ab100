#include "cli/values_outside_limits.h"

#include <iostream>

#include "core/field_limits.h"

namespace vm {

namespace {

// What the field takes, for a value outside it.
std::string Wanted(const FieldLimit& limit, double value) {
    if (value >= 0 && !FitsANumberField(value)) {
        return value < 1 ? "too small to be held: 0 or at least 10^-307"
                         : "too large to be held: below 10^15";
    }
    return std::string("must be ") + (limit.zeroAllowed ? "0 or more" : "more than 0");
}

}  // namespace

std::string ValuesOutsideLimits(const DadosProjeto& p) {
    std::string text;
    for (const FieldLimit* limit : FieldsOutsideLimits(p)) {
        text += (text.empty() ? "" : ", ") + std::string(limit->field) + " is " +
                FieldValueText(p, *limit) + " (" + Wanted(*limit, FieldValue(p, *limit)) + ")";
    }
    return text;
}

bool TellValuesOutsideLimits(const DadosProjeto& p, bool report, const std::string& file) {
    const std::string outside = ValuesOutsideLimits(p);
    if (outside.empty()) {
        return true;
    }
    std::cerr << "vistametra-report: " << (report ? "" : "warning: ")
              << (file.empty() ? std::string("the project") : file)
              << " describes no room: " << outside << (report ? "; no report is written" : "")
              << "\n";
    return !report;
}

}  // namespace vm
