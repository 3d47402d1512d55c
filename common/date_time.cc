#include "common/date_time.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

constexpr std::array<const char*, 12> kMonths = {"january",   "february", "march",    "april",
                                                 "may",       "june",     "july",     "august",
                                                 "september", "october",  "november", "december"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

// Days from 1970-01-01 (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

const long kSerialEpoch = DaysFromCivil(1899, 12, 30);

[[noreturn]] void Mismatch() { throw RuntimeError(kErrTypeMismatch); }

// Splits text into runs of digits and runs of letters; separators are kept
// as single-character tokens.
std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (std::isdigit(c) || std::isalpha(c)) {
      size_t j = i;
      bool digit = std::isdigit(c);
      while (j < text.size() && (digit ? std::isdigit(static_cast<unsigned char>(text[j]))
                                       : std::isalpha(static_cast<unsigned char>(text[j]))))
        ++j;
      out.emplace_back(text.substr(i, j - i));
      i = j;
    } else {
      out.emplace_back(1, static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

bool IsNumber(const std::string& t) {
  return !t.empty() && t.size() <= 4 && std::isdigit(static_cast<unsigned char>(t[0]));
}

bool IsWord(const std::string& t) { return std::isalpha(static_cast<unsigned char>(t[0])); }

// The 1-based position of a name of at least three letters in names, read as
// a prefix ("Dec", "Sept", "Thurs"); 0 when it names none.
template <size_t N>
int NamedIn(const std::array<const char*, N>& names, const std::string& t) {
  if (t.size() < 3) return 0;
  const std::string low = Lower(t);
  for (size_t i = 0; i < N; ++i)
    if (Lower(names[i]).compare(0, low.size(), low) == 0) return static_cast<int>(i) + 1;
  return 0;
}

int TwoDigitYear(const std::string& t, int value) {
  if (t.size() == 4) return value;
  if (t.size() <= 2) return value < 30 ? 2000 + value : 1900 + value;
  Mismatch();
}

Date Checked(int y, int m, int d) {
  if (!IsValidDate(y, m, d)) Mismatch();
  return Date{y, m, d};
}

bool IsDesignator(const std::string& t) {
  const std::string d = Upper(t);
  return d == "AM" || d == "A" || d == "PM" || d == "P";
}

// Seconds since midnight of a time's tokens: h:mm, h:mm:ss, either with AM/PM
// or 24-hour, and "h AM".
int TimeOf(std::vector<std::string> t) {
  std::optional<bool> pm;
  if (!t.empty() && IsWord(t.back())) {
    if (!IsDesignator(t.back())) Mismatch();
    pm = Upper(t.back())[0] == 'P';
    t.pop_back();
  }
  int h = 0, m = 0, s = 0;
  auto two = [](const std::string& x) { return IsNumber(x) && x.size() <= 2; };
  auto num = [&](size_t i) { return static_cast<int>(Val(t[i])); };
  if (t.size() == 1 && pm && two(t[0])) {
    h = num(0);
  } else if (t.size() == 3 && two(t[0]) && t[1] == ":" && two(t[2])) {
    h = num(0);
    m = num(2);
  } else if (t.size() == 5 && two(t[0]) && t[1] == ":" && two(t[2]) && t[3] == ":" && two(t[4])) {
    h = num(0);
    m = num(2);
    s = num(4);
  } else {
    Mismatch();
  }
  if (m > 59 || s > 59) Mismatch();
  if (pm) {
    if (h < 1 || h > 12) Mismatch();
    h = (h % 12) + (*pm ? 12 : 0);
  } else if (h > 23) {
    Mismatch();
  }
  return h * 3600 + m * 60 + s;
}

// The tokens of a date with the time of day after it taken off; the time must
// be one that can be read, so that no stray text rides along.
std::vector<std::string> WithoutTime(std::vector<std::string> t) {
  size_t start = t.size();
  auto colon = std::find(t.begin(), t.end(), ":");
  if (colon != t.end())
    start = static_cast<size_t>(colon - t.begin()) - (colon == t.begin() ? 0 : 1);
  else if (t.size() >= 2 && IsDesignator(t.back()))
    start = t.size() - 2;
  if (start == t.size()) return t;
  TimeOf(std::vector<std::string>(t.begin() + static_cast<long>(start), t.end()));
  t.resize(start);
  return t;
}

// The numbers and names of a date, its separators left out; a separator other
// than "/", "-", "." or "," is no date.
std::vector<std::string> DateParts(const std::vector<std::string>& tokens) {
  std::vector<std::string> parts;
  for (const std::string& t : tokens) {
    if (IsNumber(t) || IsWord(t))
      parts.push_back(t);
    else if (t != "/" && t != "-" && t != "." && t != ",")
      Mismatch();
  }
  return parts;
}

int Number(const std::string& t, size_t most_digits) {
  if (!IsNumber(t) || t.size() > most_digits) Mismatch();
  return static_cast<int>(Val(t));
}

int Year(const std::string& t) { return TwoDigitYear(t, Number(t, 4)); }

// A year written first: by its four digits, or by the setting.
bool YearFirst(const std::string& first, const std::string& last, DateOrder order) {
  if (first.size() == 4) return true;
  if (last.size() == 4) return false;
  return order == DateOrder::kYearMonthDay;
}

// Three numbers: the year at either end, day and month in the setting's order
// (month first where the year comes first).
Date NumericDate(const std::vector<std::string>& p, DateOrder order) {
  for (const std::string& t : p)
    if (!IsNumber(t)) Mismatch();
  if (YearFirst(p[0], p[2], order)) return Checked(Year(p[0]), Number(p[1], 2), Number(p[2], 2));
  const bool day_first = order == DateOrder::kDayMonthYear;
  const int a = Number(p[0], 2), b = Number(p[1], 2);
  return Checked(Year(p[2]), day_first ? b : a, day_first ? a : b);
}

// A named month and two numbers, the day and the year in either order.
Date NamedMonthDate(const std::vector<std::string>& p, DateOrder order) {
  std::vector<std::string> numbers;
  int month = 0;
  for (const std::string& t : p) {
    if (IsNumber(t))
      numbers.push_back(t);
    else if (month == 0)
      month = NamedIn(kMonths, t);
    else
      Mismatch();
  }
  if (month == 0 || numbers.size() != 2) Mismatch();
  const bool year_first = YearFirst(numbers[0], numbers[1], order);
  const std::string& year = numbers[year_first ? 0 : 1];
  return Checked(Year(year), month, Number(numbers[year_first ? 1 : 0], 2));
}

}  // namespace

long Date::Serial() const { return DaysFromCivil(year, month, day) - kSerialEpoch; }

Date Date::FromSerial(long serial) {
  long z = serial + kSerialEpoch + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
  return Date{y, m, d};
}

int Date::Weekday() const {
  long days = DaysFromCivil(year, month, day);  // 1970-01-01 was a Thursday
  return static_cast<int>(((days % 7) + 11) % 7);
}

bool IsValidDate(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int max = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= max;
}

std::optional<DateOrder> DateOrderNamed(std::string_view text) {
  for (DateOrder order :
       {DateOrder::kMonthDayYear, DateOrder::kDayMonthYear, DateOrder::kYearMonthDay})
    if (Upper(text) == DateOrderName(order)) return order;
  return std::nullopt;
}

std::string DateOrderName(DateOrder order) {
  switch (order) {
    case DateOrder::kDayMonthYear:
      return "D/M/Y";
    case DateOrder::kYearMonthDay:
      return "Y/M/D";
    default:
      return "M/D/Y";
  }
}

Date ParseDate(std::string_view text, DateOrder order) {
  std::vector<std::string> parts = DateParts(WithoutTime(Tokens(text)));
  int weekday = 0;
  if (!parts.empty() && IsWord(parts[0]) && (weekday = NamedIn(kWeekdays, parts[0])) != 0)
    parts.erase(parts.begin());
  if (parts.size() != 3) Mismatch();
  const bool named = std::any_of(parts.begin(), parts.end(), IsWord);
  const Date date = named ? NamedMonthDate(parts, order) : NumericDate(parts, order);
  if (weekday != 0 && date.Weekday() != weekday - 1) Mismatch();
  return date;
}

int ParseTime(std::string_view text) { return TimeOf(Tokens(text)); }

std::string FormatMMDDYYYY(const Date& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.month, d.day, d.year);
  return buf;
}

std::string FormatWeekdayName(const Date& d) { return kWeekdays[d.Weekday()]; }

std::string FormatDayAndDate(const Date& d) {
  return FormatWeekdayName(d) + " " + FormatMMDDYYYY(d);
}

std::string FormatHHMMAmPm(int seconds) {
  int h = (seconds / 3600) % 24;
  int m = (seconds / 60) % 60;
  int h12 = h % 12 == 0 ? 12 : h % 12;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d %s", h12, m, h < 12 ? "AM" : "PM");
  return buf;
}

std::string FormatMMYY(const Date& d) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d%02d", d.month, d.year % 100);
  return buf;
}

std::string DefaultDateText(const Date& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d/%d/%04d", d.month, d.day, d.year);
  return buf;
}

std::string DefaultTimeText(int seconds) {
  int h = (seconds / 3600) % 24;
  int h12 = h % 12 == 0 ? 12 : h % 12;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, (seconds / 60) % 60, seconds % 60,
                h < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace korv
