#include "package/dos_date_time.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tarvik::package {
namespace {

TEST(DosDateTime, PacksIntoTheDosFields) {
  const DosDateTime when{1999, 2, 23, 18, 20, 38};
  EXPECT_EQ(when.dosDate(), (19 << 9) | (2 << 5) | 23);
  EXPECT_EQ(when.dosTime(), (18 << 11) | (20 << 5) | 19);
  EXPECT_EQ(DosDateTime::fromDos(when.dosDate(), when.dosTime()), when);
  EXPECT_EQ(when.text(), "1999-02-23 18:20:38");

  const DosDateTime last{2107, 12, 31, 23, 59, 58};
  EXPECT_EQ(last.dosDate(), 0xFF9F);
  EXPECT_EQ(last.dosTime(), 0xBF7D);
  EXPECT_EQ(DosDateTime::fromDos(0xFF9F, 0xBF7D), last);
}

TEST(DosDateTime, RefusesWhatTheFieldsCannotHold) {
  EXPECT_THROW((DosDateTime{1979, 12, 31, 0, 0, 0}.dosDate()), std::invalid_argument);
  EXPECT_THROW((DosDateTime{2108, 1, 1, 0, 0, 0}.dosDate()), std::invalid_argument);
  EXPECT_THROW((DosDateTime{2001, 2, 29, 0, 0, 0}.dosDate()), std::invalid_argument);
  EXPECT_THROW((DosDateTime{2000, 4, 31, 0, 0, 0}.dosDate()), std::invalid_argument);
  EXPECT_THROW((DosDateTime{2000, 1, 1, 24, 0, 0}.dosTime()), std::invalid_argument);
  EXPECT_THROW((DosDateTime{2000, 1, 1, 12, 0, 37}.dosTime()), std::invalid_argument);
  EXPECT_TRUE(isValid(DosDateTime{2000, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(isValid(DosDateTime{1900, 2, 29, 0, 0, 0}));
}

TEST(DosDateTime, CountsSecondsAcrossLeapYearsAndBack) {
  EXPECT_EQ((DosDateTime{1980, 1, 1, 0, 0, 0}.secondsSince1980()), 0);
  EXPECT_EQ((DosDateTime{1980, 1, 2, 0, 0, 2}.secondsSince1980()), 86402);
  // 1980 is a leap year: 366 days.
  EXPECT_EQ((DosDateTime{1981, 1, 1, 0, 0, 0}.secondsSince1980()), 366 * 86400);
  const DosDateTime leapDay{2000, 2, 29, 23, 59, 58};
  const DosDateTime nextDay{2000, 3, 1, 0, 0, 0};
  EXPECT_EQ(nextDay.secondsSince1980() - leapDay.secondsSince1980(), 2);
  for (const DosDateTime& when : {leapDay, nextDay, DosDateTime{1999, 12, 31, 23, 59, 58},
                                  DosDateTime{2002, 1, 26, 9, 49, 14}})
    EXPECT_EQ(DosDateTime::fromSecondsSince1980(when.secondsSince1980()), when) << when.text();
  EXPECT_THROW(DosDateTime::fromSecondsSince1980(-2), std::invalid_argument);
  EXPECT_THROW(DosDateTime::fromSecondsSince1980(1), std::invalid_argument);  // odd second
}

TEST(DosDateTime, OrdersByTime) {
  EXPECT_LT((DosDateTime{1999, 2, 23, 18, 20, 38}), (DosDateTime{1999, 2, 23, 18, 20, 40}));
  EXPECT_LT((DosDateTime{1999, 12, 31, 23, 59, 58}), (DosDateTime{2000, 1, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace tarvik::package
