#include <gtest/gtest.h>

#include <filesystem>

#include "engine/korv_main.h"
#include "testing/test_station.h"

namespace korv {
namespace {

constexpr char kHeader[] = "F:\\KORVAIN\\PhoneOrders\\12.PH";
constexpr char kLines[] = "F:\\KORVAIN\\PhoneOrders\\12.pio";
constexpr char kLastOrder[] = "F:\\KORVAIN\\Delivery\\LastOrder\\555-1234.Dat";
constexpr char kRowsText[] =
    "\" 2|Burger|$18.00|Burger| 5 - Main|T|Y\"\r\n\" 1|Cola|$1.50|Cola| 1 - |T|N\"\r\n";

struct CompletionFixture {
  CompletionFixture() {
    ts.WriteConfig();
    ts.LoadConfig();
    Station& s = ts.station;
    s.Customer.Set(2, "  555-1234");
    s.Customer.Set(3, "Pat Smith");
    s.OrderCustRecNo = 17;
    s.PioNumber = 12;
    s.PioNumberText = "12";
    s.SendDate = "12/8/2026";
    s.SendTime = "11:30 AM";
    s.CustName = "Pat Smith";
    s.CustPhone = "555-1234";
    s.CustNumber = "17";
    s.SendStatus = "WAIT";
    w.MList1.AddItem(" 2|Burger|$18.00|Burger| 5 - Main|T|Y");
    w.MList1.AddItem(" 1|Cola|$1.50|Cola| 1 - |T|N");
  }
  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
};

TEST(OrderCompletion, WritesThePhoneOrderAndTheLastOrder) {
  CompletionFixture b;
  b.ts.Write(kHeader, "old header, longer than the new one ...................................");
  b.ts.Write(kLines, "\"old line\"\r\n\"old line\"\r\n\"old line\"\r\n");
  b.w.Timer1.SetInterval(500);
  b.w.SSCommand11_Click();

  EXPECT_EQ(b.ts.Read(kHeader),
            "\"555-1234\",\" 17\",\"Pat Smith                     \",\"12\",\"12/8/2026\","
            "\"11:30 AM\"\r\n");
  EXPECT_EQ(b.ts.Read(kLines), kRowsText);
  EXPECT_EQ(b.ts.Read(kLastOrder), kRowsText);
  EXPECT_EQ(b.ts.station.OrderKey, "12");
  EXPECT_EQ(b.ts.station.SendStatus, "SENT");
  EXPECT_EQ(b.ts.station.CustName, "");
  EXPECT_EQ(b.ts.station.CustPhone, "");
  EXPECT_EQ(b.ts.station.CustNumber, "");
  EXPECT_EQ(b.w.Timer1.Interval(), 0);
  EXPECT_FALSE(b.w.SSCommand27.Visible());
  EXPECT_EQ(b.ts.files.OpenCount(), 0);
  EXPECT_EQ(b.w.MList1.Count(), 2);  // the rows stay for the dispatch pass

  // A blank PioNumberText keys the order by PioNumber; no rows gives empty
  // line files, the header as usual.
  b.ts.station.PioNumberText = "  ";
  b.ts.station.PioNumber = 31;
  b.w.MList1.Clear();
  b.w.SSCommand11_Click();
  EXPECT_EQ(b.ts.Read("F:\\KORVAIN\\PhoneOrders\\31.PH"),
            "\"555-1234\",\" 17\",\"Pat Smith                     \",\"31\",\"12/8/2026\","
            "\"11:30 AM\"\r\n");
  EXPECT_TRUE(b.ts.Exists("F:\\KORVAIN\\PhoneOrders\\31.pio"));
  EXPECT_EQ(b.ts.Read("F:\\KORVAIN\\PhoneOrders\\31.pio"), "");
  EXPECT_TRUE(b.ts.Exists(kLastOrder));
  EXPECT_EQ(b.ts.Read(kLastOrder), "");
}

TEST(OrderCompletion, EachFileOnItsOwn) {
  CompletionFixture b;
  std::filesystem::remove_all(b.ts.files.HostPath("F:\\KORVAIN\\PhoneOrders"));
  b.w.SSCommand11_Click();
  EXPECT_FALSE(b.ts.Exists(kHeader));
  EXPECT_FALSE(b.ts.Exists(kLines));
  EXPECT_EQ(b.ts.Read(kLastOrder), kRowsText);
  EXPECT_EQ(b.ts.station.SendStatus, "SENT");

  // A line file another station holds: the last order is still written.
  CompletionFixture held;
  held.ts.Write(kLines, "\"theirs\"\r\n");
  FileSystem other{PathMap(held.ts.dir.path())};
  const int file = other.Open(kLines, OpenMode::kReadWrite);
  other.Lock(file);
  held.w.SSCommand11_Click();
  other.Close(file);
  EXPECT_EQ(held.ts.Read(kLines), "\"theirs\"\r\n");
  EXPECT_EQ(held.ts.Read(kLastOrder), kRowsText);
  EXPECT_TRUE(held.ts.Exists(kHeader));
  EXPECT_EQ(held.ts.station.SendStatus, "SENT");
  EXPECT_EQ(held.ts.files.OpenCount(), 0);
}

// A blank phone writes the last order to ".Dat", as the other stations do. A
// phone that is no plain file name never writes outside LastOrder\.
TEST(OrderCompletion, LastOrderOnlyUnderAPlainPhone) {
  CompletionFixture blank;
  blank.ts.station.Customer = CustomerRecord();
  blank.w.SSCommand11_Click();
  EXPECT_EQ(blank.ts.Read("F:\\KORVAIN\\Delivery\\LastOrder\\.Dat"), kRowsText);
  EXPECT_EQ(blank.ts.Read(kHeader),
            "\"\",\" 17\",\"" + std::string(30, ' ') + "\",\"12\",\"12/8/2026\",\"11:30 AM\"\r\n");
  EXPECT_EQ(blank.ts.Read(kLines), kRowsText);

  CompletionFixture escape;
  escape.ts.Write("F:\\KORVAIN\\data\\CustData.Dat", "customers");
  escape.ts.station.Customer.Set(2, "..\\..\\data\\CustData");
  escape.w.SSCommand11_Click();
  EXPECT_EQ(escape.ts.Read("F:\\KORVAIN\\data\\CustData.Dat"), "customers");
  EXPECT_EQ(escape.ts.station.SendStatus, "SENT");
}

}  // namespace
}  // namespace korv
