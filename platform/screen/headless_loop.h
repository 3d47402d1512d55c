#pragma once
// The event loop of a station without a screen: the windows' timers and the
// work other threads post, run on the thread that calls DoEvents or Run.
//
// Timers run on Clock::MonotonicMs. Setting an interval (re)arms the timer
// for that many ms from now; 0 stops it. A timer that fires is re-armed for
// one interval from the moment it fires before its Tick runs, so a Tick that
// stops or re-arms its own timer has the last word, and a late loop fires a
// timer once rather than catching up on every missed interval.
//
// A timer must be removed (RemoveTimer) before it is destroyed; timers still
// added when the loop is destroyed are detached from it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/screen/services.h"

namespace korv {

class HeadlessLoop : public EventLoop {
 public:
  explicit HeadlessLoop(const Clock& clock) : clock_(clock) {}
  ~HeadlessLoop() override;
  HeadlessLoop(const HeadlessLoop&) = delete;
  HeadlessLoop& operator=(const HeadlessLoop&) = delete;

  // Runs the work posted before the call, in posting order, then every timer
  // due now. Work posted meanwhile waits for the next call. An exception from
  // a Tick or a piece of work reaches the caller; what was not run yet stays
  // queued or armed.
  void DoEvents() override;
  void Post(std::function<void()> work) override;
  void AddTimer(Timer& timer) override;
  void RemoveTimer(Timer& timer) override;

  // Runs events until keep_going() answers false. keep_going() is asked after
  // each round of events and before each wait; the wait lasts until the next
  // timer is due or work is posted, with no timer armed until work is posted.
  // A test on a fake clock advances the clock inside keep_going(), so that
  // the timers it expects are due and no real waiting happens.
  void Run(const std::function<bool()>& keep_going);

  // Ms until the earliest armed timer is due (0 when overdue); nullopt when
  // no timer is armed.
  std::optional<int64_t> MsToNextTimer() const;

 private:
  struct Armed {
    Timer* timer;
    int64_t due;  // on the monotonic clock; only meaningful while interval > 0
  };
  Armed* Find(const Timer* timer);
  void Arm(Timer& timer);
  bool RunPostedWork();
  void FireDueTimers();
  void WaitForEvents();

  const Clock& clock_;
  std::vector<Armed> timers_;  // the loop thread's own; no lock

  std::mutex mu_;
  std::condition_variable posted_cv_;
  std::deque<std::function<void()>> posted_;  // guarded by mu_
};

}  // namespace korv
