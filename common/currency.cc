#include "common/currency.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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
int64_t RoundAway(double value, int scale) {
  long double x = static_cast<long double>(value) * scale;
  // Values such as 2.675 are stored a hair below the half; nudge by a tiny
  // relative amount so that decimal halves round as written.
  x += (x >= 0 ? 1 : -1) * std::fabs(x) * 1e-15L;
  return static_cast<int64_t>(x >= 0 ? std::floor(x + 0.5L) : -std::floor(-x + 0.5L));
}

}  // namespace

Currency Currency::FromDouble(double value) {
  if (!std::isfinite(value)) return Currency();
  long double x = static_cast<long double>(value) * 10000.0L;
  // Decimal values like 0.1 are stored a hair off; snap to the nearest
  // ten-thousandth first when the value is within rounding noise of it.
  long double nearest = std::round(x);
  if (std::fabs(x - nearest) < 1e-6L) return Currency(static_cast<int64_t>(nearest));
  return Currency(RoundHalfEven(x));
}

Currency Currency::operator*(double factor) const {
  return FromDouble(ToDouble() * factor);
}

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
