#pragma once
// One way of handing a rendered job to a ticket printer: a TCP port, a device
// file or a CUPS queue. The sender of a spooled printer calls it from its own
// thread; nothing else does.

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "platform/print/printer_condition.h"

namespace korv {

// What one attempt at a job learned of the printer.
struct LinkAttempt {
  PrinterCondition before = PrinterCondition::kUnknown;  // asked before the job
  PrinterCondition after = PrinterCondition::kUnknown;   // asked after its last byte
  // Bytes of the job may have reached the printer: a failure after this
  // leaves a ticket the printer may have printed, in part or whole.
  bool reached = false;
};

class PrinterLink {
 public:
  virtual ~PrinterLink() = default;
  // Hands the whole job over and returns once the printer has taken it.
  // Raises RuntimeError 482 with the reason when it has not (off, out of
  // paper, unreachable, too slow): the job must then be sent again. A link
  // that asks the printer's condition sends nothing to a printer that
  // reports it cannot print (HoldsTickets). Every wait is bounded by the
  // link's timeouts, and the call gives up within a fraction of a second
  // once `stop` is set. `attempt` receives what was learned, also when it
  // raises.
  virtual void Send(std::string_view bytes, const std::atomic<bool>& stop,
                    LinkAttempt& attempt) = 0;
  // Whether the printer could take a job now, found without sending one and
  // within about `within`: empty when it could, else why not.
  virtual std::string Check(std::chrono::milliseconds within) const = 0;
  // The printer's condition, asked within about `within`; kUnknown when the
  // link does not ask (status=off, a plain file) or gets no answer.
  virtual PrinterCondition Ask(std::chrono::milliseconds /*within*/) const {
    return PrinterCondition::kUnknown;
  }
};

// The end of a bounded wait, and polling for it in short slices so that a
// stop request is seen quickly.
class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds within)
      : end_(std::chrono::steady_clock::now() + within) {}
  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }
  // Milliseconds left, at most `slice`; 0 when passed.
  int SliceMs(int slice = 100) const;

 private:
  std::chrono::steady_clock::time_point end_;
};

enum class WaitResult { kReady, kTimedOut, kStopped };

// Waits until fd shows one of `events` (poll), the deadline passes or stop is
// set. `revents` receives what poll saw.
WaitResult WaitForFd(int fd, short events, const Deadline& deadline, const std::atomic<bool>& stop,
                     short* revents = nullptr);

// Sends the status query on fd (a socket when `socket`, else a device) and
// reads the answers until the deadline; kUnknown without all of them.
PrinterCondition AskStatus(int fd, bool socket, const Deadline& deadline,
                           const std::atomic<bool>& stop);

// Error 482 with "printer not available: " and the reason.
[[noreturn]] void RaisePrinterProblem(const std::string& reason);

}  // namespace korv
