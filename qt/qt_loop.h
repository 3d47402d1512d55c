#pragma once
// The event loop of the station with a window: Qt's own. Needs a
// QCoreApplication (or QApplication) made before it, on the thread that runs
// the windows.
//
// Each added Timer is backed by a QTimer: setting an interval (re)starts it
// for that many ms from now, 0 stops it. Qt re-arms a repeating timer before
// its Tick runs and never runs a Tick inside itself, so a Tick that stops or
// re-arms its own timer has the last word, as on the headless loop.
//
// Qt cannot carry an exception through its loop. Ticks, posted work and every
// Guard()ed piece of work (the binding's clicks) run under a guard: the first
// exception that escapes one is kept and the application is asked to quit
// (QCoreApplication::exit(1)); whoever runs exec() takes it with
// TakeFailure() and lets it go on from there.

#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>
#include <map>
#include <memory>

#include "platform/screen/services.h"

namespace korv {

class QtLoop : public EventLoop {
 public:
  QtLoop() = default;
  ~QtLoop() override;
  QtLoop(const QtLoop&) = delete;
  QtLoop& operator=(const QtLoop&) = delete;

  // QCoreApplication::processEvents(): queued events, due timers, repaints.
  void DoEvents() override;
  // Queued onto the loop's thread; runs in posting order.
  void Post(std::function<void()> work) override;
  void AddTimer(Timer& timer) override;
  void RemoveTimer(Timer& timer) override;

  // Runs work; an exception is kept (the first one) and ends the loop.
  void Guard(const std::function<void()>& work);
  // The exception that ended the loop, if any; cleared by the call.
  std::exception_ptr TakeFailure();

 private:
  void Arm(Timer& timer);

  QObject context_;  // receiver of posted work, so it dies with the loop
  std::map<Timer*, std::unique_ptr<QTimer>> timers_;
  std::exception_ptr failure_;
};

}  // namespace korv
