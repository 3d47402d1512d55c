#pragma once
// ServiceNotifier: tells systemd how the station is, when systemd runs it as
// a notify service ($NOTIFY_SOCKET set; without it nothing is sent and
// nothing is said). It observes the dispatch pass:
//   READY=1     start-up is over: the sends a crash interrupted are finished
//               and the printers send (systemctl start returns then)
//   STATUS=     after each pass, one line: the summary (systemctl status)
//   WATCHDOG=1  after each pass that ended, and after each order sent (a
//               pass that sends many orders is at work, not stuck), when
//               systemd watches this process ($WATCHDOG_USEC, for
//               $WATCHDOG_PID when set): a station stuck in a pass, on a share
//               mount that no longer answers, stops saying it and systemd
//               restarts it. A pass that an error cut short says nothing, so a
//               station that fails every pass is restarted too.
//   STOPPING=1  the station is ending
// Nothing here waits for systemd. A message that cannot be sent is said once
// on the status lines; the station runs on.

#include <functional>
#include <string>

#include "platform/screen/services.h"
#include "scheduler/dispatch_pass.h"

namespace korv {

class ServiceNotifier : public PassObserver {
 public:
  ServiceNotifier(StatusLines& status, std::function<std::string()> summary);

  // READY=1. A watchdog period that a minute's wait and a pass cannot fit in
  // is said as a warning: systemd would restart a healthy station.
  void Ready();
  void Stopping() { Notify("STOPPING=1"); }
  void PassEnded() override;
  void OrderSent(const std::string& id, int phone_order) override;

 private:
  void Notify(const std::string& state);

  StatusLines& status_;
  std::function<std::string()> summary_;
  bool failure_said_ = false;
};

}  // namespace korv
