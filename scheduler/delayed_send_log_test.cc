#include "scheduler/delayed_send_log.h"

#include <gtest/gtest.h>

#include "common/order_paths.h"
#include "testing/child_processes.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kRoot[] = "F:\\KORVAIN\\";
const DateTime kNow{Date{2026, 12, 8}, 19 * 3600 + 5 * 60};
const char kRule[] = "\" ___________________________________________________\"\r\n";

TEST(DelayedSendLogTest, EntriesAreWrittenByteExact) {
  TestStation t;
  std::string path = DelayedSendLogPath(kRoot, kNow.date);
  EXPECT_EQ(path, "F:\\KORVAIN\\PhoneOrders\\1226DElayedSend.LOG");
  std::string hdr = "F:\\KORVAIN\\PhoneOrders\\DS5.PH";

  AppendLogEntry(t.files, path, SentLogEntry("DS5", 17, "Ann Smith", "7:30 PM", "12/25/2026", "3"));
  AppendLogEntry(t.files, path, UnknownCustomerLogEntry(hdr));
  AppendLogEntry(
      t.files, path,
      DisplayedLogEntry(hdr, "12/25/2026", "7:30 PM", "Ann Smith", "DS5", kNow, {"DS10", "DS5 "}));
  AppendLogEntry(t.files, path, DisplayedLogEntry(hdr, "", "", "", "DS5", kNow, {}));
  AppendLogEntry(t.files, path, PrintedLogEntry(hdr, "DS5", kNow));

  std::string displayed_tail =
      "\" Delayed Send Order DS5\"\r\n"
      "\" Occured on Tuesday 12/08/2026 at 07:05 PM\"\r\n";
  EXPECT_EQ(t.Read(path),
            "\"*******************  SENT  ********************\"\r\n"
            "\"Delayed Order Sent DS5 was sent as PhoneOrder 17\"\r\n"
            "\" - Order is for customer ANN SMITH\"\r\n"
            "\" - Order was scheduled to be sent at 7:30 PM on 12/25/2026\"\r\n"
            "\" - including this Order ther were a total of 3 Delayed orders pending when this "
            "order was sent\"\r\n"
            "\"*******************************************\"\r\n"
            "\"Customer not found - Record Number was ZERO - Marked name to unknown - file name "
            "was F:\\KORVAIN\\PhoneOrders\\DS5.PH\"\r\n"
            "\" ORDER DISPLAYED ON DELAYED SEND PROGRAM\"\r\n"
            "\" File Name F:\\KORVAIN\\PhoneOrders\\DS5.PH\"\r\n"
            "\" ORDER SEND ON 12/25/2026 at 7:30 PM\"\r\n"
            "\" Customer Ann Smith\"\r\n" +
                displayed_tail +
                "\"Total Pending Orders 2\"\r\n"
                "\" - DS10 - DS5 \"\r\n" +
                kRule +
                "\" ORDER DISPLAYED ON DELAYED SEND PROGRAM\"\r\n"
                "\" File Name F:\\KORVAIN\\PhoneOrders\\DS5.PH\"\r\n"
                "\" ORDER SEND ON  at \"\r\n"
                "\" Customer \"\r\n" +
                displayed_tail +
                "\"Total Pending Orders 0\"\r\n"
                "\"\"\r\n" +
                kRule +
                "\" ORDER PRINTED ON DELAYED SEND PROGRAM\"\r\n"
                "\" File Name F:\\KORVAIN\\PhoneOrders\\DS5.PH\"\r\n" +
                displayed_tail + kRule);
  EXPECT_EQ(t.files.OpenCount(), 0);
}

TEST(DelayedSendLogTest, ANewMonthStartsItsOwnFile) {
  TestStation t;
  std::string november = DelayedSendLogPath(kRoot, Date{2026, 11, 30});
  t.Write(november, "\"old entry\"\r\n");
  std::string december = DelayedSendLogPath(kRoot, Date{2026, 12, 1});
  ASSERT_FALSE(t.Exists(december));

  AppendLogEntry(t.files, december, {"first"});

  EXPECT_EQ(t.Read(december), "\"first\"\r\n");
  EXPECT_EQ(t.Read(november), "\"old entry\"\r\n");
  EXPECT_EQ(DelayedSendLogPath(kRoot, Date{2027, 1, 1}),
            "F:\\KORVAIN\\PhoneOrders\\0127DElayedSend.LOG");
}

TEST(DelayedSendLogTest, EntriesOfStationsAppendingAtOnceDoNotInterleave) {
  constexpr int kProcesses = 4;
  constexpr int kEntries = 100;
  TestStation t;
  std::string path = DelayedSendLogPath(kRoot, kNow.date);
  ASSERT_TRUE(testing::RunInChildren(kProcesses, [&](int p) {
    FileSystem files{PathMap(t.dir.path())};
    std::vector<std::string> entry(6, "station " + std::to_string(p));
    for (int i = 0; i < kEntries; ++i) AppendLogEntry(files, path, entry);
    return 0;
  }));
  std::string text = t.Read(path);
  const size_t line = std::string("\"station 0\"\r\n").size();
  ASSERT_EQ(text.size(), line * 6 * kProcesses * kEntries);
  // Each entry is six equal lines of one station, never cut by another's.
  for (size_t at = 0; at < text.size(); at += line) {
    size_t first = at - at % (6 * line);
    ASSERT_EQ(text.compare(at, line, text, first, line), 0) << "interleaved at byte " << at;
  }
}

}  // namespace
}  // namespace korv
