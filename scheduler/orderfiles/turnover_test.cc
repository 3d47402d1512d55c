#include "scheduler/orderfiles/turnover.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/order_paths.h"
#include "common/steps.h"
#include "scheduler/orderfiles/pio_number.h"
#include "testing/test_station.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using testing::TestStation;

const char kRoot[] = "F:\\KORVAIN\\";
const char kHeader[] =
    "\"555-0101\",\" 25\",\"Ann Smith           \",\"DS5\",\"12/25/2026\",\"7:30 PM\"\r\n";
const char kLines[] =
    "\" 2|Burger              |$17.00|no onions| 1 - Mains|T|N\"\r\n"
    "\" 1|Cola                |$1.50|| 2 - Drinks|T|Y\"\r\n";

// Every file under PhoneOrders\ with its bytes, by path relative to it.
std::map<std::string, std::string> PhoneOrderFiles(TestStation& t) {
  std::map<std::string, std::string> out;
  fs::path top = t.files.HostPath("F:\\KORVAIN\\PhoneOrders");
  for (const auto& e : fs::recursive_directory_iterator(top))
    if (e.is_regular_file())
      out[fs::relative(e.path(), top).string()] = testing::ReadHostFile(e.path());
  return out;
}

// The dispatch pass's order of the turnover, each step skipped on failure.
void TurnOver(TestStation& t, const std::string& id) {
  DelayedOrderTurnOver turn(t.files, kRoot);
  Steps skip = Steps::Skip();
  skip([&] { turn.CopyLinesToArchive(id); });
  skip([&] { NextPioNumber(t.station, t.files); });
  int n = static_cast<int>(t.station.PioNumber);
  skip([&] { turn.CopyLinesToPhoneOrder(id, n); });
  skip([&] { turn.CopyHeaderToPhoneOrder(id, n); });
  skip([&] { turn.DeleteDelayedLines(id); });
  skip([&] { turn.DeleteDelayedHeader(id); });
  OrderHeader header;
  skip([&] { header = turn.RewriteHeaderOrderId(n); });
  skip([&] { turn.WriteArchivedHeader(id, header, ArchiveNote(id, n, 19 * 3600 + 31 * 60)); });
}

TEST(TurnOverTest, LeavesExactlyThePhoneOrderAndTheArchive) {
  TestStation t;
  t.station.DataRoot = kRoot;
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS5.PH", kHeader);
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS5.Pio", kLines);
  t.Write("F:\\KORVAIN\\data\\PioNumber.dat", "\"16\"\r\n");

  TurnOver(t, "DS5");

  EXPECT_EQ(t.station.PioNumberText, "17");
  EXPECT_EQ(t.Read("F:\\KORVAIN\\data\\PioNumber.dat"), "\"17\"\r\n");
  std::string rewritten =
      "\"555-0101\",\" 25\",\"Ann Smith           \",\"17\",\"12/25/2026\",\"7:30 PM\"\r\n";
  std::map<std::string, std::string> want = {
      {"17.PH", rewritten},
      {"17.Pio", kLines},
      {"Deleted/DS5.Pio", kLines},
      {"Deleted/DS5.PH",
       rewritten.substr(0, rewritten.size() - 2) +
           ",\"Delayed Order DS5 - Sent as 17  Sent to kitchen at 07:31 PM\"\r\n"},
  };
  EXPECT_EQ(PhoneOrderFiles(t), want);
}

