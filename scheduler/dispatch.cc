// Timer1_Timer, the dispatch pass: counts the pending delayed orders,
// rebuilds the list when needed, and sends every order that has fallen due,
// one after the other, starting again from the top after each send.

#include <algorithm>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "kitchen/needed_printers.h"
#include "platform/print/printer_registry.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/line_file.h"

namespace korv {

void KORVdelayedSend1::Timer1_Timer() {
  if (station_.ScreenMode == kScreenViewOpen) return;
  // The paths the pass resolves are kept for it: on a share every look at a
  // name is a round trip, and each send resolves the same few dozen.
  FilePass files_pass(platform_.files);
  passed_by_.clear();
  pass_halted_ = false;
  if (!config_problem_.empty()) ReadStationConfig();
  if (config_problem_.empty()) SendDueOrders();
  KeepWithinRetention();
  EndOfPass();
}

// The pass proper: the sends a crash interrupted first, then from the top
// again after each send, until nothing more is due.
void KORVdelayedSend1::SendDueOrders() {
  Timer1.SetInterval(0);
  RecoverSends();
  for (bool first_of_tick = true;; first_of_tick = false) {
    Timer1.SetInterval(0);
    try {
      if (TopOfPass(first_of_tick) == 0) break;
    } catch (const std::exception& e) {
      // The folder vanished or a file is locked: say so, and make the next
      // tick rebuild the list rather than trust the one left half made.
      ReportError("The pending orders in " + PhoneOrdersFolder(station_.DataRoot) +
                  " could not be read: " + ExplainedError(AsRuntimeError(e)));
      station_.LastPendingCount = -1;
      break;
    }
    const PendingOrder* due = FindDueOrder();
    // The pass lets window events run, so the operator may have opened a view
    // meanwhile: then no further order goes out under the operator's eyes.
    // Nor once the station is asked to end.
    if (!due || station_.ScreenMode == kScreenViewOpen || Ending() || pass_halted_ ||
        !SendOrder(PendingOrder(*due)))
      break;
  }
}

// Steps 3 to 8: returns the count of delayed header files. The first pass
// of a tick looks at every listed header (one stat each) and reads again
// those that may have changed since they were read, and every sixth tick
// reads them all, whatever came and went meanwhile. The passes that follow a
// send in the same tick take the folder's listing only: the send changed its
// own order's files and nothing else.
int KORVdelayedSend1::TopOfPass(bool first_of_tick) {
  // The folder is listed before the stale phone order 0 goes (whose names
  // the listing's pattern never takes), so that the names are looked up in
  // what the listing read rather than in a second reading of the folder.
  File1.Refresh();
  for (const std::string& stale :
       {PhoneOrderLinesPath(station_.DataRoot, 0), PhoneOrderHeaderPath(station_.DataRoot, 0)}) {
    if (platform_.files.Exists(stale)) platform_.files.Kill(stale);
  }
  const int count = File1.ListCount();
  ShowPendingCount(count);
  SetTipText(count);
  platform_.loop.DoEvents();
  MList1.SetCaption("Pending Orders to Send - Current Time " +
                    FormatHHMMAmPm(platform_.clock.Now().seconds));
  if (count == 0) {
    RefreshList();  // drops the rows of the orders gone, the one just sent among them
    return 0;
  }

  if (first_of_tick) {
    ++station_.TickCount;
    Label6.SetCaption(PlainNumber(station_.TickCount));
  }
  // A negative count left by a failed pass asks for the whole list too.
  if (first_of_tick && (station_.TickCount > 5 || station_.LastPendingCount < 0)) {
    station_.TickCount = 0;
    UpdateList();
  } else {
    RefreshList(first_of_tick);
  }
  station_.LastPendingCount = static_cast<int>(pending_.size());
  ShowPendingCount(File1.ListCount());
  return count;
}

const PendingOrder* KORVdelayedSend1::FindDueOrder() {
  for (const PendingOrder& order : pending_)
    if (IsDue(order)) return &order;
  return nullptr;
}

bool KORVdelayedSend1::IsDue(const PendingOrder& order) {
  const std::string& id = order.id;
  if (passed_by_.count(id)) return false;
  if (!IsSafeOrderId(id)) {
    ReportError("Order id \"" + id + "\" cannot name an order file; the order is left in " +
                PhoneOrdersFolder(station_.DataRoot));
    return false;
  }
  const DateTime now = platform_.clock.Now();
  const std::string unreadable = UnreadableSendMoment(order);
  if (!unreadable.empty()) {
    // Never guessed: the order waits until its header is mended. Said here
    // only: the shared log holds what the stations' log viewers know.
    ReportError("Order " + id + " stays pending: the " + unreadable + " cannot be read in " +
                DelayedHeaderPath(station_.DataRoot, id));
    return false;
  }
  return IsDueAt(order, now);
}

// Sends the due order when this station can claim it. False ends the pass.
bool KORVdelayedSend1::SendOrder(const PendingOrder& order) {
  const std::string& id = order.id;
  station_.PioNumberText = id;
  station_.CustName = CustomerColumn(order);
  station_.SendDate = order.header.send_date;
  station_.SendTime = order.header.send_time;
  station_.CustRecNo = std::max(
      1, CustomerRecordNumber(platform_.files, station_.DataRoot, order.header.customer_number));
  if (!TakeClaim(id)) {
    passed_by_.insert(id);  // sent or being sent by another station, or not claimable
    return true;
  }
  std::optional<FileRead> lines_read;
  std::vector<std::string> rows;
  if (LinesMissing(id, &lines_read, &rows) || PrintersMissing(id, rows))
    passed_by_.insert(id);
  else
    SendClaimedOrder(id, lines_read);
  claim_.Release();
  return true;
}

// A claim file this station cannot write leaves every order pending: sent
// without a claim, an order could go out from two stations.
bool KORVdelayedSend1::TakeClaim(const std::string& id) {
  try {
    return claim_.Take(station_.DataRoot, id);
  } catch (const RuntimeError& e) {
    ReportError("Order " + id + " stays pending: it cannot be claimed in " +
                ClaimFilePath(station_.DataRoot) + " (" + ExplainedError(e) + ")");
    return false;
  }
}

// Before anything of the order is turned over: an order whose line file is
// missing, cannot be read or holds no order line stays pending as it is (an
// order-entry station may be still writing it), said, and is read again at
// the next pass. lines_read and rows: the line file as read for the send.
bool KORVdelayedSend1::LinesMissing(const std::string& id, std::optional<FileRead>* lines_read,
                                    std::vector<std::string>* rows) {
  const std::string path = DelayedLinesPath(station_.DataRoot, id);
  std::string why;
  try {
    *rows = ReadLineRows(platform_.files, path, lines_read);
    const bool any = std::any_of(rows->begin(), rows->end(), [](const std::string& row) {
      return row.find('|') != std::string::npos;
    });
    if (!any) why = rows->empty() ? "is empty" : "holds no order line";
  } catch (const std::exception& e) {
    const RuntimeError error = AsRuntimeError(e);
    why = error.number() == kErrFileNotFound ? "does not exist"
                                             : "cannot be read (" + ExplainedError(error) + ")";
  }
  if (why.empty()) return false;
  ReportError("Order " + id + " stays pending: its line file " + path + " " + why +
              "; it is read again at the next pass");
  return true;
}

// Before anything of the order is turned over: an order whose tickets would
// reach no printer stays pending as it is (no phone-in number, nothing
// logged), and is tried again at every pass.
bool KORVdelayedSend1::PrintersMissing(const std::string& id,
                                       const std::vector<std::string>& rows) {
  const std::vector<NeededPrinter> missing =
      korv::PrintersMissing(platform_.printer, NeededPrinters(station_, platform_.files, rows));
  if (missing.empty()) return false;
  std::string tickets;
  for (const NeededPrinter& p : missing)
    tickets += (tickets.empty() ? "its " : ", its ") + p.ticket + " (printer \"" + p.name + "\")";
  ReportError("Order " + id + " stays pending: no printer that can print is installed for " +
              tickets + "; add one to " + kPrintersConf +
              " (or a CUPS queue), or mend its line, and start the station again");
  return true;
}

void KORVdelayedSend1::EndOfPass() {
  // A printer that holds tickets back (off, out of paper, unreachable) is
  // said in the error text, once for each state it is in.
  for (const std::string& warning : platform_.printer.HeldBackWarnings()) ReportError(warning);
  // A view opened during the pass keeps the timer stopped; its Done re-arms it.
  Timer1.SetInterval(station_.ScreenMode == kScreenViewOpen ? 0 : kPassIntervalMs);
  Label7.SetCaption("");
  SetTipText(File1.ListCount());
}

void KORVdelayedSend1::SetTipText(int count) {
  const std::string cr = "\r";
  Tray.SetTip("Korvain Kitchen Orders " + cr + "DELAYED SEND " + cr + "Pending - " +
              std::to_string(count) + cr + "Current Time " +
              FormatHHMMAmPm(platform_.clock.Now().seconds) + cr + std::string(1, '\0'));
}

void KORVdelayedSend1::ReportError(const std::string& message, bool once) {
  const std::string said = Printable(message);  // it may quote a damaged file
  if (once && !reported_.insert(said).second) return;
  SSCommand4.SetVisible(true);
  RichTextBox1.SetText(RichTextBox1.Text() + "\r" + said);
  platform_.status.Say("korv-delayed-send: " + said);
}

}  // namespace korv
