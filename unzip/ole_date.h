#pragma once
// OLE Automation dates: a double counting days since 30 December 1899, its fraction being the
// time of day. Calendar parts out of their range carry over into the next larger unit, forward
// and backward (month 13 is January of the next year, day 0 the last day of the month before,
// minute 60 the next hour, hour 24 the next day).

#include <cstdint>

namespace tarvik {

// Days from 30 December 1899 to the given date, negative before it. A year from 0 to 29 means
// 2000 to 2029, one from 30 to 99 means 1930 to 1999.
int64_t DateSerial(int32_t year, int32_t month, int32_t day);

// Seconds of the given time of day; the result may run past one day or below zero.
int64_t TimeSerial(int32_t hour, int32_t minute, int32_t second);

// The OLE Automation date of a day number plus a time in seconds, the time carried into the
// days. Before 30 December 1899 the fraction still counts forward from midnight of that day, so
// 29 December 1899 06:00 is -1.25.
double OleAutomationDate(int64_t days, int64_t seconds);

// DateSerial(year, month, day) + TimeSerial(hour, minute, second) as one date-time.
double OleDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second = 0);

}  // namespace tarvik
