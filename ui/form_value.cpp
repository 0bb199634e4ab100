#include "ui/form_value.h"

namespace vm {

bool FormValue::logical() const {
    const bool* v = std::get_if<bool>(&m_value);
    return v != nullptr && *v;
}

double FormValue::number() const {
    const double* v = std::get_if<double>(&m_value);
    return v != nullptr ? *v : 0.0;
}

std::string FormValue::text() const {
    const std::string* v = std::get_if<std::string>(&m_value);
    return v != nullptr ? *v : std::string();
}

Date FormValue::date() const {
    const Date* v = std::get_if<Date>(&m_value);
    return v != nullptr ? *v : Date::empty();
}

}  // namespace vm
