#include "platform/print/printer_link.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "common/runtime_error.h"

namespace korv {

int Deadline::SliceMs(int slice) const {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      end_ - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, slice));
}

WaitResult WaitForFd(int fd, short events, const Deadline& deadline, const std::atomic<bool>& stop,
                     short* revents) {
  while (true) {
    if (stop) return WaitResult::kStopped;
    if (deadline.Passed()) return WaitResult::kTimedOut;
    pollfd p{fd, events, 0};
    int n = poll(&p, 1, std::max(1, deadline.SliceMs()));
    if (n < 0 && errno != EINTR) return WaitResult::kReady;  // the next call reports why
    if (n > 0) {
      if (revents) *revents = p.revents;
      return WaitResult::kReady;
    }
  }
}

void RaisePrinterProblem(const std::string& reason) {
  throw RuntimeError(kErrPrinter, "printer not available: " + reason);
}

}  // namespace korv
