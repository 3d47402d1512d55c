#include "qt/qt_loop.h"

#include <QCoreApplication>

namespace korv {

QtLoop::~QtLoop() {
  // Timers still added are detached, so they never call into a dead loop.
  for (auto& [timer, qtimer] : timers_) timer->on_interval_change = nullptr;
}

void QtLoop::DoEvents() { QCoreApplication::processEvents(); }

void QtLoop::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(
      &context_, [this, work = std::move(work)] { Guard(work); }, Qt::QueuedConnection);
}

void QtLoop::AddTimer(Timer& timer) {
  auto& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = std::make_unique<QTimer>();
    // A coarse timer may fire up to 5% early: a pass a minute would then
    // come before the minute it was armed for had turned.
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer.get(), &QTimer::timeout, [this, &timer] {
      if (timer.Tick) Guard(timer.Tick);
    });
  }
  timer.on_interval_change = [this, &timer] { Arm(timer); };
  Arm(timer);
}

void QtLoop::RemoveTimer(Timer& timer) {
  timer.on_interval_change = nullptr;
  auto found = timers_.find(&timer);
  if (found == timers_.end()) return;
  // A Tick may remove its own timer: the QTimer goes once its signal is done.
  found->second->stop();
  found->second.release()->deleteLater();
  timers_.erase(found);
}

void QtLoop::Arm(Timer& timer) {
  QTimer& qtimer = *timers_.at(&timer);
  if (timer.Interval() > 0) {
    qtimer.start(timer.Interval());
  } else {
    qtimer.stop();
  }
}

void QtLoop::Guard(const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    if (!failure_) failure_ = std::current_exception();
    QCoreApplication::exit(1);
  }
}

std::exception_ptr QtLoop::TakeFailure() { return std::exchange(failure_, nullptr); }

}  // namespace korv
