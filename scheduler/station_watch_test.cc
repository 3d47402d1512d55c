#include "scheduler/station_watch.h"

#include <gtest/gtest.h>

#include "scheduler/station_state_file.h"
#include "testing/test_station.h"

namespace korv {
namespace {

// A printer whose state the test sets.
struct HoldingPrinter : Destination {
  void Deliver(const Document&) override {}
  std::string Describe() const override { return "socket://10.0.0.5:9100"; }
  DestinationState State() const override { return state; }
  DestinationState state;
};

struct News : StationWatchListener {
  void ConditionBegan(const Condition& c) override { told.push_back("+" + c.key); }
  void ConditionEnded(const Condition& c) override { told.push_back("-" + c.key); }
  std::vector<std::string> told;
};

using Lines = std::vector<std::string>;

// Each condition is told when it begins and when it ends, never each pass;
// a halted send outranks the same order held; a printer's "since" is when
// it began holding.
TEST(StationWatch, ConditionsBeginAndEndOnceAndTheWorstNamesTheState) {
  testing::TestStation t;
  auto holding = std::make_unique<HoldingPrinter>();
  HoldingPrinter& kitchen = *holding;
  std::vector<InstalledPrinter> installed;
  installed.push_back({"KITCHEN1", std::move(holding)});
  PrintService printers(std::move(installed));
  DispatchPass pass(t.station, t.platform);
  StationWatch watch(pass, t.clock, printers);
  News news;
  watch.AddListener(&news);
  const DateTime start{Date{2026, 12, 25}, 18 * 3600};
  t.clock.Set(start);

  struct Pass {
    std::function<void()> events;
    Lines told;
    Health health;
    std::string summary;
  };
  const Pass passes[] = {
      {[&] { watch.OrderHeld("DS5", "Order DS5 stays pending: ..."); },
       {"+order DS5"},
       Health::kAttention,
       "0 pending; DS5 held"},
      {[&] { watch.OrderHeld("DS5", "Order DS5 stays pending: ..."); },
       {},
       Health::kAttention,
       "0 pending; DS5 held"},
      {[&] {
         watch.OrderHeld("DS5", "held");
         watch.SendHalted("DS5", "the copy failed");
       },
       {"-order DS5", "+send DS5"},
       Health::kFault,
       "0 pending; the send of DS5 stopped"},
      {[&] {
         kitchen.state = {3, "no paper"};
       },
       {"-send DS5", "+printer KITCHEN1"},
       Health::kAttention,
       "0 pending; KITCHEN1 holds 3 tickets (no paper)"},
      {[&] {
         kitchen.state = {4, "no paper"};
         watch.ShareDown("F:\\KORVAIN\\PhoneOrders\\ cannot be reached");
       },
       {"+share"},
       Health::kFault,
       "0 pending; the shared folder cannot be reached; KITCHEN1 holds 4 tickets (no paper)"},
      {[&] { kitchen.state = {}; }, {"-share", "-printer KITCHEN1"}, Health::kNormal, "0 pending"},
  };
  int n = 0;
  for (const Pass& p : passes) {
    SCOPED_TRACE("pass " + std::to_string(++n));
    news.told.clear();
    t.clock.AdvanceMs(60000);
    watch.PassBegan();
    p.events();
    watch.PassEnded();
    EXPECT_EQ(news.told, p.told);
    EXPECT_EQ(watch.State().health, p.health);
    EXPECT_EQ(watch.State().summary, p.summary);
    if (n == 5) {
      ASSERT_TRUE(watch.State().printers.at(0).since);
      EXPECT_EQ(watch.State().printers[0].since->seconds, start.seconds + 4 * 60)
          << "held since the pass that first found it holding";
    }
  }
}

// What the station writes, the tool reads back: the free text may hold "|".
TEST(StationWatch, TheStateFileReadsBackAsWritten) {
  StationState s;
  s.health = Health::kFault;
  s.summary = "2 pending; the send of DS5 stopped";
  s.pass_ended = DateTime{Date{2026, 12, 25}, 18 * 3600 + 5};
  s.pending = 2;
  s.next_due = "DS9 12/25/2026 6:31 PM";
  s.conditions = {{"send DS5", Health::kFault, "the send of DS5 stopped", "a | in the reason"}};
  s.printers = {{"KITCHEN1", "cups:KITCHEN1", 3, "no paper | cover open", s.pass_ended}};
  const SavedStationState back = ParseStationState(StationStateText(s));
  EXPECT_EQ(back.health, "fault");
  EXPECT_EQ(back.summary, s.summary);
  EXPECT_EQ(back.pass_ended, "12/25/2026 6:00:05 PM");
  EXPECT_EQ(back.pending, 2);
  EXPECT_EQ(back.next_due, s.next_due);
  ASSERT_EQ(back.conditions.size(), 1u);
  EXPECT_EQ(back.conditions[0].key, "send DS5");
  EXPECT_EQ(back.conditions[0].detail, "a | in the reason");
  ASSERT_EQ(back.printers.size(), 1u);
  EXPECT_EQ(back.printers[0].held, 3);
  EXPECT_EQ(back.printers[0].problem, "no paper | cover open");
}

}  // namespace
}  // namespace korv
