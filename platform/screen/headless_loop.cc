#include "platform/screen/headless_loop.h"

#include <algorithm>
#include <chrono>

namespace korv {

HeadlessLoop::~HeadlessLoop() {
  for (Armed& a : timers_) a.timer->on_interval_change = nullptr;
}

HeadlessLoop::Armed* HeadlessLoop::Find(const Timer* timer) {
  auto it = std::find_if(timers_.begin(), timers_.end(),
                         [&](const Armed& a) { return a.timer == timer; });
  return it == timers_.end() ? nullptr : &*it;
}

void HeadlessLoop::Arm(Timer& timer) {
  if (Armed* a = Find(&timer)) a->due = clock_.MonotonicMs() + timer.Interval();
}

void HeadlessLoop::AddTimer(Timer& timer) {
  if (!Find(&timer)) timers_.push_back({&timer, 0});
  timer.on_interval_change = [this, &timer] { Arm(timer); };
  Arm(timer);
}

void HeadlessLoop::RemoveTimer(Timer& timer) {
  timer.on_interval_change = nullptr;
  std::erase_if(timers_, [&](const Armed& a) { return a.timer == &timer; });
}

void HeadlessLoop::Post(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    posted_.push_back(std::move(work));
  }
  posted_cv_.notify_one();
}

bool HeadlessLoop::RunPostedWork() {
  size_t count;
  {
    std::lock_guard<std::mutex> lock(mu_);
    count = posted_.size();
  }
  // One at a time, so work that throws leaves the rest queued.
  for (size_t i = 0; i < count; ++i) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> lock(mu_);
      work = std::move(posted_.front());
      posted_.pop_front();
    }
    if (work) work();
  }
  return count > 0;
}

void HeadlessLoop::FireDueTimers() {
  const int64_t now = clock_.MonotonicMs();
  std::vector<Armed> due;
  for (const Armed& a : timers_)
    if (a.timer->Interval() > 0 && a.due <= now) due.push_back(a);
  std::sort(due.begin(), due.end(), [](const Armed& x, const Armed& y) { return x.due < y.due; });
  for (const Armed& d : due) {
    // An earlier Tick may have stopped, re-armed or removed this timer.
    Armed* a = Find(d.timer);
    if (!a || a->timer->Interval() <= 0 || a->due > now) continue;
    a->due = clock_.MonotonicMs() + a->timer->Interval();
    if (d.timer->Tick) d.timer->Tick();
  }
}

void HeadlessLoop::DoEvents() {
  RunPostedWork();
  FireDueTimers();
}

std::optional<int64_t> HeadlessLoop::MsToNextTimer() const {
  std::optional<int64_t> next;
  for (const Armed& a : timers_)
    if (a.timer->Interval() > 0 && (!next || a.due < *next)) next = a.due;
  if (!next) return std::nullopt;
  return std::max<int64_t>(0, *next - clock_.MonotonicMs());
}

void HeadlessLoop::WaitForEvents() {
  std::optional<int64_t> ms = MsToNextTimer();
  std::unique_lock<std::mutex> lock(mu_);
  auto posted = [this] { return !posted_.empty(); };
  if (!ms) {
    posted_cv_.wait(lock, posted);
  } else if (*ms > 0) {
    posted_cv_.wait_for(lock, std::chrono::milliseconds(*ms), posted);
  }
}

void HeadlessLoop::Run(const std::function<bool()>& keep_going) {
  for (;;) {
    DoEvents();
    if (!keep_going()) return;
    WaitForEvents();
  }
}

}  // namespace korv
