#pragma once
// Dates, times and their texts under the station's regional settings (US
// English): short date M/D/YYYY, time h:mm:ss AM.

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

// Reads date text as a user of the station types or stores it: M/D/YYYY,
// MM/DD/YYYY, M/D/YY (00-29 are 2000s, 30-99 1900s), YYYY-MM-DD, and month
// names ("Dec 25, 2026", "December 25 2026"). Anything else, or a day that
// does not exist, raises error 13; text is never guessed.
Date ParseDate(std::string_view text);

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
