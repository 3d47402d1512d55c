#include "common/currency.h"

#include <gtest/gtest.h>

#include "common/val.h"

namespace korv {
namespace {

TEST(Currency, SumsOfCentsNeverDrift) {
  Currency sum;
  for (int i = 0; i < 100; ++i) sum += Currency::FromDouble(0.10);
  EXPECT_EQ(PlainText(sum), "10");
  EXPECT_EQ(PlainText(sum * 0.0825), "0.825");
  EXPECT_EQ(PlainText(Currency::FromDouble(11.5) + Currency::FromDouble(0.8)), "12.3");
  EXPECT_EQ((Currency::FromDouble(1.5) * 0.081).units(), 1215);
}

TEST(Currency, TextsOfTheRegionalSettings) {
  EXPECT_EQ(FormatCurrency(1234.5), "$1,234.50");
  EXPECT_EQ(FormatCurrency(12.3), "$12.30");
  EXPECT_EQ(FormatCurrency(0), "$0.00");
  EXPECT_EQ(FormatCurrency(-1.5), "($1.50)");
  EXPECT_EQ(FormatCurrency(1234567.891), "$1,234,567.89");
}

TEST(Currency, HashPatternReadsBackTheValue) {
  EXPECT_EQ(FormatHashPattern(10), "10.");
  EXPECT_EQ(FormatHashPattern(0), ".");
  EXPECT_EQ(FormatHashPattern(12.5), "12.5");
  EXPECT_EQ(FormatHashPattern(12.345), "12.35");
  EXPECT_EQ(FormatHashPattern(0.05), ".05");
  EXPECT_EQ(FormatHashPattern(-1.5), "-1.5");
  for (double v : {10.0, 0.0, 12.5, 1.1, 99.99, 0.07})
    EXPECT_DOUBLE_EQ(Val(FormatHashPattern(v)), v) << v;
}

// A damaged price or an absurd order stays at the currency's ends: no sum
// wraps into another amount, and no text is made from a number that has none.
TEST(Currency, AmountsBeyondTheRangeSaturate) {
  const Currency top = Currency::FromUnits(Currency::kMaxUnits);
  const Currency bottom = Currency::FromUnits(-Currency::kMaxUnits);
  EXPECT_EQ(Currency::FromDouble(1e21), top);
  EXPECT_EQ(Currency::FromDouble(-1e300), bottom);
  EXPECT_EQ(Currency::FromDouble(9e14) + Currency::FromDouble(9e14), top);
  EXPECT_EQ(bottom + Currency::FromDouble(-0.01), bottom);
  Currency sum;
  for (int i = 0; i < 3; ++i) sum += Currency::FromDouble(9e14);
  EXPECT_EQ(sum + Currency::FromDouble(-1), top + Currency::FromDouble(-1));
  EXPECT_EQ(top * 2.0, top);
  EXPECT_EQ(PlainText(Currency::FromDouble(ParseCurrencyText("$999999999999999999999"))),
            PlainText(top));
  EXPECT_EQ(FormatCurrency(-1e30), "($922,337,203,685,477.58)");
  EXPECT_EQ(FormatHashPattern(1e21), "922337203685477.58");
  EXPECT_EQ(FormatHashPattern(-1e21), "-922337203685477.58");
}

}  // namespace
}  // namespace korv
