#include "common/currency.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/val.h"

namespace korv {
namespace {

int64_t RoundHalfEven(long double x) {
  long double floor = std::floor(x);
  long double diff = x - floor;
  int64_t f = static_cast<int64_t>(floor);
  if (diff > 0.5L) return f + 1;
  if (diff < 0.5L) return f;
  return (f % 2 == 0) ? f : f + 1;
}

// Rounds half away from zero to `places` decimals, returning hundredths etc.
// The value is held to the currency range first, so the result always fits.
int64_t RoundAway(double value, int scale) {
  if (std::isnan(value)) value = 0;
  value = std::clamp(value, -Currency::kMaxValue, Currency::kMaxValue);
  long double x = static_cast<long double>(value) * scale;
  // Values such as 2.675 are stored a hair below the half; nudge by a tiny
  // relative amount so that decimal halves round as written.
  x += (x >= 0 ? 1 : -1) * std::fabs(x) * 1e-15L;
  const int64_t rounded =
      static_cast<int64_t>(x >= 0 ? std::floor(x + 0.5L) : -std::floor(-x + 0.5L));
  const int64_t end = Currency::kMaxUnits / (10000 / scale);
  return std::clamp(rounded, -end, end);
}

// Reads "[-|(][$][-]digits-with-commas[.digits][)]" with blanks around; nullopt
// for anything else.
std::optional<double> ParseRegionalCurrency(std::string_view text) {
  std::string t = Trim(text);
  bool negative = false;
  if (t.size() >= 2 && t.front() == '(' && t.back() == ')') {
    negative = true;
    t = Trim(t.substr(1, t.size() - 2));
  }
  size_t i = 0;
  auto sign = [&] {
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
      if (t[i] == '-') negative = !negative;
      ++i;
    }
  };
  sign();
  if (i < t.size() && t[i] == '$') ++i;
  sign();
  std::string digits;
  bool point = false, any = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
      any = true;
    } else if (c == ',' && !point && any) {
      continue;  // thousands separator
    } else if (c == '.' && !point) {
      point = true;
      digits += c;
    } else {
      return std::nullopt;
    }
  }
  if (!any) return std::nullopt;
  double v = std::strtod(digits.c_str(), nullptr);
  return negative ? -v : v;
}

}  // namespace

double ParseCurrencyText(std::string_view text) {
  if (auto v = ParseRegionalCurrency(text)) return *v;
  return Val(text);
}

Currency Currency::FromDouble(double value) {
  if (std::isnan(value)) return Currency();
  long double x = static_cast<long double>(value) * 10000.0L;
  constexpr long double kMax = static_cast<long double>(kMaxUnits);
  if (!(x < kMax)) return Currency(kMaxUnits);
  if (!(x > -kMax)) return Currency(-kMaxUnits);
  // Decimal values like 0.1 are stored a hair off; snap to the nearest
  // ten-thousandth first when the value is within rounding noise of it.
  long double nearest = std::round(x);
  if (std::fabs(x - nearest) < 1e-6L) return Currency(static_cast<int64_t>(nearest));
  return Currency(RoundHalfEven(x));
}

Currency Currency::operator+(Currency o) const {
  int64_t sum = 0;
  if (!__builtin_add_overflow(units_, o.units_, &sum) && sum >= -kMaxUnits) return Currency(sum);
  return Currency(o.units_ > 0 ? kMaxUnits : -kMaxUnits);
}

Currency Currency::operator*(double factor) const { return FromDouble(ToDouble() * factor); }

std::string PlainText(Currency c) { return PlainNumber(c.ToDouble()); }

std::string FormatCurrency(double value) {
  int64_t cents = RoundAway(value, 100);
  bool negative = cents < 0;
  int64_t a = std::llabs(cents);
  std::string whole = std::to_string(a / 100);
  std::string grouped;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
    grouped += whole[i];
  }
  char frac[4];
  std::snprintf(frac, sizeof frac, "%02lld", static_cast<long long>(a % 100));
  std::string text = "$" + grouped + "." + frac;
  return negative ? "(" + text + ")" : text;
}

std::string FormatHashPattern(double value) {
  int64_t cents = RoundAway(value, 100);
  bool negative = cents < 0;
  int64_t a = std::llabs(cents);
  std::string out = negative ? "-" : "";
  if (a / 100 != 0) out += std::to_string(a / 100);
  out += '.';
  int64_t frac = a % 100;
  if (frac != 0) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02lld", static_cast<long long>(frac));
    std::string f = buf;
    if (f[1] == '0') f.pop_back();
    out += f;
  }
  return out;
}

}  // namespace korv
