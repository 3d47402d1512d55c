#include "scheduler/dispatch_pass.h"

#include <gtest/gtest.h>

#include <set>

#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/test_station.h"

namespace korv {
namespace {

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kOrders = kRoot + "PhoneOrders\\";

// A send that sends by deleting the order's header, unless told to leave the
// order alone or to halt the pass.
struct FakeSend : OrderSends {
  FakeSend(testing::TestStation& t, DispatchPass& pass) : t(t), pass(pass) {}
  void Send(const PendingOrder& order, int pending_count) override {
    sent.push_back(order.id + "/" + std::to_string(pending_count));
    if (held.count(order.id)) return pass.LeaveAlone(order.id);
    t.files.Kill(kOrders + order.file_name);
    if (halts.count(order.id)) pass.HaltPass();
  }
  void RecoverSends() override { ++recoveries; }
  testing::TestStation& t;
  DispatchPass& pass;
  std::set<std::string> held, halts;
  std::vector<std::string> sent;  // id/pending count, in the order sent
  int recoveries = 0;
};

// The rows as an observer keeps them from what it is told.
struct Rows : PassObserver {
  void RowsCleared() override { ids.clear(); }
  void RowAdded(const PendingOrder& order) override { ids.push_back(order.id); }
  void RowRemoved(int index) override { ids.erase(ids.begin() + index); }
  void OrderHeld(const std::string& id) override { held.push_back(id); }
  std::vector<std::string> ids, held;
};

// Friday 12/25/2026 at 6:30:20 PM.
struct PassFixture {
  PassFixture() {
    t.WriteConfig();
    t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600 + 30 * 60 + 20});
    pass.SetSend(&send);
    pass.AddObserver(&rows);
    pass.Ending = [this] { return ending; };
    pass.ReadStationConfig();
  }
  void Order(const std::string& id, const std::string& date, const std::string& time) {
    WriteDelayedOrder(t.files, kRoot, OrderHeader{"207-555-0107", " 7", "Ann Lee", id, date, time},
                      {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  }
  std::vector<std::string> Pending() const {
    std::vector<std::string> ids;
    for (const PendingOrder& order : pass.PendingOrders()) ids.push_back(order.id);
    return ids;
  }
  testing::TestStation t;
  DispatchPass pass{t.station, t.platform};
  FakeSend send{t, pass};
  Rows rows;
  bool ending = false;
};

using Ids = std::vector<std::string>;

// The due orders go in the folder's name order, each at most once a pass,
// after the unfinished sends; an order the send leaves alone stays listed.
TEST(DispatchPass, DueOrdersGoToTheSendInListOrderOnceAPass) {
  PassFixture p;
  p.Order("DS2", "12/25/2026", "6:30 PM");    // this very minute
  p.Order("DS10", "12/24/2026", "11:59 PM");  // a past day
  p.Order("DS3", "12/25/2026", "6:00 PM");
  p.Order("DS9", "12/25/2026", "6:31 PM");  // a minute later
  p.Order("DS11", "12/26/2026", "9:00 AM");
  p.send.held = {"DS2"};
  p.pass.Run();
  EXPECT_EQ(p.send.recoveries, 1);
  EXPECT_EQ(p.send.sent, (Ids{"DS10/5", "DS2/4", "DS3/4"}));
  EXPECT_EQ(p.Pending(), (Ids{"DS11", "DS2", "DS9"}));
  EXPECT_EQ(p.rows.ids, p.Pending()) << "what the observers were told is the rows";
  EXPECT_EQ(p.rows.held, Ids{"DS2"});

  p.send.held.clear();
  p.t.clock.AdvanceMs(60000);
  p.pass.Run();
  EXPECT_EQ(p.send.sent, (Ids{"DS10/5", "DS2/4", "DS3/4", "DS2/3", "DS9/2"}));
  EXPECT_EQ(p.rows.ids, Ids{"DS11"});
}

TEST(DispatchPass, AHaltAnEndOrAnOpenViewKeepsFurtherOrdersBack) {
  struct Case {
    const char* name;
    std::function<void(PassFixture&)> set;
    Ids sent;
    int recoveries;
  };
  const Case cases[] = {
      {"a send halts the pass", [](PassFixture& p) { p.send.halts = {"DS1"}; }, {"DS1/3"}, 1},
      {"the station is asked to end", [](PassFixture& p) { p.ending = true; }, {}, 1},
      {"an operator's view is open",
       [](PassFixture& p) { p.t.station.ScreenMode = kScreenViewOpen; },
       {},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PassFixture p;
    for (const char* id : {"DS1", "DS2", "DS3"}) p.Order(id, "12/25/2026", "6:00 PM");
    c.set(p);
    p.pass.Run();
    EXPECT_EQ(p.send.sent, c.sent);
    EXPECT_EQ(p.send.recoveries, c.recoveries);
  }
}

// The window shows the rows, the count and the faults the pass tells it,
// and arms its timer for the next pass.
TEST(DispatchPass, TheWindowShowsWhatThePassTellsIt) {
  testing::TestStation t({"KITCHEN1"});
  t.WriteConfig({{ConfigField::MainKitchenPrinter, "KITCHEN1"}});
  t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600});
  WriteDelayedOrder(t.files, kRoot,
                    {"207-555-0107", " 0", "Ann Lee", "DS5", "12/25/2026", "5:00 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  WriteDelayedOrder(t.files, kRoot,
                    {"207-555-0107", " 0", "Bo Chen", "DS6", "12/26/2026", "5:00 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  t.Write(kOrders + "DS7.PH", "");  // being written by an order-entry station
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  ASSERT_TRUE(w.Form_Load());
  w.Timer1_Timer();

  ASSERT_EQ(w.MList1.Count(), 1);
  EXPECT_EQ(w.MList1.ItemData(0), "DS6");
  EXPECT_EQ(w.List1.Item(0), "DS6");
  EXPECT_EQ(w.Label2.Caption(), "2") << "DS6 and the unreadable DS7";
  EXPECT_EQ(w.Label6.Caption(), "1");
  EXPECT_EQ(w.Label7.Caption(), "");
  EXPECT_EQ(w.Timer1.Interval(), KORVdelayedSend1::kPassIntervalMs);
  EXPECT_TRUE(w.SSCommand4.Visible());
  EXPECT_NE(w.RichTextBox1.Text().find(kOrders + "DS7.PH"), std::string::npos)
      << w.RichTextBox1.Text();
  EXPECT_FALSE(w.EngineLoaded());
}

}  // namespace
}  // namespace korv
