#include "platform/screen/headless_loop.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace korv {
namespace {

TEST(HeadlessLoopTest, TimersFireOnTheClockAndIntervalZeroStopsThem) {
  FakeClock clock;
  HeadlessLoop loop(clock);
  Timer dispatch, other;
  int ticks = 0, other_ticks = 0;
  // As the station's dispatch timer does: stop for the work, then re-arm.
  dispatch.Tick = [&] {
    ++ticks;
    dispatch.SetInterval(0);
    other.SetInterval(0);  // a tick may stop another timer that is also due
    dispatch.SetInterval(60000);
  };
  other.Tick = [&] { ++other_ticks; };
  loop.AddTimer(dispatch);
  loop.AddTimer(other);
  dispatch.SetInterval(500);
  other.SetInterval(500);
  clock.AdvanceMs(499);
  loop.DoEvents();
  EXPECT_EQ(ticks, 0);
  clock.AdvanceMs(1);
  loop.DoEvents();
  loop.DoEvents();
  EXPECT_EQ(ticks, 1) << "a timer fires once per interval";
  EXPECT_EQ(other_ticks, 0);
  EXPECT_EQ(loop.MsToNextTimer(), 60000) << "re-armed by its own tick";

  clock.AdvanceMs(600000);  // a loop held up for ten intervals
  loop.DoEvents();
  EXPECT_EQ(ticks, 2) << "a late timer fires once, without catching up";

  dispatch.SetInterval(0);
  EXPECT_EQ(loop.MsToNextTimer(), std::nullopt);
  dispatch.SetInterval(100);
  loop.RemoveTimer(dispatch);
  clock.AdvanceMs(600000);
  loop.DoEvents();
  EXPECT_EQ(ticks, 2) << "stopped or removed timers never fire";
}

TEST(HeadlessLoopTest, RunWaitsForTimersAndPostedWorkAndStopsWhenAsked) {
  FakeClock clock;
  HeadlessLoop loop(clock);
  Timer timer;
  std::vector<int64_t> tick_times;
  timer.Tick = [&] { tick_times.push_back(clock.MonotonicMs()); };
  loop.AddTimer(timer);
  timer.SetInterval(500);
  // Each round the test moves the clock a second on, so no real wait happens.
  loop.Run([&] {
    clock.AdvanceMs(1000);
    return tick_times.size() < 3;
  });
  EXPECT_EQ(tick_times, (std::vector<int64_t>{1000, 2000, 3000}));

  timer.SetInterval(0);
  std::vector<int> done;
  std::thread poster([&] {
    for (int i = 1; i <= 3; ++i) loop.Post([&done, i] { done.push_back(i); });
  });
  // No timer is armed: without the posts this would wait for ever.
  loop.Run([&] { return done.size() < 3; });
  poster.join();
  EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
}

TEST(HeadlessLoopTest, WorkThatThrowsLeavesTheRestQueued) {
  FakeClock clock;
  HeadlessLoop loop(clock);
  std::vector<std::string> done;
  loop.Post([] { throw std::runtime_error("broken"); });
  loop.Post([&] {
    done.push_back("b");
    loop.Post([&] { done.push_back("posted by b"); });
  });
  EXPECT_THROW(loop.DoEvents(), std::runtime_error);
  loop.DoEvents();
  EXPECT_EQ(done, std::vector<std::string>{"b"}) << "work posted by work waits a round";
  loop.DoEvents();
  EXPECT_EQ(done.back(), "posted by b");
}

}  // namespace
}  // namespace korv
