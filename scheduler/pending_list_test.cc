#include <gtest/gtest.h>
#include <sys/time.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "scheduler/korv_delayed_send.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kFolder[] = "F:\\KORVAIN\\PhoneOrders\\";

class PendingListTest : public ::testing::Test {
 protected:
  PendingListTest() : window(t.station, t.platform, "test") {
    t.station.DataRoot = "F:\\KORVAIN\\";
    window.File1.SetPath(kFolder);
    window.File1.SetPattern("DS*.PH");
  }

  // A delayed header last changed on the given local day.
  void Header(const std::string& name, const std::string& fields, int day_of_december) {
    std::string path = kFolder + name;
    t.Write(path, fields + "\r\n");
    std::tm tm = {};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = day_of_december;
    tm.tm_hour = 10;
    tm.tm_isdst = -1;
    timeval times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
    ASSERT_EQ(utimes(t.files.HostPath(path).c_str(), times), 0);
  }

  void Rebuild() {
    window.File1.Refresh();
    window.UpdateList();
  }

  TestStation t;
  KORVdelayedSend1 window;
};

TEST_F(PendingListTest, RowsFollowTheFileNamesAsText) {
  Header("DS2.PH", R"("555-0102"," 2","Bob Jones   ","DS2","12/25/2026","7:30 PM")", 20);
  Header("DS10.PH", R"("555-0110","0","  Cy ","DS10 ","1/4/2027","11:05 AM")", 21);
  Header("ds9.ph", R"("555-0109"," 9","Di","DS9","12/26/2026","12:00 PM")", 22);
  window.MList1.SetCaption("Pending Orders To SEND");

  Rebuild();

  ASSERT_EQ(window.MList1.Count(), 3);
  EXPECT_EQ(window.MList1.Item(0), "DS10 - Cy|12/21/2026|1/4/2027|Monday|11:05 AM|0");
  EXPECT_EQ(window.MList1.Item(1), "DS2 - Bob Jones|12/20/2026|12/25/2026|Friday|7:30 PM| 2");
  EXPECT_EQ(window.MList1.Item(2), "DS9 - Di|12/22/2026|12/26/2026|Saturday|12:00 PM| 9");
  EXPECT_EQ(window.MList1.ItemData(0), "DS10");
  EXPECT_EQ(window.List1.Items(), (std::vector<std::string>{"DS10 ", "DS2", "DS9"}));
  EXPECT_EQ(window.Label2.Caption(), "3");
  EXPECT_EQ(window.MList1.Caption(), "Pending Orders To SEND");
  EXPECT_EQ(t.station.WorkPath, "F:\\KORVAIN\\PhoneOrders\\ds9.ph");
  EXPECT_EQ(t.files.OpenCount(), 0);
}

TEST_F(PendingListTest, UnreadableSendDateLeavesOnlyTheDayBlank) {
  Header("DS1.PH", R"("1","1","A","DS1","next friday","7:30 PM")", 20);
  Header("DS2.PH", R"("2","2","B","DS2","12/25/2026","7:30 PM")", 20);
  Rebuild();
  ASSERT_EQ(window.MList1.Count(), 2);
  EXPECT_EQ(window.MList1.Item(0), "DS1 - A|12/20/2026|next friday||7:30 PM|1");
  EXPECT_EQ(window.MList1.Item(1), "DS2 - B|12/20/2026|12/25/2026|Friday|7:30 PM|2");
}

// The Day column shows the date as the station read it, under its order of
// day and month; the date and time columns keep the peers' texts.
TEST_F(PendingListTest, TheDayShowsTheDateAsReadUnderTheStationsDateOrder) {
  t.station.date_order = DateOrder::kDayMonthYear;
  Header("DS1.PH", R"("1","1","A","DS1","07/12/2026","17:00")", 20);
  Header("DS2.PH", R"("2","2","B","DS2","Monday, December 07, 2026","5:00:00 PM")", 20);
  Rebuild();
  ASSERT_EQ(window.MList1.Count(), 2);
  EXPECT_EQ(window.MList1.Item(0), "DS1 - A|12/20/2026|07/12/2026|Monday|17:00|1");
  EXPECT_EQ(window.MList1.Item(1),
            "DS2 - B|12/20/2026|Monday, December 07, 2026|Monday|5:00:00 PM|2");
}

