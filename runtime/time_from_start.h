#pragma once
// Time since the process started, as the error log reports it.

#include <string>

namespace vm {

// "D days H hours M mins S secs" for the time since the process started (taken when the
// runtime library is loaded, before main).
std::string TimeFromStart();

// The same text for a number of seconds: whole days, hours, minutes and seconds, each in decimal
// without blanks. A negative count (the clock set back) gives 0 for every part.
std::string ElapsedText(long long seconds);

// Seconds between two moments given as days since 1970 and seconds since midnight.
long long SecondsBetween(long startDay, int startSecondOfDay, long endDay, int endSecondOfDay);

// The time of day as "hh:mm:ss", local time.
std::string TimeOfDay();

}  // namespace vm
