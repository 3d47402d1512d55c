#include "engine/order_line.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

TEST(OrderLineTest, FieldsAndDamagedRows) {
  const std::string row = " 2|Burger  |$10.00|BURGER| 1 - Main Course|T|N";
  EXPECT_EQ(OrderLineField(row, 2), "Burger  ");
  EXPECT_EQ(OrderLineField(row, 5), " 1 - Main Course");
  EXPECT_EQ(OrderLineField(row, 7), "N");
  EXPECT_EQ(OrderLineField(" 1|Fries|$1", 3), std::nullopt);
  EXPECT_EQ(OrderLineField(row + "|extra", 7), "N");
  EXPECT_EQ(OrderLineField("", 1), std::nullopt);
  EXPECT_FALSE(IsJunkRow(row));
  EXPECT_TRUE(IsJunkRow(" 1|Fries"));
  EXPECT_TRUE(IsJunkRow(""));
  EXPECT_FALSE(IsLRoute(" 1 - x"));
  EXPECT_TRUE(IsLRoute(" L - x"));
}

TEST(OrderLineTest, LineAmountReadsRegionalCurrencyText) {
  EXPECT_EQ(LineAmount("$12.50"), Currency::FromUnits(125000));
  EXPECT_EQ(LineAmount("$1,234.50"), Currency::FromUnits(12345000));
  EXPECT_EQ(LineAmount("($1.50)"), Currency::FromUnits(-15000));
  EXPECT_EQ(LineAmount("-$1.50"), Currency::FromUnits(-15000));
  EXPECT_EQ(LineAmount("12.5"), Currency::FromUnits(125000));
  EXPECT_EQ(LineAmount("$2.675"), Currency::FromUnits(26800));  // rounded to cents
  EXPECT_EQ(LineAmount(""), Currency());
  EXPECT_EQ(LineAmount("abc"), Currency());
  EXPECT_EQ(LineAmount(std::string(400, '9')), Currency());
  EXPECT_EQ(LineAmount("7 each"), Currency::FromUnits(70000));
}

}  // namespace
}  // namespace korv
