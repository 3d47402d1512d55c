#include "scheduler/retention.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <ctime>

#include "logview/korv_trace_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/turnover.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const Date kToday{2026, 12, 8};  // the test station's clock
constexpr int kDays = 30;
const std::string kOrders = "F:\\KORVAIN\\PhoneOrders\\";
const std::string kArchive = kOrders + "Deleted\\";
const std::string kLines = " 1|Burger              |$9.00|Burger| 0 - Mains|T|Y\r\n";

// An archived header as a delayed-send station's send leaves it.
std::string SentHeader(const std::string& id) {
  return R"("555-0101"," 1","Ann Lee","17","12/1/2026","9:00 AM",")" +
         ArchiveNote(id, 17, 9 * 3600) + "\"\r\n";
}

// Writes the file, last changed at noon `age` days before kToday.
void WriteAged(TestStation& t, const std::string& path, const std::string& text, int age) {
  t.Write(path, text);
  const Date day = Date::FromSerial(kToday.Serial() - age);
  std::tm tm = {};
  tm.tm_year = day.year - 1900;
  tm.tm_mon = day.month - 1;
  tm.tm_mday = day.day;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  const timeval times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
  ASSERT_EQ(utimes(t.files.HostPath(path).c_str(), times), 0) << path;
}

TEST(Retention, RemovesOnlyItsOwnFilesOlderThanTheRetention) {
  TestStation t;
  const std::string tickets = (t.dir.path() / "printed" / "kitchen").string();
  const std::string old_tickets = (t.dir.path() / "printed" / "bar").string();
  const struct {
    std::string path;
    std::string text;
    int age;
    bool kept;
  } files[] = {
      // The archive of the orders it sent, around the limit.
      {kArchive + "DS1.PH", SentHeader("DS1"), kDays + 1, false},
      {kArchive + "DS1.Pio", kLines, kDays + 1, false},
      {kArchive + "DS2.PH", SentHeader("DS2"), kDays, true},
      {kArchive + "DS2.Pio", kLines, kDays, true},
      // A later send of the same name left its lines and no header yet.
      {kArchive + "DS3.PH", SentHeader("DS3"), 400, false},
      {kArchive + "DS3.Pio", kLines, 2, true},
      // The peers': a header without a send's note (and its lines), lines
      // with no header to say whose they are, a note naming another order,
      // pending and phone orders.
      {kArchive + "DS4.PH", R"("555-0101"," 1","Ann Lee","DS4","12/1/2026","9:00 AM")", 400, true},
      {kArchive + "DS4.Pio", kLines, 400, true},
      {kArchive + "DS5.Pio", kLines, 400, true},
      {kArchive + "DS6.PH", SentHeader("DS7"), 400, true},
      {kOrders + "DS8.PH", R"("555-0101"," 1","Ann Lee","DS8","12/1/2025","9:00 AM")", 400, true},
      {kOrders + "17.PH", R"("555-0101"," 1","Ann Lee","17","12/1/2025","9:00 AM")", 400, true},
      // The monthly logs: October's is all past the retention, November's
      // not; January's was begun by a peer whose clock runs ahead.
      {kOrders + "1026DElayedSend.LOG", "\"SENT\"\r\n", 38, false},
      {kOrders + "1126delayedsend.log", "\"SENT\"\r\n", 8, true},
      {kOrders + "0127DElayedSend.LOG", "\"SENT\"\r\n", 0, true},
      // The dir: printers' tickets: all but the highest number of a folder.
      {tickets + "/000001.txt", "K-1\r\n", kDays + 1, false},
      {tickets + "/000001.html", "<p>K-1</p>", kDays + 1, false},
      {tickets + "/000002.txt", "K-2\r\n", kDays, true},
      {old_tickets + "/000006.txt", "B-6\r\n", 400, false},
      {old_tickets + "/000007.txt", "B-7\r\n", 400, true},
      {old_tickets + "/000007.html", "<p>B-7</p>", 400, true},
      {old_tickets + "/00008.txt", "not a ticket\r\n", 400, true},
      {old_tickets + "/notes.txt", "not a ticket\r\n", 400, true},
      // Moved trace logs go by the date of their name. The newest left is
      // the retention's days old: the trace log is due to move again.
      {"c:\\Korvain\\TraceLog.20261107.txt", "trace\r\n", 0, false},
      {"c:\\Korvain\\TraceLog.20261108.txt", "trace\r\n", 0, true},
  };
  std::vector<std::string> removed;
  for (const auto& f : files) {
    WriteAged(t, f.path, f.text, f.age);
    if (!f.kept) removed.push_back(f.path);
  }
  t.Write(kTraceLogPath, "trace of today\r\n");

  RetentionDone done = ApplyRetention(
      t.files, {kTraceLogPath, "F:\\KORVAIN\\", {tickets, old_tickets}}, kToday, kDays);

  for (const auto& f : files) EXPECT_EQ(t.Exists(f.path), f.kept) << f.path;
  std::sort(done.removed.begin(), done.removed.end());
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(done.removed, removed);
  EXPECT_TRUE(done.failures.empty()) << done.failures.front();
  EXPECT_EQ(done.trace_log_kept_as, "c:\\Korvain\\TraceLog.20261208.txt");
  EXPECT_EQ(t.Read("C:\\Korvain\\TraceLog.20261208.txt"), "trace of today\r\n");
  EXPECT_TRUE(t.Exists(kTraceLogPath));
  EXPECT_EQ(t.Read(kTraceLogPath), "");
}

// The station applies it at the first pass of a day, and not again that day.
TEST(Retention, TheStationAppliesItOnceADay) {
  TestStation t;
  t.WriteConfig();
  t.Write("C:\\Korvain\\station.conf", "retention-days = 30\r\n");
  KORVdelayedSend1 w(t.station, t.platform, "test");
  ASSERT_TRUE(w.Form_Load());
  WriteAged(t, kArchive + "DS1.PH", SentHeader("DS1"), kDays + 1);
  t.Write(kTraceLogPath, "trace of the 8th\r\n");

  w.Timer1_Timer();
  EXPECT_FALSE(t.Exists(kArchive + "DS1.PH"));
  EXPECT_EQ(t.Read("C:\\Korvain\\TraceLog.20261208.txt"), "trace of the 8th\r\n");
  const std::vector<std::string> said = {
      "korv-delayed-send: removed 1 file older than 30 days from " + kArchive,
      "korv-delayed-send: the trace log c:\\Korvain\\TraceLog.txt was moved whole to "
      "c:\\Korvain\\TraceLog.20261208.txt and begun afresh"};
  EXPECT_EQ(t.status.lines, said);

  WriteAged(t, kArchive + "DS2.PH", SentHeader("DS2"), kDays + 1);
  t.Write(kTraceLogPath, "trace of the 9th\r\n");
  t.clock.Set(DateTime{kToday, 23 * 3600 + 59 * 60});
  w.Timer1_Timer();
  EXPECT_TRUE(t.Exists(kArchive + "DS2.PH")) << "applied today already";

  t.clock.Set(DateTime{Date{2026, 12, 9}, 0});
  w.Timer1_Timer();
  EXPECT_FALSE(t.Exists(kArchive + "DS2.PH")) << "the next day's first pass";
  EXPECT_EQ(t.Read(kTraceLogPath), "trace of the 9th\r\n") << "moved yesterday, it stays";
  EXPECT_EQ(t.status.lines.size(), said.size() + 1);
}

}  // namespace
}  // namespace korv