TEST(TurnOverTest, MissingLineFileSendsTheHeaderWithNoStaleLines) {
  TestStation t;
  t.station.DataRoot = kRoot;
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS8.PH", kHeader);
  t.Write("F:\\KORVAIN\\data\\PioNumber.dat", "\"497\"\r\n");
  // Phone order 498 of the previous round of numbers.
  t.Write("F:\\KORVAIN\\PhoneOrders\\498.PIO", "\" 9|Old order|$9.00|| 1 - X|T|Y\"\r\n");

  TurnOver(t, "DS8");

  auto files = PhoneOrderFiles(t);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files.count("498.PH"));
  EXPECT_TRUE(files.count("Deleted/DS8.PH"));

  // The old line file held by another station cannot be copied over: it is
  // not sent as this order's either.
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS9.PH", kHeader);
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS9.Pio", kLines);
  t.Write("F:\\KORVAIN\\data\\PioNumber.dat", "\"497\"\r\n");
  t.Write("F:\\KORVAIN\\PhoneOrders\\498.PIO", "\" 9|Old order|$9.00|| 1 - X|T|Y\"\r\n");
  FileSystem other{PathMap(t.dir.path())};
  other.Lock(other.Open("F:\\KORVAIN\\PhoneOrders\\498.PIO", OpenMode::kInput));
  TurnOver(t, "DS9");
  EXPECT_FALSE(PhoneOrderFiles(t).count("498.PIO"));
}

TEST(TurnOverTest, FindsFilesWhateverTheirLetterCase) {
  TestStation t;
  t.station.DataRoot = kRoot;
  t.Write("F:\\KORVAIN\\PhoneOrders\\ds7.ph", kHeader);
  t.Write("F:\\KORVAIN\\PhoneOrders\\ds7.PIO", kLines);
  t.Write("F:\\KORVAIN\\PhoneOrders\\Deleted\\DS7.pio", "old archive\r\n");

  TurnOver(t, "DS7");

  auto files = PhoneOrderFiles(t);
  EXPECT_EQ(files.size(), 4u);
  EXPECT_EQ(files["Deleted/DS7.pio"], kLines);  // replaced, not doubled
  EXPECT_EQ(files["1.Pio"], kLines);
  EXPECT_FALSE(files.count("ds7.ph"));
  EXPECT_FALSE(files.count("ds7.PIO"));
}

TEST(TurnOverTest, RefusesOrderIdsThatLeavePhoneOrders) {
  EXPECT_TRUE(IsSafeOrderId("DS5"));
  EXPECT_TRUE(IsSafeOrderId("DS 12"));
  TestStation t;
  t.station.DataRoot = kRoot;
  t.Write("F:\\KORVAIN\\data\\CustData.dat", "customers");
  t.Write("F:\\KORVAIN\\data\\CustData.Pio", "lines");
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS5.PH", kHeader);
  fs::path data = t.files.HostPath("F:\\KORVAIN\\data");
  DelayedOrderTurnOver turn(t.files, kRoot);
  OrderHeader header;
  for (const std::string& id : std::vector<std::string>{"", "   ", "..\\data\\CustData",
                                                        "../data/CustData", "..", "C:x", "DS5\r",
                                                        std::string("DS\0"
                                                                    "5",
                                                                    4),
                                                        "DS*", "DS5|x", "\\\\srv\\s"}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(IsSafeOrderId(id));
    auto expect_52 = [&](const std::function<void()>& step) {
      try {
        step();
        ADD_FAILURE() << "accepted";
      } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), kErrBadFileName);
        EXPECT_NE(e.description().find("order id"), std::string::npos);
      }
    };
    expect_52([&] { turn.CopyLinesToArchive(id); });
    expect_52([&] { turn.CopyLinesToPhoneOrder(id, 3); });
    expect_52([&] { turn.CopyHeaderToPhoneOrder(id, 3); });
    expect_52([&] { turn.DeleteDelayedLines(id); });
    expect_52([&] { turn.DeleteDelayedHeader(id); });
    expect_52([&] { turn.WriteArchivedHeader(id, header, "note"); });
  }
  EXPECT_EQ(testing::ReadHostFile(data / "CustData.dat"), "customers");
  EXPECT_EQ(testing::ReadHostFile(data / "CustData.Pio"), "lines");
  EXPECT_EQ(PhoneOrderFiles(t).size(), 1u);
}

}  // namespace
}  // namespace korv