TEST_F(PendingListTest, AnEmptyFolderLeavesTheListEmpty) {
  window.Label2.SetCaption("4");
  window.MList1.AddItem("stale");
  Rebuild();
  EXPECT_TRUE(window.PendingOrders().empty());
  EXPECT_EQ(window.MList1.Count(), 0);
  EXPECT_EQ(window.List1.Count(), 0);
  EXPECT_EQ(window.PendingCount(), 0);
  EXPECT_EQ(window.Label2.Caption(), "0");
}

// A header an order-entry station is still writing (empty, or cut short) and
// one whose order id names another order get no row; each is named once in
// the error text, and every other header is listed.
TEST_F(PendingListTest, ADamagedHeaderIsPassedByAndNamedAndTheOthersListed) {
  Header("DS1.PH", "", 20);
  Header("DS2.PH", R"("2","2","B","DS2","12/25/2026","7:30 PM")", 20);
  Header("DS3.PH", R"("555","3","C")", 20);
  Header("DS5.PH", R"("5","5","E","17","12/25/2026","7:30 PM")", 20);
  Header("DS6.PH", R"("6","6","F","ds6 ","12/25/2026","7:30 PM")", 20);  // its own, any case
  window.MList1.SetCaption("Pending Orders To SEND");
  Rebuild();
  Rebuild();

  EXPECT_EQ(window.List1.Items(), (std::vector<std::string>{"DS2", "ds6 "}));
  EXPECT_EQ(window.MList1.Caption(), "Pending Orders To SEND");
  EXPECT_EQ(t.files.OpenCount(), 0);
  const std::string said = window.RichTextBox1.Text();
  for (const std::string& part :
       {std::string("header ") + kFolder + "DS1.PH cannot be read (Input past end of file)",
        std::string("header ") + kFolder + "DS3.PH cannot be read (Input past end of file)",
        std::string("header ") + kFolder +
            "DS5.PH names another order, \"17\", in its order id: it is not sent"}) {
    const size_t at = said.find(part);
    EXPECT_NE(at, std::string::npos) << part;
    EXPECT_EQ(said.find(part, at + 1), std::string::npos) << "said once: " << part;
  }

  // Completed by its station, the header is listed at the next rebuild.
  Header("DS3.PH", R"("555","3","C","DS3","12/25/2026","7:30 PM")", 20);
  Rebuild();
  EXPECT_EQ(window.List1.Items(), (std::vector<std::string>{"DS2", "DS3", "ds6 "}));
}

// A header is read again when, and only when, it may have changed.
TEST_F(PendingListTest, AHeaderIsReadAgainOnlyWhenItMayHaveChanged) {
  Header("DS1.PH", R"("1","1","Ann","DS1","12/25/2026","7:30 PM")", 20);
  Header("DS2.PH", R"("2","2","Bob","DS2","12/25/2026","7:30 PM")", 20);
  Rebuild();
  // Rewritten at once, in place and with the same size and modification
  // time: its times may not have moved, but a stamp that recent is not
  // trusted.
  Header("DS2.PH", R"("2","2","Bea","DS2","12/25/2026","6:30 PM")", 20);
  window.RefreshList(true);
  EXPECT_EQ(window.MList1.Item(1), "DS2 - Bea|12/20/2026|12/25/2026|Friday|6:30 PM|2");

  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  window.RefreshList(true);  // what was read that recently is read once more, and settles
  // An unchanged header is not opened: another station holding DS1 does not
  // hold the list up. DS2, written again with its old modification time,
  // shows by its change time.
  FileSystem other{PathMap(t.dir.path())};
  int held = other.Open(kFolder + std::string("DS1.PH"), OpenMode::kInput);
  other.Lock(held);
  Header("DS2.PH", R"("2","2","Bea","DS2","12/25/2026","5:30 PM")", 20);
  window.RefreshList(true);
  EXPECT_EQ(window.MList1.Item(0), "DS1 - Ann|12/20/2026|12/25/2026|Friday|7:30 PM|1");
  EXPECT_EQ(window.MList1.Item(1), "DS2 - Bea|12/20/2026|12/25/2026|Friday|5:30 PM|2");
  other.Unlock(held);
}

}  // namespace
}  // namespace korv
