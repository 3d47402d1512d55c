#include "platform/screen/stderr_boxes.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/screen/stderr_status_lines.h"

namespace korv {
namespace {

// Each line with its icon's priority mark: the station's own error boxes
// have no icon and must show among the journal's errors.
TEST(StderrBoxesTest, OneLineWithTitleAndTheDefaultAnswer) {
  std::ostringstream out;
  StderrStatusLines lines(out, true);
  StderrBoxes boxes(lines);
  EXPECT_EQ(boxes.Show("Error 57\rDevice I/O error\r\nPrinter: BAR\n", "ERROR ENCOUNTERED 57",
                       BoxIcon::kCritical, BoxButtons::kOk),
            BoxAnswer::kOk);
  EXPECT_EQ(boxes.Show("Send now?", "", BoxIcon::kQuestion, BoxButtons::kYesNo), BoxAnswer::kYes);
  EXPECT_EQ(boxes.Show("Retry?", "System Busy", BoxIcon::kNone, BoxButtons::kOkCancel),
            BoxAnswer::kOk);
  // Text from a damaged file shows its control bytes escaped.
  boxes.Show("Order \x1B]0;owned\x07 was not printed", "Print", BoxIcon::kExclamation,
             BoxButtons::kOk);
  EXPECT_EQ(out.str(),
            "<3>ERROR ENCOUNTERED 57: Error 57 / Device I/O error / Printer: BAR / \n"
            "<6>Send now?\n"
            "<3>System Busy: Retry?\n"
            "<4>Print: Order \\x1B]0;owned\\x07 was not printed\n");
}

}  // namespace
}  // namespace korv
