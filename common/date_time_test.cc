#include "common/date_time.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace korv {
namespace {

int Mismatch(std::string_view text, bool time) {
  try {
    time ? ParseTime(text) : ParseDate(text).Serial();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(DateTime, ParsesTheDateFormsAUserTypesOrStores) {
  const Date christmas{2026, 12, 25};
  EXPECT_EQ(ParseDate("12/25/2026"), christmas);
  EXPECT_EQ(ParseDate("12/25/26"), christmas);
  EXPECT_EQ(ParseDate("2026-12-25"), christmas);
  EXPECT_EQ(ParseDate("Dec 25, 2026"), christmas);
  EXPECT_EQ(ParseDate("December 25 2026"), christmas);
  EXPECT_EQ(ParseDate(" 1/5/2027 "), (Date{2027, 1, 5}));
  EXPECT_EQ(ParseDate("01/05/2027"), (Date{2027, 1, 5}));
  EXPECT_EQ(ParseDate("3/1/29").year, 2029);
  EXPECT_EQ(ParseDate("3/1/30").year, 1930);
  EXPECT_EQ(ParseDate("2/29/2028"), (Date{2028, 2, 29}));
}

TEST(DateTime, RefusesDatesAndTimesItCannotRead) {
  for (const char* bad : {"13/45/2026", "2/29/2027", "", "tomorrow", "12-25-2026", "12/25",
                          "0/1/2026", "Foo 1, 2026"})
    EXPECT_EQ(Mismatch(bad, false), 13) << bad;
  for (const char* bad : {"25:00", "12:60", "13:00 PM", "0:30 AM", "", "noon", "7", "1:2:3:4"})
    EXPECT_EQ(Mismatch(bad, true), 13) << bad;
}

TEST(DateTime, ParsesTimesWithAndWithoutTheDesignator) {
  EXPECT_EQ(ParseTime("6:30 PM"), 18 * 3600 + 30 * 60);
  EXPECT_EQ(ParseTime("6:30PM"), 18 * 3600 + 30 * 60);
  EXPECT_EQ(ParseTime("18:30"), 18 * 3600 + 30 * 60);
  EXPECT_EQ(ParseTime("12:00 AM"), 0);
  EXPECT_EQ(ParseTime("12:00 PM"), 12 * 3600);
  EXPECT_EQ(ParseTime("7 am"), 7 * 3600);
  EXPECT_EQ(ParseTime("9:05:07 pm"), 21 * 3600 + 5 * 60 + 7);
}

TEST(DateTime, PatternsMatchTheStationsTexts) {
  const Date christmas{2026, 12, 25};
  EXPECT_EQ(FormatWeekdayName(christmas), "Friday");
  EXPECT_EQ(FormatDayAndDate(Date{2026, 1, 4}), "Sunday 01/04/2026");
  EXPECT_EQ(FormatMMDDYYYY(Date{2026, 1, 4}), "01/04/2026");
  EXPECT_EQ(FormatMMYY(christmas), "1226");
  EXPECT_EQ(FormatHHMMAmPm(12 * 3600), "12:00 PM");
  EXPECT_EQ(FormatHHMMAmPm(0), "12:00 AM");
  EXPECT_EQ(FormatHHMMAmPm(9 * 3600 + 5 * 60 + 59), "09:05 AM");
  EXPECT_EQ(FormatHHMMAmPm(23 * 3600 + 59 * 60), "11:59 PM");
  EXPECT_EQ(DefaultDateText(Date{2026, 1, 4}), "1/4/2026");
  EXPECT_EQ(DefaultTimeText(21 * 3600 + 5 * 60 + 7), "9:05:07 PM");
  EXPECT_EQ(DefaultTimeText(0), "12:00:00 AM");
}

TEST(DateTime, SerialsCountCalendarDays) {
  EXPECT_EQ((Date{1899, 12, 30}).Serial(), 0);
  EXPECT_EQ((Date{2026, 12, 25}).Serial() - (Date{2026, 12, 24}).Serial(), 1);
  EXPECT_EQ((Date{2027, 1, 1}).Serial() - (Date{2026, 12, 31}).Serial(), 1);
  EXPECT_EQ(Date::FromSerial((Date{2028, 2, 29}).Serial()), (Date{2028, 2, 29}));
}

}  // namespace
}  // namespace korv
