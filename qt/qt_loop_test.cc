#include "qt/qt_loop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <stdexcept>
#include <string>
#include <thread>

#include "qt/qt_test_app.h"

namespace korv {
namespace {

TEST(QtLoop, TimersFollowTheirIntervalAndPostedWorkRunsInOrder) {
  testing::TestApplication();
  QtLoop loop;
  Timer timer;
  int ticks = 0;
  // The Tick stops its own timer: it has the last word over the re-arming.
  timer.Tick = [&] {
    ++ticks;
    timer.SetInterval(0);
  };
  loop.AddTimer(timer);
  timer.SetInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
  QTest::qWait(20);
  EXPECT_EQ(ticks, 1);

  std::string order;
  std::thread other([&] { loop.Post([&] { order += "b"; }); });
  other.join();
  loop.Post([&] { order += "c"; });
  order += "a";
  loop.DoEvents();
  EXPECT_EQ(order, "abc");

  // A timer removed inside its own Tick is gone without harm.
  Timer once;
  once.Tick = [&] {
    ++ticks;
    loop.RemoveTimer(once);
  };
  loop.AddTimer(once);
  once.SetInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 2; }, 5000));
  once.SetInterval(1);  // no longer on the loop: nothing is armed
  QTest::qWait(20);
  EXPECT_EQ(ticks, 2);
  loop.RemoveTimer(timer);
}

TEST(QtLoop, AnExceptionFromATickEndsTheLoopAndIsHandedOn) {
  testing::TestApplication();
  QtLoop loop;
  Timer timer;
  timer.Tick = [&] {
    timer.SetInterval(0);
    throw std::runtime_error("disk gone");
  };
  loop.AddTimer(timer);
  timer.SetInterval(1);
  EXPECT_EQ(QApplication::exec(), 1);
  std::exception_ptr failure = loop.TakeFailure();
  ASSERT_TRUE(failure);
  EXPECT_THROW(std::rethrow_exception(failure), std::runtime_error);
  EXPECT_FALSE(loop.TakeFailure());
  loop.RemoveTimer(timer);
}

}  // namespace
}  // namespace korv
