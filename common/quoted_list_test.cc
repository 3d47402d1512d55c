#include "common/quoted_list.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace korv {
namespace {

std::vector<std::string> ReadAllFields(const std::string& text) {
  QuotedReader r(text);
  std::vector<std::string> out;
  while (!r.AtEnd()) out.push_back(r.ReadField());
  return out;
}

TEST(QuotedList, RoundTripsByteExact) {
  std::vector<std::string> fields = {"555-1234", " 17",        "Smith, John          ",
                                     "DS12",     "12/25/2026", "6:30 PM"};
  std::string line = QuotedLine(fields);
  EXPECT_EQ(line,
            "\"555-1234\",\" 17\",\"Smith, John          \",\"DS12\",\"12/25/2026\","
            "\"6:30 PM\"\r\n");
  EXPECT_EQ(ReadAllFields(line), fields);
  // Bytes above 127 and NUL bytes pass through untouched.
  std::string odd = std::string("Caf\xe9 cr\xe8me ") + '\0' + "x";
  EXPECT_EQ(ReadAllFields(QuotedLine({odd})), std::vector<std::string>{odd});
}

TEST(QuotedList, ReadsWhatOtherStationsWrite) {
  // Unquoted numbers, no final line end, a blank line, lone LF line ends.
  EXPECT_EQ(ReadAllFields("\"12\",\"04/05/2026\",\"0\""),
            (std::vector<std::string>{"12", "04/05/2026", "0"}));
  EXPECT_EQ(ReadAllFields("17 , \"a\"\r\n"), (std::vector<std::string>{"17", "a"}));
  EXPECT_EQ(ReadAllFields("\"a\"\r\n\r\n\"b\"\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(ReadAllFields("\"1|Pizza|$10.00|x| 1 - Main Course|T|N\"\r\n"),
            (std::vector<std::string>{"1|Pizza|$10.00|x| 1 - Main Course|T|N"}));
}

TEST(QuotedList, ReadingPastTheEndIsError62) {
  QuotedReader r("\"only\"\r\n");
  EXPECT_EQ(r.ReadField(), "only");
  EXPECT_TRUE(r.AtEnd());
  try {
    r.ReadField();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 62);
  }
  QuotedReader empty("");
  EXPECT_THROW(empty.ReadField(), RuntimeError);
}

TEST(QuotedList, ADoubleQuoteInsideAFieldNeverShiftsTheFieldsAfterIt) {
  // Written by this station: the quote becomes an apostrophe of the same width.
  std::string line = QuotedLine({"12\" Pizza", "O\"Brien", "next"});
  EXPECT_EQ(line, "\"12' Pizza\",\"O'Brien\",\"next\"\r\n");
  EXPECT_EQ(ReadAllFields(line), (std::vector<std::string>{"12' Pizza", "O'Brien", "next"}));
  // Written raw by another station: the stray quote stays inside its field.
  EXPECT_EQ(ReadAllFields("\"1|12\" Pizza|$9.00|T|N\"\r\n\"2|Soda|$1.00|T|N\"\r\n"),
            (std::vector<std::string>{"1|12\" Pizza|$9.00|T|N", "2|Soda|$1.00|T|N"}));
}

TEST(QuotedList, DamagedTextNeitherCrashesNorHangs) {
  // A quote that never closes ends at its line.
  EXPECT_EQ(ReadAllFields("\"abc\r\n\"def\"\r\n"), (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(ReadAllFields("\""), (std::vector<std::string>{""}));
  // A 10 MB line reads as one field.
  std::string big(10 * 1024 * 1024, 'x');
  EXPECT_EQ(ReadAllFields("\"" + big + "\"").at(0).size(), big.size());
  EXPECT_EQ(ReadAllFields(big).at(0).size(), big.size());
}

}  // namespace
}  // namespace korv
