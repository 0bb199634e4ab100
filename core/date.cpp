#include "core/date.h"

#include <ctime>

#include "core/win1252.h"

namespace vm {
namespace {

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

char upper(char c) {
    return upperWin1252(c);
}

std::string twoDigits(int n) {
    std::string s = std::to_string(n % 100);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

DateSettings& dateSettings() {
    static DateSettings settings;
    return settings;
}

bool isValidDate(int year, int month, int day) {
    return year >= 0 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

std::string DToC(const Date& date) {
    const std::string& format = dateSettings().format;
    std::string out;
    bool done[3] = {false, false, false};  // D, M, Y: only the first run of each is replaced
    size_t i = 0;
    while (i < format.size()) {
        const char letter = upper(format[i]);
        const int field = letter == 'D' ? 0 : letter == 'M' ? 1 : letter == 'Y' ? 2 : -1;
        if (field < 0) {
            out.push_back(format[i++]);
            continue;
        }
        size_t run = 0;
        while (i + run < format.size() && upper(format[i + run]) == letter) {
            ++run;
        }
        if (date.isEmpty()) {
            out.append(run, ' ');
        } else if (done[field]) {
            out.append(format, i, run);
        } else if (field == 0) {
            out += twoDigits(date.day);
        } else if (field == 1) {
            out += twoDigits(date.month);
        } else if (run >= 4) {
            std::string y = std::to_string(date.year);
            out += std::string(y.size() < 4 ? 4 - y.size() : 0, '0') + y;
        } else {
            out += twoDigits(date.year);
        }
        done[field] = true;
        i += run;
    }
    return out;
}

Date CToD(std::string_view text) {
    // The order of day, month and year follows the first occurrence of each letter in the format.
    const std::string& format = dateSettings().format;
    int order[3] = {-1, -1, -1};  // order[k] = field (0 day, 1 month, 2 year) of the k-th number
    int count = 0;
    bool seen[3] = {false, false, false};
    for (char c : format) {
        const char letter = upper(c);
        const int field = letter == 'D' ? 0 : letter == 'M' ? 1 : letter == 'Y' ? 2 : -1;
        if (field >= 0 && !seen[field] && count < 3) {
            seen[field] = true;
            order[count++] = field;
        }
    }
    if (count < 3) {
        return Date::empty();
    }

    long values[3] = {0, 0, 0};  // a missing field counts as 0
    int current = 0;
    bool inDigits = false;
    bool started = false;
    for (char c : text) {
        if (current >= 3) {
            break;
        }
        if (c >= '0' && c <= '9') {
            started = true;
            inDigits = true;
            long& v = values[order[current]];
            if (v < 100000) {  // enough digits to be invalid; stops overflow on hostile text
                v = v * 10 + (c - '0');
            }
        } else if (started && inDigits) {
            inDigits = false;
            ++current;
        }
    }
    long year = values[2];
    if (year >= 0 && year < 100) {
        const int epoch = dateSettings().epoch;
        const int century = epoch / 100 * 100;
        year += century;
        if (year < epoch) {
            year += 100;
        }
    }
    if (year > 9999 || !isValidDate(static_cast<int>(year), static_cast<int>(values[1]),
                                    static_cast<int>(values[0]))) {
        return Date::empty();
    }
    return Date{static_cast<int>(year), static_cast<int>(values[1]), static_cast<int>(values[0])};
}

Date Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

long daysFromCivil(const Date& date) {
    // Howard Hinnant's days_from_civil.
    long y = date.year;
    const unsigned m = static_cast<unsigned>(date.month);
    const unsigned d = static_cast<unsigned>(date.day);
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

}  // namespace vm
