#include "package/dos_date_time.h"

#include <cstdio>
#include <stdexcept>

namespace tarvik::package {
namespace {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int daysInYear(int year) { return isLeapYear(year) ? 366 : 365; }

void requireValid(const DosDateTime& when) {
  if (!isValid(when)) throw std::invalid_argument("not a DOS date and time: " + when.text());
}

}  // namespace

bool isValid(const DosDateTime& when) {
  return when.year >= 1980 && when.year <= 2107 && when.month >= 1 && when.month <= 12 &&
         when.day >= 1 && when.day <= daysInMonth(when.year, when.month) && when.hour >= 0 &&
         when.hour <= 23 && when.minute >= 0 && when.minute <= 59 && when.second >= 0 &&
         when.second <= 58 && when.second % 2 == 0;
}

uint16_t DosDateTime::dosDate() const {
  requireValid(*this);
  return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
}

uint16_t DosDateTime::dosTime() const {
  requireValid(*this);
  return static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
}

DosDateTime DosDateTime::fromDos(uint16_t date, uint16_t time) {
  return DosDateTime{1980 + (date >> 9), date >> 5 & 0x0F, date & 0x1F,
                     time >> 11,         time >> 5 & 0x3F, (time & 0x1F) * 2};
}

int64_t DosDateTime::secondsSince1980() const {
  requireValid(*this);
  int64_t days = 0;
  for (int y = 1980; y < year; ++y) days += daysInYear(y);
  for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
  days += day - 1;
  return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

DosDateTime DosDateTime::fromSecondsSince1980(int64_t seconds) {
  if (seconds < 0) throw std::invalid_argument("a time before 1980");
  DosDateTime when;
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  while (days >= daysInYear(when.year)) days -= daysInYear(when.year++);
  while (days >= daysInMonth(when.year, when.month)) days -= daysInMonth(when.year, when.month++);
  when.day = static_cast<int>(days) + 1;
  when.hour = static_cast<int>(rest / 3600);
  when.minute = static_cast<int>(rest / 60 % 60);
  when.second = static_cast<int>(rest % 60);
  requireValid(when);
  return when;
}

std::string DosDateTime::text() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                minute, second);
  return buffer;
}

}  // namespace tarvik::package
