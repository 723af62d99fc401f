#include "unzip/ole_date.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

constexpr double kMinute = 1.0 / 1440.0;

TEST(OleDate, CountsDaysFromTheEndOf1899) {
  EXPECT_EQ(DateSerial(1899, 12, 30), 0);
  EXPECT_EQ(DateSerial(1899, 12, 29), -1);
  EXPECT_EQ(DateSerial(1900, 3, 1), 61);
  EXPECT_EQ(DateSerial(1970, 1, 1), 25569);
  EXPECT_EQ(DateSerial(2000, 2, 29), 36585);
  EXPECT_EQ(DateSerial(2002, 1, 26), 37282);
  EXPECT_EQ(DateSerial(2024, 12, 31), 45657);
}

TEST(OleDate, ListingDateOfJanuary2002) {
  EXPECT_DOUBLE_EQ(OleDateTime(2002, 1, 26, 9, 49), 37282 + 9 * 60 * kMinute + 49 * kMinute);
}

TEST(OleDate, TwoDigitYearsFallIn1930To2029) {
  EXPECT_EQ(DateSerial(2, 1, 26), DateSerial(2002, 1, 26));
  EXPECT_EQ(DateSerial(0, 1, 1), DateSerial(2000, 1, 1));
  EXPECT_EQ(DateSerial(29, 12, 31), DateSerial(2029, 12, 31));
  EXPECT_EQ(DateSerial(30, 1, 1), DateSerial(1930, 1, 1));
  EXPECT_EQ(DateSerial(99, 12, 31), DateSerial(1999, 12, 31));
  EXPECT_EQ(DateSerial(100, 1, 1), -657434);  // three digits are taken as they are
}

TEST(OleDate, OutOfRangePartsCarryOver) {
  EXPECT_EQ(DateSerial(2002, 13, 1), DateSerial(2003, 1, 1));
  EXPECT_EQ(DateSerial(2002, 0, 1), DateSerial(2001, 12, 1));
  EXPECT_EQ(DateSerial(2002, -1, 1), DateSerial(2001, 11, 1));
  EXPECT_EQ(DateSerial(2002, 2, 29), DateSerial(2002, 3, 1));
  EXPECT_EQ(DateSerial(2002, 3, 0), DateSerial(2002, 2, 28));
  EXPECT_EQ(DateSerial(2002, 1, 32), DateSerial(2002, 2, 1));
  EXPECT_EQ(DateSerial(2002, 25, 1), DateSerial(2004, 1, 1));

  EXPECT_DOUBLE_EQ(OleDateTime(2002, 1, 26, 24, 0), DateSerial(2002, 1, 27));
  EXPECT_DOUBLE_EQ(OleDateTime(2002, 1, 26, 9, 60), DateSerial(2002, 1, 26) + 600 * kMinute);
  EXPECT_DOUBLE_EQ(OleDateTime(2002, 1, 26, 0, -1), DateSerial(2002, 1, 25) + 1439 * kMinute);
  EXPECT_DOUBLE_EQ(OleDateTime(2002, 12, 31, 25, 0), DateSerial(2003, 1, 1) + 60 * kMinute);
}

TEST(OleDate, DatesBefore1900KeepTheTimeOfDayForward) {
  EXPECT_DOUBLE_EQ(OleDateTime(1899, 12, 29, 6, 0), -1.25);
  EXPECT_DOUBLE_EQ(OleDateTime(1899, 12, 30, 6, 0), 0.25);
  EXPECT_DOUBLE_EQ(OleDateTime(1899, 12, 30, -18, 0), -1.25);
  EXPECT_DOUBLE_EQ(OleAutomationDate(-2, 0), -2.0);
}

TEST(OleDate, TimeSerialCountsSeconds) {
  EXPECT_EQ(TimeSerial(9, 49, 0), 35340);
  EXPECT_EQ(TimeSerial(0, 0, 0), 0);
  EXPECT_EQ(TimeSerial(-1, 0, 30), -3570);
}

}  // namespace
}  // namespace tarvik
