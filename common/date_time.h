#pragma once
// Dates, times and their texts under the station's regional settings (US
// English): short date M/D/YYYY, time h:mm:ss AM.

#include <optional>
#include <string>
#include <string_view>

namespace korv {

struct Date {
  int year = 1899;
  int month = 12;
  int day = 30;
  // Days since 12/30/1899, the platform's date serial; compares calendar days.
  long Serial() const;
  static Date FromSerial(long serial);
  // 0 = Sunday .. 6 = Saturday.
  int Weekday() const;
  friend bool operator==(const Date&, const Date&) = default;
};

struct DateTime {
  Date date;
  int seconds = 0;  // seconds since midnight
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

bool IsValidDate(int year, int month, int day);

// The order of day and month in the all-number dates a station's peers write
// (their short date form): month first by default, day first, or year first.
enum class DateOrder { kMonthDayYear, kDayMonthYear, kYearMonthDay };

// "M/D/Y", "D/M/Y" or "Y/M/D" in any letter case; none for other text.
std::optional<DateOrder> DateOrderNamed(std::string_view text);
std::string DateOrderName(DateOrder order);  // "M/D/Y", ...

// Reads date text in the forms the order-entry stations write or a user
// types: three parts separated by "/", "-", "." or blanks ("12/7/2026",
// "2026-12-07", "12.07.26"); a month named or abbreviated in any position
// ("07-Dec-2026", "Dec 7, 2026", "7 December 2026"); an optional weekday in
// front ("Monday, December 07, 2026"), which must be the date's; and an
// optional time of day after it ("12/07/2026 5:00:00 PM"), which must be one
// ParseTime reads and is otherwise ignored. A four-digit year places itself;
// the order of day and month, and of two-digit years, is `order`'s, even
// where the other reading would also give a date. Two-digit years 00-29 are
// 2000s, 30-99 1900s. Anything else, or a day that does not exist, raises
// error 13: a date is never guessed.
Date ParseDate(std::string_view text, DateOrder order = DateOrder::kMonthDayYear);

// Reads time text: h:mm, h:mm:ss, either with AM/PM or 24-hour, and "h AM".
// Returns seconds since midnight; anything else raises error 13.
int ParseTime(std::string_view text);

// Patterns of the stations' texts.
std::string FormatMMDDYYYY(const Date& d);     // "12/25/2026"
std::string FormatWeekdayName(const Date& d);  // "Friday"
std::string FormatDayAndDate(const Date& d);   // "Friday 12/25/2026"
std::string FormatHHMMAmPm(int seconds);       // "09:05 PM"
std::string FormatMMYY(const Date& d);         // "1226"
// The default texts of the regional settings.
std::string DefaultDateText(const Date& d);  // "12/5/2026"
std::string DefaultTimeText(int seconds);    // "9:05:07 PM"

}  // namespace korv
