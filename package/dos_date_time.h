#pragma once
// Local date and time as the MS-DOS date and time fields of a ZIP header hold them: years 1980
// to 2107, seconds in steps of two.

#include <compare>
#include <cstdint>
#include <string>

namespace tarvik::package {

struct DosDateTime {
  int year = 1980;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  // Throws std::invalid_argument when the date or time cannot be held in the DOS fields.
  uint16_t dosDate() const;
  uint16_t dosTime() const;
  static DosDateTime fromDos(uint16_t date, uint16_t time);

  // Seconds since 1 January 1980 00:00:00, and back.
  int64_t secondsSince1980() const;
  static DosDateTime fromSecondsSince1980(int64_t seconds);

  std::string text() const;  // "1999-02-23 18:20:38"

  friend auto operator<=>(const DosDateTime&, const DosDateTime&) = default;
};

bool isValid(const DosDateTime& when);

}  // namespace tarvik::package
