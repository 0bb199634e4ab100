#include "runtime/time_from_start.h"

#include <ctime>

#include "core/date.h"

namespace vm {

namespace {

struct Moment {
    long day = 0;
    int secondOfDay = 0;
};

Moment now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    Date today{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    return {daysFromCivil(today), local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
}

// Taken during static initialisation, before main runs.
const Moment kStart = now();

std::string twoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

long long SecondsBetween(long startDay, int startSecondOfDay, long endDay, int endSecondOfDay) {
    return static_cast<long long>(endDay - startDay) * 86400 + (endSecondOfDay - startSecondOfDay);
}

std::string ElapsedText(long long seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const long long days = seconds / 86400;
    const long long hours = seconds % 86400 / 3600;
    const long long mins = seconds % 3600 / 60;
    const long long secs = seconds % 60;
    return std::to_string(days) + " days " + std::to_string(hours) + " hours " +
           std::to_string(mins) + " mins " + std::to_string(secs) + " secs";
}

std::string TimeFromStart() {
    const Moment end = now();
    return ElapsedText(SecondsBetween(kStart.day, kStart.secondOfDay, end.day, end.secondOfDay));
}

std::string TimeOfDay() {
    const int s = now().secondOfDay;
    return twoDigits(s / 3600) + ":" + twoDigits(s % 3600 / 60) + ":" + twoDigits(s % 60);
}

}  // namespace vm
