#include "common/date_time.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace korv {
namespace {

int Mismatch(std::string_view text, bool time, DateOrder order = DateOrder::kMonthDayYear) {
  try {
    time ? ParseTime(text) : ParseDate(text, order).Serial();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

constexpr DateOrder kMDY = DateOrder::kMonthDayYear;
constexpr DateOrder kDMY = DateOrder::kDayMonthYear;
constexpr DateOrder kYMD = DateOrder::kYearMonthDay;

// The short dates the order-entry stations write, and what users type, under
// each order of day and month a station may be set to.
TEST(DateTime, ReadsEveryDateFormUnderTheStationsDateOrder) {
  const Date dec7{2026, 12, 7}, jul12{2026, 7, 12};
  const struct {
    const char* text;
    DateOrder order;
    Date want;
  } cases[] = {
      {"12/07/2026", kMDY, dec7},
      {"12/07/2026", kDMY, jul12},
      {"12/7/26", kMDY, dec7},
      {"12/07/26", kYMD, Date{2012, 7, 26}},
      {"12-07-2026", kMDY, dec7},
      {"12.07.2026", kMDY, dec7},
      {"12.07.2026", kDMY, jul12},
      {"12 07 2026", kMDY, dec7},
      {"7/12/2026", kDMY, dec7},
      {"2026/12/07", kMDY, dec7},
      {"2026-12-07", kDMY, dec7},
      {"26/12/07", kYMD, dec7},
      {"07-Dec-2026", kMDY, dec7},
      {"07-DEC-26", kYMD, Date{2007, 12, 26}},
      {"07 Dec 2026", kDMY, dec7},
      {"7 December 2026", kMDY, dec7},
      {"Dec 7, 2026", kDMY, dec7},
      {"Dec. 07, 2026", kMDY, dec7},
      {"Sept 30, 2026", kMDY, Date{2026, 9, 30}},
      {"2026-Dec-07", kMDY, dec7},
      {"Monday, December 07, 2026", kMDY, dec7},
      {"Mon 12/07/2026", kMDY, dec7},
      {"Sunday 12/07/2026", kDMY, jul12},
      {"12/07/2026 5:00:00 PM", kMDY, dec7},
      {"12/07/2026 17:00", kMDY, dec7},
      {"12/07/2026 5 PM", kDMY, jul12},
      {"3/1/29", kMDY, Date{2029, 3, 1}},
      {"3/1/30", kMDY, Date{1930, 3, 1}},
      {"2/29/2028", kMDY, Date{2028, 2, 29}},
      {" 1/5/2027 ", kMDY, Date{2027, 1, 5}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseDate(c.text, c.order), c.want) << c.text << " " << DateOrderName(c.order);
}

TEST(DateTime, RefusesDatesAndTimesItCannotRead) {
  // Each stays pending, said: nothing is guessed, not even a swap of day and
  // month that the station's order would make impossible.
  const struct {
    const char* text;
    DateOrder order;
  } dates[] = {{"13/45/2026", kMDY},
               {"25/12/2026", kMDY},
               {"12/25/2026", kDMY},
               {"2/29/2027", kMDY},
               {"", kMDY},
               {"tomorrow", kMDY},
               {"12/25", kMDY},
               {"Dec 25", kMDY},
               {"0/1/2026", kMDY},
               {"Foo 1, 2026", kMDY},
               {"12/7/202", kMDY},
               {"120/7/2026", kMDY},
               {"12_07_2026", kMDY},
               {"Tuesday, December 07, 2026", kMDY},
               {"12/07/2026 25:00", kMDY},
               {"12/07/2026 noon", kMDY},
               {"Dec Jan 2026", kMDY},
               {"1/2/3/2026", kMDY}};
  for (const auto& d : dates)
    EXPECT_EQ(Mismatch(d.text, false, d.order), 13) << d.text << " " << DateOrderName(d.order);
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
  EXPECT_EQ(ParseTime("5:00:00 PM"), 17 * 3600);
  EXPECT_EQ(ParseTime("17:00"), 17 * 3600);
  EXPECT_EQ(ParseTime("5 PM"), 17 * 3600);
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
