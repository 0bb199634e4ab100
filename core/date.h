#pragma once
// Calendar dates, the empty date, and their text form under the program's date settings.

#include <string>
#include <string_view>

namespace vm {

// A calendar date (year 0 to 9999) or the empty date, which stands for a missing date.
struct Date {
    int year = 0;
    int month = 0;  // 0 only in the empty date
    int day = 0;

    bool isEmpty() const { return month == 0; }
    static Date empty() { return {}; }
    friend bool operator==(const Date&, const Date&) = default;
};

// The date settings that start-up fixes for the whole run: a pattern of at most 10 characters in
// which runs of D, M and Y stand for day, month and year, and the epoch for two-digit years.
struct DateSettings {
    std::string format = "dd/mm/yy";
    int epoch = 1960;
};

// The settings in force (the program sets "dd/mm/yy" and 1960 at start-up).
DateSettings& dateSettings();

// True when the year, month and day form a date of the calendar (year 0 to 9999).
bool isValidDate(int year, int month, int day);

// The date in the current format; the empty date gives the pattern with its letters blanked.
std::string DToC(const Date& date);

// The date that the text gives in the current format, or the empty date. Never fails.
Date CToD(std::string_view text);

// Today's date from the system clock, local time.
Date Today();

// Days since 1 January 1970 (negative before), for date arithmetic.
long daysFromCivil(const Date& date);

}  // namespace vm
