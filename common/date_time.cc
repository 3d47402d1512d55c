#include "common/date_time.h"

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

std::optional<int> MonthByName(const std::string& t) {
  if (t.size() < 3) return std::nullopt;
  std::string low = Lower(t);
  for (int i = 0; i < 12; ++i) {
    std::string name = kMonths[i];
    if (name.compare(0, low.size(), low) == 0) return i + 1;
  }
  return std::nullopt;
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

Date ParseDate(std::string_view text) {
  std::vector<std::string> t = Tokens(text);
  auto num = [&](size_t i) { return static_cast<int>(Val(t[i])); };
  // M/D/Y or Y-M-D
  if (t.size() == 5 && IsNumber(t[0]) && IsNumber(t[2]) && IsNumber(t[4])) {
    if (t[1] == "/" && t[3] == "/" && t[0].size() <= 2 && t[2].size() <= 2)
      return Checked(TwoDigitYear(t[4], num(4)), num(0), num(2));
    if (t[1] == "-" && t[3] == "-" && t[0].size() == 4 && t[2].size() <= 2 && t[4].size() <= 2)
      return Checked(num(0), num(2), num(4));
    Mismatch();
  }
  // Month-name forms: "Dec 25, 2026", "December 25 2026".
  std::vector<std::string> words;
  for (const std::string& s : t)
    if (s != ",") words.push_back(s);
  if (words.size() == 3 && !IsNumber(words[0]) && IsNumber(words[1]) && IsNumber(words[2]) &&
      words[1].size() <= 2) {
    auto month = MonthByName(words[0]);
    if (!month) Mismatch();
    return Checked(TwoDigitYear(words[2], static_cast<int>(Val(words[2]))), *month,
                   static_cast<int>(Val(words[1])));
  }
  Mismatch();
}

int ParseTime(std::string_view text) {
  std::vector<std::string> t = Tokens(text);
  std::optional<bool> pm;
  if (!t.empty() && std::isalpha(static_cast<unsigned char>(t.back()[0]))) {
    std::string d = Upper(t.back());
    if (d == "AM" || d == "A")
      pm = false;
    else if (d == "PM" || d == "P")
      pm = true;
    else
      Mismatch();
    t.pop_back();
  }
  int h = 0, m = 0, s = 0;
  auto two = [](const std::string& x) { return IsNumber(x) && x.size() <= 2; };
  if (t.size() == 1 && pm && two(t[0])) {
    h = static_cast<int>(Val(t[0]));
  } else if (t.size() == 3 && two(t[0]) && t[1] == ":" && two(t[2])) {
    h = static_cast<int>(Val(t[0]));
    m = static_cast<int>(Val(t[2]));
  } else if (t.size() == 5 && two(t[0]) && t[1] == ":" && two(t[2]) && t[3] == ":" && two(t[4])) {
    h = static_cast<int>(Val(t[0]));
    m = static_cast<int>(Val(t[2]));
    s = static_cast<int>(Val(t[4]));
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
