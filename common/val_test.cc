#include "common/val.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

TEST(Val, ReadsTheLeadingNumberAndNothingElse) {
  EXPECT_DOUBLE_EQ(Val(" .0825"), 0.0825);
  EXPECT_DOUBLE_EQ(Val("  .0825"), 0.0825);
  EXPECT_DOUBLE_EQ(Val(" 12abc"), 12);
  EXPECT_DOUBLE_EQ(Val("-1"), -1);
  EXPECT_DOUBLE_EQ(Val(" -1   "), -1);
  EXPECT_DOUBLE_EQ(Val("12.5.3"), 12.5);
  EXPECT_DOUBLE_EQ(Val(""), 0);
  EXPECT_DOUBLE_EQ(Val("     "), 0);
  EXPECT_DOUBLE_EQ(Val("abc"), 0);
  EXPECT_DOUBLE_EQ(Val("$12.50"), 0);  // currency text is not a number
  EXPECT_DOUBLE_EQ(Val("-"), 0);
  EXPECT_DOUBLE_EQ(Val(std::string(100000, '9')), 0) << "overflow reads as 0, never crashes";
}

TEST(Val, NumberTextsKeepTheirSignPositionAndPlainForm) {
  EXPECT_EQ(Str(17), " 17");
  EXPECT_EQ(Str(0), " 0");
  EXPECT_EQ(Str(-3), "-3");
  EXPECT_EQ(Str(0.5), " .5");
  EXPECT_EQ(PlainNumber(17), "17");
  EXPECT_EQ(PlainNumber(12.3), "12.3");
  EXPECT_EQ(PlainNumber(12.299999999999999), "12.3");
  EXPECT_EQ(PlainNumber(-0.5), "-0.5");
  EXPECT_EQ(PlainNumber(-0.0), "0");
  EXPECT_EQ(PlainNumber(0.1 + 0.2), "0.3");
}

// A message quoting a damaged file shows its control bytes, never acts on
// them; the restaurant's own letters stay as they are.
TEST(Val, PrintableEscapesWhatATerminalWouldActOn) {
  EXPECT_EQ(Printable(std::string("DS5\x1B[2J\r\n\x7F\0", 11)), "DS5\\x1B[2J\\x0D\\x0A\\x7F\\x00");
  EXPECT_EQ(Printable("Caf\xE9 \x80 \x9D"), "Caf\xE9 \x80 \\x9D");
  EXPECT_EQ(Printable("F:\\KORVAIN\\PhoneOrders\\DS5.PH"), "F:\\KORVAIN\\PhoneOrders\\DS5.PH");
}

}  // namespace
}  // namespace korv
