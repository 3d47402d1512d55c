#include "app/service_notifier.h"

#include <systemd/sd-daemon.h>

#include <cstdint>
#include <cstring>

#include "common/val.h"
#include "platform/screen/stderr_boxes.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {
namespace {

// Between two passes' ends lie the pass interval and the second pass; a
// pass that takes more than a minute is already one on a slow share.
constexpr uint64_t kLeastWatchdogUsec = (KORVdelayedSend1::kPassIntervalMs + 60000) * 1000ULL;

// systemd's watchdog on this process, in microseconds; 0 when none.
uint64_t WatchdogUsec() {
  uint64_t usec = 0;
  return sd_watchdog_enabled(0, &usec) > 0 ? usec : 0;
}

}  // namespace

ServiceNotifier::ServiceNotifier(StatusLines& status, std::function<std::string()> summary)
    : status_(status), summary_(std::move(summary)) {}

void ServiceNotifier::Ready() {
  Notify("READY=1");
  const uint64_t usec = WatchdogUsec();
  if (usec != 0 && usec < kLeastWatchdogUsec)
    status_.Say("korv-delayed-send: the service's watchdog period (WatchdogSec=" +
                    std::to_string(usec / 1000000) +
                    "s) is shorter than the minute between passes and a minute for a pass (" +
                    std::to_string(kLeastWatchdogUsec / 1000000) +
                    "s): systemd would restart a station that works",
                Priority::kWarning);
}

void ServiceNotifier::PassEnded() {
  // The summary may quote a file's text: one line, no control bytes, or
  // systemd would read the rest as further assignments.
  std::string state = "STATUS=" + Printable(OneLine(summary_()));
  if (WatchdogUsec() != 0) state += "\nWATCHDOG=1";
  Notify(state);
}

void ServiceNotifier::OrderSent(const std::string&, int) {
  if (WatchdogUsec() != 0) Notify("WATCHDOG=1");
}

void ServiceNotifier::Notify(const std::string& state) {
  const int result = sd_notify(0, state.c_str());
  if (result >= 0 || failure_said_) return;
  failure_said_ = true;
  status_.Say("korv-delayed-send: systemd cannot be told how the station is (" +
                  state.substr(0, state.find('=')) + "): " + std::strerror(-result),
              Priority::kError);
}

}  // namespace korv
