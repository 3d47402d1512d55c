#include "testing/fakes.h"

#include <algorithm>

#include "common/runtime_error.h"

namespace korv::testing {

void TestLoop::DoEvents() {
  ++do_events_calls;
  while (!posted_.empty()) {
    auto work = std::move(posted_.front());
    posted_.pop_front();
    work();
  }
}

void TestLoop::Arm(Timer& timer) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Armed& a) { return a.timer == &timer; }),
                timers_.end());
  if (timer.Interval() > 0) timers_.push_back({&timer, clock_.MonotonicMs() + timer.Interval()});
}

void TestLoop::AddTimer(Timer& timer) {
  timer.on_interval_change = [this, &timer] { Arm(timer); };
  Arm(timer);
}

void TestLoop::RemoveTimer(Timer& timer) {
  timer.on_interval_change = nullptr;
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Armed& a) { return a.timer == &timer; }),
                timers_.end());
}

void TestLoop::RunFor(int64_t ms) {
  int64_t end = clock_.MonotonicMs() + ms;
  for (;;) {
    DoEvents();
    auto next = std::min_element(timers_.begin(), timers_.end(),
                                 [](const Armed& a, const Armed& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > end) break;
    clock_.AdvanceMs(next->due - clock_.MonotonicMs());
    Timer* t = next->timer;
    next->due = clock_.MonotonicMs() + t->Interval();  // a timer re-arms itself
    if (t->Tick) t->Tick();
  }
  if (clock_.MonotonicMs() < end) clock_.AdvanceMs(end - clock_.MonotonicMs());
}

BoxAnswer ScriptedBoxes::Show(const std::string& text, const std::string& title, BoxIcon icon,
                              BoxButtons buttons) {
  shown.push_back({text, title, icon, buttons});
  if (on_show) on_show();
  if (!answers.empty()) {
    BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == BoxButtons::kYesNo ? BoxAnswer::kYes : BoxAnswer::kOk;
}

void RecordingDestination::Deliver(const Document& doc) {
  if (fail_with != 0) throw RuntimeError(fail_with);
  sink_->push_back(doc);
}

LedgerEntry MemoryLedger::Entry(int document) const {
  auto it = entries.find(document);
  return it == entries.end() ? LedgerEntry{} : it->second;
}

void MemoryLedger::Begin(int document, const std::string& printer, int64_t ref) {
  entries[document] = LedgerEntry{true, printer, ref, false, false};
}

void MemoryLedger::Done(int document, bool delivered) {
  entries[document].done = true;
  entries[document].delivered = delivered;
}

std::vector<InstalledPrinter> RecordingPrinters(const std::vector<std::string>& names,
                                                std::vector<Document>* sink) {
  std::vector<InstalledPrinter> out;
  for (const std::string& n : names)
    out.push_back(InstalledPrinter{n, std::make_unique<RecordingDestination>(sink), false});
  return out;
}

}  // namespace korv::testing
