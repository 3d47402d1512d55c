// SendTransaction: the send's entry points, and what is looked at before
// anything of a due order is turned over: the claim, the line file and the
// printers its tickets need.

#include "scheduler/send_transaction.h"

#include <algorithm>

#include "common/order_paths.h"
#include "common/steps.h"
#include "kitchen/needed_printers.h"
#include "platform/files/files_at_once.h"
#include "platform/print/printer_registry.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/orderfiles/line_file.h"

namespace korv {

SendTransaction::SendTransaction(Station& station, Platform& platform, OrderEngine& engine,
                                 SendReport& report)
    : station_(station),
      platform_(platform),
      engine_(engine),
      report_(report),
      claim_(platform.files) {}

bool SendTransaction::Send(const PendingOrder& order, int pending_count) {
  const std::string& id = order.id;
  station_.PioNumberText = id;
  station_.CustName = CustomerColumn(order);
  station_.SendDate = order.header.send_date;
  station_.SendTime = order.header.send_time;
  if (!TakeClaim(id, false)) {
    report_.LeaveAlone(id);  // being sent by another station, or not claimable
    return false;
  }
  // The header is claimed and read through the claim's open file while the
  // line file is read and the month's log looked at: on a share, one
  // order's reads wait their round trips at the same time. The line file is
  // judged only once the order is this station's.
  std::optional<FileRead> lines_read;
  std::vector<std::string> rows;
  std::string lines_problem;
  bool claimed = false, gone = false;
  SendStart start;
  start.time = platform_.clock.Now();
  start.log_path = DelayedSendLogPath(station_.DataRoot, start.time.date);
  FilesAtOnce(platform_.files,
              {[&](FileSystem&) { lines_problem = LinesProblem(id, &lines_read, &rows); },
               [&](FileSystem&) { claimed = ClaimAndReadHeader(id, &start); },
               [&](FileSystem& files) {
                 Steps::Skip()([&] { start.log_size = files.FileLen(start.log_path); });
               }});
  if (!claimed) {
    report_.LeaveAlone(id);  // sent or being sent by another station
  } else if (!lines_problem.empty()) {
    report_.Hold(id, "Order " + id + " stays pending: its line file " +
                         DelayedLinesPath(station_.DataRoot, id) + " " + lines_problem +
                         "; it is read again at the next pass");
  } else if (!PrintersMissing(id, rows)) {
    gone = SendClaimedOrder(id, lines_read, start, pending_count);
  }
  claim_.Release();
  return gone;
}

// At the end of a pass: the claim file is closed.
void SendTransaction::PassEnded() { claim_.Close(); }

// Never raises: a header gone or held by an earlier station is not claimed;
// one claimed that cannot be read is kept with why.
bool SendTransaction::ClaimAndReadHeader(const std::string& id, SendStart* start) {
  if (!claim_.TakeHeader(station_.DataRoot, id)) return false;
  try {
    start->header = ReadOpenHeader(claim_.files(), claim_.header(), &start->header_read);
  } catch (...) {
    start->header_failed = std::current_exception();
  }
  return true;
}

// A claim file this station cannot write leaves every order pending: sent
// without a claim, an order could go out from two stations.
// with_header: the header's own claim taken as well.
bool SendTransaction::TakeClaim(const std::string& id, bool with_header) {
  try {
    return with_header ? claim_.Take(station_.DataRoot, id)
                       : claim_.TakeSlot(station_.DataRoot, id);
  } catch (const RuntimeError& e) {
    report_.Hold(id, "Order " + id + " stays pending: it cannot be claimed in " +
                         ClaimFilePath(station_.DataRoot) + " (" + ExplainedError(e) + ")");
    return false;
  }
}

// Before anything of the order is turned over: an order whose line file is
// missing, cannot be read or holds no order line stays pending as it is (an
// order-entry station may be still writing it), and is read again at the
// next pass. Returns why (empty when the lines can be sent); lines_read and
// rows: the line file as read for the send.
std::string SendTransaction::LinesProblem(const std::string& id,
                                          std::optional<FileRead>* lines_read,
                                          std::vector<std::string>* rows) {
  try {
    *rows = ReadLineRows(platform_.files, DelayedLinesPath(station_.DataRoot, id), lines_read);
    const bool any = std::any_of(rows->begin(), rows->end(), [](const std::string& row) {
      return row.find('|') != std::string::npos;
    });
    if (!any) return rows->empty() ? "is empty" : "holds no order line";
  } catch (const std::exception& e) {
    const RuntimeError error = AsRuntimeError(e);
    return error.number() == kErrFileNotFound ? "does not exist"
                                              : "cannot be read (" + ExplainedError(error) + ")";
  }
  return {};
}

// Before anything of the order is turned over: an order whose tickets would
// reach no printer stays pending as it is (no phone-in number, nothing
// logged), and is tried again at every pass.
bool SendTransaction::PrintersMissing(const std::string& id, const std::vector<std::string>& rows) {
  const std::vector<NeededPrinter> missing =
      korv::PrintersMissing(platform_.printer, NeededPrinters(station_, platform_.files, rows));
  if (missing.empty()) return false;
  std::string tickets;
  for (const NeededPrinter& p : missing)
    tickets += (tickets.empty() ? "its " : ", its ") + p.ticket + " (printer \"" + p.name + "\")";
  report_.Hold(id, "Order " + id + " stays pending: no printer that can print is installed for " +
                       tickets + "; add one to " + kPrintersConf +
                       " (or a CUPS queue), or mend its line, and start the station again");
  return true;
}

}  // namespace korv
