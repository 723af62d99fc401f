#include "unzip/ole_date.h"

namespace tarvik {
namespace {

constexpr int64_t kSecondsPerDay = 24 * 60 * 60;

int64_t floorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar (month 1 to 12).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = floorDivide(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int64_t DateSerial(int32_t year, int32_t month, int32_t day) {
  int64_t fullYear = year;
  if (year >= 0 && year <= 29) fullYear += 2000;
  if (year >= 30 && year <= 99) fullYear += 1900;

  const int64_t monthIndex = int64_t{month} - 1;
  fullYear += floorDivide(monthIndex, 12);
  const int64_t normalMonth = monthIndex - floorDivide(monthIndex, 12) * 12 + 1;

  const int64_t firstOfMonth = daysFromCivil(fullYear, normalMonth, 1);
  return firstOfMonth + (int64_t{day} - 1) - daysFromCivil(1899, 12, 30);
}

int64_t TimeSerial(int32_t hour, int32_t minute, int32_t second) {
  return int64_t{hour} * 3600 + int64_t{minute} * 60 + int64_t{second};
}

double OleAutomationDate(int64_t days, int64_t seconds) {
  const int64_t total = days * kSecondsPerDay + seconds;
  const int64_t wholeDays = floorDivide(total, kSecondsPerDay);
  const double timeOfDay =
      static_cast<double>(total - wholeDays * kSecondsPerDay) / static_cast<double>(kSecondsPerDay);
  const double day = static_cast<double>(wholeDays);
  return wholeDays >= 0 ? day + timeOfDay : day - timeOfDay;
}

double OleDateTime(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                   int32_t second) {
  return OleAutomationDate(DateSerial(year, month, day), TimeSerial(hour, minute, second));
}

}  // namespace tarvik
