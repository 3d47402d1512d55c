#pragma once
// A printer queue of a CUPS server (printers.conf "cups:QUEUE"): each job
// goes to the queue as one raw document (no filters: the bytes reach the
// printer as rendered). The printer has taken the job once the server has
// accepted the whole document; from then on the server's own spool keeps it.
//
// The server is libcups's usual one (CUPS_SERVER, client.conf, else the
// local server) unless one is given ("host:port", "host" or a socket path).
// Connecting is bounded by the connect timeout and every later wait for the
// server by the I/O timeout; a job the server created but did not receive
// whole is cancelled before the job is sent again.
//
// Unless told not to (printers.conf "status=off"), the queue's
// printer-state and printer-state-reasons are asked before each job: a
// queue that is stopped, or whose printer reports no paper, an open cover
// or offline, is sent nothing, so its tickets wait in the station's spool
// (where the station can see them and send them elsewhere) rather than in
// the server's. A job the server did not receive whole is never printed
// (it is cancelled), so a failed job is no repeat.
//
// Check asks the server whether the queue exists, is a raw queue (a driver
// would print the ESC/POS commands as text), runs and accepts jobs.

#include <chrono>
#include <string>
#include <vector>

#include "platform/print/printer_link.h"

namespace korv {

struct CupsTimeouts {
  std::chrono::milliseconds connect{3000};
  std::chrono::milliseconds io{10000};
};

class CupsLink : public PrinterLink {
 public:
  CupsLink(std::string queue, std::string server = {}, CupsTimeouts timeouts = {},
           bool ask_status = true)
      : queue_(std::move(queue)),
        server_(std::move(server)),
        timeouts_(timeouts),
        ask_status_(ask_status) {}
  void Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) override;
  std::string Check(std::chrono::milliseconds within) const override;
  PrinterCondition Ask(std::chrono::milliseconds within) const override;

 private:
  std::string queue_;
  std::string server_;
  CupsTimeouts timeouts_;
  bool ask_status_;
};

// The queues of the CUPS server, in the order it gives them (lpoptions
// instances left out). Empty when no server answers within `within`: the
// station then goes on with the printers of its printer file.
std::vector<std::string> ListCupsQueues(
    const std::string& server = {},
    std::chrono::milliseconds within = std::chrono::milliseconds(1500));

}  // namespace korv
