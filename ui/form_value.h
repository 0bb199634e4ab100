#pragma once
// The values that GetProperty and SetProperty carry: absent, a logical, a number, a text
// (Windows-1252 bytes) or a date. Numbers are doubles, also for an option index or a progress
// position, as in the rest of the program.

#include <string>
#include <variant>

#include "core/date.h"

namespace vm {

class FormValue {
public:
    FormValue() = default;  // absent
    FormValue(bool value) : m_value(value) {}
    FormValue(int value) : m_value(static_cast<double>(value)) {}
    FormValue(long value) : m_value(static_cast<double>(value)) {}
    FormValue(double value) : m_value(value) {}
    FormValue(const char* value) : m_value(std::string(value)) {}
    FormValue(std::string value) : m_value(std::move(value)) {}
    FormValue(const Date& value) : m_value(value) {}

    bool isAbsent() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isLogical() const { return std::holds_alternative<bool>(m_value); }
    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    bool isText() const { return std::holds_alternative<std::string>(m_value); }
    bool isDate() const { return std::holds_alternative<Date>(m_value); }

    // Each reader returns the value when it has that type, else the type's empty value
    // (false, 0, "", the empty date).
    bool logical() const;
    double number() const;
    std::string text() const;
    Date date() const;

    // Equal when both have the same type and the same value (absent equals absent).
    friend bool operator==(const FormValue&, const FormValue&) = default;

private:
    std::variant<std::monostate, bool, double, std::string, Date> m_value;
};

}  // namespace vm
