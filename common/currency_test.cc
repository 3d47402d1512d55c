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

}  // namespace
}  // namespace korv
