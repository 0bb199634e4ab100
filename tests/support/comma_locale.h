#pragma once
// Switches the process to the Brazilian locale (decimal mark ",") for the life of the object, and
// back to the locale it had. Tests use it to show that a conversion ignores the locale.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace vm::testing {

class CommaLocale {
public:
    CommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, "pt_BR.UTF-8") != nullptr &&
                   std::localeconv()->decimal_point == std::string(",");
        EXPECT_TRUE(m_active) << "the pt_BR.UTF-8 locale is missing (tools/make-test-locale.sh)";
    }
    ~CommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

}  // namespace vm::testing
