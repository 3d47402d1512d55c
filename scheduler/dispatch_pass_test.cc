#include "scheduler/dispatch_pass.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <utility>

#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/station_state_file.h"
#include "testing/test_station.h"

namespace korv {
namespace {

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kOrders = kRoot + "PhoneOrders\\";

// A send that sends by deleting the order's header, unless told to leave the
// order alone or to halt the pass.
struct FakeSend : OrderSends {
  FakeSend(testing::TestStation& t, DispatchPass& pass) : t(t), pass(pass) {}
  bool Send(const PendingOrder& order, int pending_count, const NextDueFinder&) override {
    sent.push_back(order.id + "/" + std::to_string(pending_count));
    if (during) std::exchange(during, nullptr)();
    if (held.count(order.id)) {
      pass.Hold(order.id, "Order " + order.id + " is held");
      return false;
    }
    t.files.Kill(kOrders + order.file_name);
    if (halts.count(order.id)) pass.HaltPass();
    return true;
  }
  void RecoverSends() override { ++recoveries; }
  testing::TestStation& t;
  DispatchPass& pass;
  std::set<std::string> held, halts;
  std::vector<std::string> sent;  // id/pending count, in the order sent
  std::function<void()> during;   // once, in the next send
  int recoveries = 0;
};

// The rows as an observer keeps them from what it is told.
struct Rows : PassObserver {
  void RowsCleared() override { ids.clear(); }
  void RowAdded(const PendingOrder& order) override { ids.push_back(order.id); }
  void RowRemoved(int index) override { ids.erase(ids.begin() + index); }
  void OrderHeld(const std::string& id, const std::string& /*why*/) override { held.push_back(id); }
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
// The folder is listed once a tick: an order written during a send goes out
// at the next tick.
TEST(DispatchPass, DueOrdersGoToTheSendInListOrderOnceAPass) {
  PassFixture p;
  p.Order("DS2", "12/25/2026", "6:30 PM");    // this very minute
  p.Order("DS10", "12/24/2026", "11:59 PM");  // a past day
  p.Order("DS3", "12/25/2026", "6:00 PM");
  p.Order("DS9", "12/25/2026", "6:31 PM");  // a minute later
  p.Order("DS11", "12/26/2026", "9:00 AM");
  p.send.held = {"DS2"};
  p.send.during = [&] { p.Order("DS12", "12/24/2026", "9:00 AM"); };
  p.pass.Run();
  EXPECT_EQ(p.send.recoveries, 1);
  EXPECT_EQ(p.send.sent, (Ids{"DS10/5", "DS2/4", "DS3/4"}));
  EXPECT_EQ(p.Pending(), (Ids{"DS11", "DS2", "DS9"}));
  EXPECT_EQ(p.rows.ids, p.Pending()) << "what the observers were told is the rows";
  EXPECT_EQ(p.rows.held, Ids{"DS2"});

  p.send.held.clear();
  p.t.clock.AdvanceMs(60000);
  p.pass.Run();
  EXPECT_EQ(p.send.sent, (Ids{"DS10/5", "DS2/4", "DS3/4", "DS12/4", "DS2/3", "DS9/2"}));
  EXPECT_EQ(p.rows.ids, Ids{"DS11"});
}

// On the tick of the full read, a due order whose header another station
// rewrote since it was read goes out as it now reads, its header read again
// alone, before the other headers are read: DS1, which the rewrite made due
// too, goes out only after the full read.
TEST(DispatchPass, ADueHeaderRewrittenSinceItWasReadGoesOutBeforeTheFullRead) {
  PassFixture p;
  p.Order("DS1", "12/26/2026", "9:00 AM");
  p.Order("DS2", "12/25/2026", "6:31 PM");
  p.pass.Run();
  ASSERT_TRUE(p.send.sent.empty());
  // Rewritten in place, as an order-entry station does.
  WriteHeader(p.t.files, kOrders + "DS2.PH",
              {"207-555-0199", " 7", "Bo Lee", "DS2", "12/25/2026", "6:31 PM"});
  WriteHeader(p.t.files, kOrders + "DS1.PH",
              {"207-555-0107", " 7", "Ann Lee", "DS1", "12/25/2026", "6:00 PM"});
  p.t.station.TickCount = 5;
  p.t.clock.AdvanceMs(60000);
  std::map<std::string, OrderHeader> rows_at_send;
  p.send.during = [&] {
    for (const PendingOrder& order : p.pass.PendingOrders()) rows_at_send[order.id] = order.header;
  };
  p.pass.Run();
  EXPECT_EQ(p.send.sent, (Ids{"DS2/2", "DS1/1"}));
  EXPECT_EQ(rows_at_send["DS2"].phone, "207-555-0199") << "sent as it now reads";
  EXPECT_EQ(rows_at_send["DS1"].send_date, "12/26/2026") << "not yet read again";
  EXPECT_TRUE(p.Pending().empty());
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
  WriteDelayedOrder(t.files, kRoot, {"207-555-0107", " 0", "Cy Park", "DS8", "13/45/2026", "5 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  ASSERT_TRUE(w.Form_Load());
  int notified = 0;
  w.Tray.Notify = [&](const std::string&, const std::string&) { ++notified; };
  w.Timer1_Timer();

  ASSERT_EQ(w.MList1.Count(), 2);
  EXPECT_EQ(w.MList1.ItemData(0), "DS6");
  EXPECT_EQ(w.List1.Item(1), "DS8");
  EXPECT_EQ(w.Label2.Caption(), "3") << "DS6, the unreadable DS7 and DS8";
  EXPECT_EQ(w.Label6.Caption(), "1");
  EXPECT_EQ(w.Label7.Caption(), "");
  EXPECT_EQ(w.Timer1.Interval(), 61000) << "the next pass at 6:01:01 PM";
  EXPECT_TRUE(w.SSCommand4.Visible());
  EXPECT_NE(w.RichTextBox1.Text().find(kOrders + "DS7.PH"), std::string::npos)
      << w.RichTextBox1.Text();
  EXPECT_FALSE(w.EngineLoaded());
  // A journal that sorts by priority shows the held order, not the send.
  std::map<std::string, Priority> priority_of;
  for (size_t i = 0; i < t.status.lines.size(); ++i)
    priority_of[t.status.lines[i].substr(0, 30)] = t.status.priorities.at(i);
  EXPECT_EQ(priority_of.at("korv-delayed-send: sent DS5 as"), Priority::kInfo);
  EXPECT_EQ(priority_of.at("korv-delayed-send: Order DS8 s"), Priority::kError);

  // The order that cannot go is the station's state, told once.
  EXPECT_EQ(w.Tray.State, "attention");
  EXPECT_EQ(w.StateLine.Caption(), "3 pending; DS8 held");
  EXPECT_NE(w.Tray.TipText.find("\r3 pending; DS8 held\r"), std::string::npos) << w.Tray.TipText;
  EXPECT_NE(w.Tray.LastMessage.find("send date 13/45/2026"), std::string::npos)
      << w.Tray.LastMessage;
  t.clock.AdvanceMs(60000);
  w.Timer1_Timer();
  EXPECT_EQ(notified, 1);
  const SavedStationState saved = ParseStationState(t.Read(StationStatePath(t.station.LocalRoot)));
  EXPECT_EQ(saved.summary, "3 pending; DS8 held");
  EXPECT_EQ(saved.next_due, "DS6 12/26/2026 5:00 PM");

  // End asks while an order is due within the hour, and a No keeps it running.
  t.files.Kill(kOrders + "DS8.PH");
  WriteDelayedOrder(t.files, kRoot,
                    {"207-555-0107", " 0", "Di Ruiz", "DS9", "12/25/2026", "6:45 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  w.Timer1_Timer();
  t.boxes.answers = {BoxAnswer::kNo};
  w.SSCommand1.Press();
  ASSERT_EQ(t.boxes.shown.size(), 1u);
  EXPECT_NE(t.boxes.shown[0].text.find("order DS9, due 12/25/2026 6:45 PM"), std::string::npos)
      << t.boxes.shown[0].text;
  EXPECT_FALSE(w.EndRequested);
  w.SSCommand1.Press();
  EXPECT_TRUE(w.EndRequested) << "Yes ends it";
}

// An order due at 6:43 PM goes out at 6:43 PM and a second or two: the
// pass of each minute comes just after the minute turns, one pass a minute
// however long the first came after start-up.
TEST(DispatchPass, AnOrderDueThisMinuteGoesOutWithThatMinutesPass) {
  testing::TestStation t;
  t.WriteConfig();
  t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600 + 42 * 60 + 29});
  WriteDelayedOrder(t.files, kRoot,
                    {"207-555-0107", " 7", "Ann Lee", "DS5", "12/25/2026", "6:43 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  ASSERT_TRUE(w.Form_Load());
  std::vector<int> passes;  // the second of the day of each pass
  w.Timer1.Tick = [&, tick = w.Timer1.Tick] {
    passes.push_back(t.clock.Now().seconds);
    tick();
  };
  t.loop.RunFor(1000);
  EXPECT_TRUE(t.Exists(kOrders + "DS5.PH")) << "not yet due at the first pass";
  t.loop.RunFor(32000);  // to 6:43:02 PM
  EXPECT_FALSE(t.Exists(kOrders + "DS5.PH")) << "sent";
  EXPECT_FALSE(t.printed.empty());
  t.loop.RunFor(3 * 60000);
  const int at_643 = 18 * 3600 + 43 * 60;
  EXPECT_EQ(passes,
            (std::vector<int>{at_643 - 31, at_643 + 1, at_643 + 61, at_643 + 121, at_643 + 181}));
}

}  // namespace
}  // namespace korv
