#pragma once
// Money as the platform's fixed-point currency: whole ten-thousandths in a
// 64-bit integer, so sums of cents never drift.
//
// The range is +-922,337,203,685,477.5807. A value or a sum beyond it
// saturates at the range's end rather than wrapping into another amount: an
// order that large is damaged, and its total should look so, never like
// money. The ends are symmetric, so every amount has a negation.

#include <cstdint>
#include <string>
#include <string_view>

namespace korv {

class Currency {
 public:
  static constexpr int64_t kMaxUnits = INT64_MAX;
  static constexpr double kMaxValue = 922337203685477.5807;

  constexpr Currency() = default;
  // Rounds to four decimals, halves to even, as the platform's conversion
  // does; saturates beyond the range, and a value that is no number is 0.
  static Currency FromDouble(double value);
  static constexpr Currency FromUnits(int64_t units) { return Currency(units); }
  int64_t units() const { return units_; }
  double ToDouble() const { return static_cast<double>(units_) / 10000.0; }

  // Sums saturate at the range's ends.
  Currency operator+(Currency o) const;
  Currency& operator+=(Currency o) { return *this = *this + o; }
  // Product rounded back to four decimals, saturating.
  Currency operator*(double factor) const;
  friend bool operator==(Currency, Currency) = default;

 private:
  explicit constexpr Currency(int64_t units) : units_(units) {}
  int64_t units_ = 0;
};

// The plain decimal text of the value ("12.3", "0.8", "0").
std::string PlainText(Currency c);

// Currency text of the regional settings: "$1,234.50", negative "($1.50)".
// A value beyond the currency range shows as the range's end.
std::string FormatCurrency(double value);

// The number in currency text of the regional settings, as the platform's
// formatting reads it before applying a pattern: "$1,234.50" is 1234.5,
// "($1.50)" and "-$1.50" are -1.5, plain "12.5" is 12.5. Text that is not a
// number of that form reads as its leading number (Val), so "abc" is 0.
double ParseCurrencyText(std::string_view text);

// The "######.##" and "#####.##" patterns: digits before the point are
// optional, two decimals at most, no trailing zeros kept after rounding:
// 10 gives "10.", 0 gives ".", 12.345 gives "12.35", -1.5 gives "-1.5". A
// value beyond the currency range gives the range's end.
std::string FormatHashPattern(double value);

}  // namespace korv
