#include "platform/print/printer_condition.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

// What a ticket printer's three status answers and a CUPS queue's state
// tell; paper and cover outrank the offline a printer reports with them.
TEST(PrinterConditionTest, AnswersAndQueueReasonsTellWhetherTheTicketsWait) {
  struct Answers {
    std::string bytes;
    PrinterCondition condition;
  };
  const Answers answers[] = {
      {"\x12\x12\x12", PrinterCondition::kReady},
      {"\x1A\x32\x7E", PrinterCondition::kPaperEnd},  // out of paper: offline, stopped, sensor
      {"\x12\x12\x1E", PrinterCondition::kPaperNearEnd},
      {"\x1A\x16\x12", PrinterCondition::kCoverOpen},
      {"\x1A\x12\x12", PrinterCondition::kOffline},
      // An automatic status frame (0x10, 0x00, ...) is no answer; the
      // answers around it still count.
      {std::string("\x10\x00\x12\x12\x00\x00\x1E", 7), PrinterCondition::kPaperNearEnd},
      {"\x12\x12", PrinterCondition::kUnknown},  // one did not come
  };
  for (const Answers& a : answers) {
    std::string taken;
    TakeStatusAnswers(a.bytes, &taken);
    EXPECT_EQ(DecodeAnswers(taken), a.condition) << ConditionText(a.condition);
  }

  EXPECT_EQ(CupsCondition(3, "none,"), PrinterCondition::kReady);
  EXPECT_EQ(CupsCondition(4, "media-empty-error,"), PrinterCondition::kPaperEnd);
  EXPECT_EQ(CupsCondition(3, "toner-low-warning, cover-open-report"), PrinterCondition::kCoverOpen);
  EXPECT_EQ(CupsCondition(5, "paused,"), PrinterCondition::kOffline);
  EXPECT_EQ(CupsCondition(3, "offline-report"), PrinterCondition::kOffline);
  EXPECT_EQ(CupsCondition(3, "media-low-warning"), PrinterCondition::kPaperNearEnd);
  EXPECT_EQ(CupsCondition(3, "media-jam-error"), PrinterCondition::kReady)
      << "not a reason it holds";
  EXPECT_EQ(CupsCondition(3, "media-emptying"), PrinterCondition::kReady) << "whole words only";

  for (PrinterCondition c :
       {PrinterCondition::kPaperEnd, PrinterCondition::kCoverOpen, PrinterCondition::kOffline})
    EXPECT_TRUE(HoldsTickets(c)) << ConditionText(c);
  for (PrinterCondition c :
       {PrinterCondition::kReady, PrinterCondition::kPaperNearEnd, PrinterCondition::kUnknown})
    EXPECT_FALSE(HoldsTickets(c)) << ConditionText(c);
}

}  // namespace
}  // namespace korv
