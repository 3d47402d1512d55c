// SendTransaction: the send's entry points, and what is looked at before
// anything of a due order is turned over: the claim, the line file and the
// printers its tickets need.

#include "scheduler/send_transaction.h"

#include <algorithm>
#include <system_error>
#include <utility>

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
      claim_(std::make_unique<OrderClaim>(platform.files)),
      next_claim_(std::make_unique<OrderClaim>(platform.files)) {}

bool SendTransaction::Send(const PendingOrder& order, int pending_count,
                           const NextDueFinder& next_due) {
  const std::string& id = order.id;
  station_.PioNumberText = id;
  station_.CustName = CustomerColumn(order);
  station_.SendDate = order.header.send_date;
  station_.SendTime = order.header.send_time;
  std::optional<ClaimedOrder> claimed = TakeClaimedAhead(order);
  if (!claimed) {
    if (!TakeClaim(id, false)) {
      report_.LeaveAlone(id);  // being sent by another station, or not claimable
      return false;
    }
    claimed = ReadClaimed(*claim_, platform_.files, order, StartNow());
  }
  bool gone = false;
  if (!claimed->header_claimed) {
    report_.LeaveAlone(id);  // sent or being sent by another station
  } else if (!claimed->lines_problem.empty()) {
    report_.Hold(id, "Order " + id + " stays pending: its line file " +
                         DelayedLinesPath(station_.DataRoot, id) + " " + claimed->lines_problem +
                         "; it is read again at the next pass");
  } else if (!PrintersMissing(id, claimed->rows)) {
    next_due_ = next_due;
    struct Asked {
      NextDueFinder& finder;
      ~Asked() { finder = nullptr; }
    } asked{next_due_};
    gone = SendClaimedOrder(id, claimed->lines_read, claimed->start, pending_count);
  }
  claim_->Release();
  return gone;
}

// At the end of a pass: the claim file is closed, and an order claimed ahead
// let go.
void SendTransaction::PassEnded() {
  DropAhead();
  claim_->Close();
  next_claim_->Close();
}

SendStart SendTransaction::StartNow() const {
  SendStart start;
  start.time = platform_.clock.Now();
  start.log_path = DelayedSendLogPath(station_.DataRoot, start.time.date);
  return start;
}

// The header is claimed and read through the claim's open file while the
// line file is read and the month's log looked at: on a share, one order's
// reads wait their round trips at the same time. The line file is judged
// only once the order is this station's. The order's slot is claimed.
SendTransaction::ClaimedOrder SendTransaction::ReadClaimed(OrderClaim& claim, FileSystem& files,
                                                           const PendingOrder& order,
                                                           SendStart start) {
  ClaimedOrder c;
  c.file_name = order.file_name;
  c.id = order.id;
  c.start = std::move(start);
  FilesAtOnce(
      files,
      {[&](FileSystem& f) { c.lines_problem = LinesProblem(f, c.id, &c.lines_read, &c.rows); },
       [&](FileSystem&) { c.header_claimed = ClaimAndReadHeader(claim, c.id, &c.start); },
       [&](FileSystem& f) {
         Steps::Skip()([&] { c.start.log_size = f.FileLen(c.start.log_path); });
       }});
  return c;
}

// Never raises: a header gone or held by an earlier station is not claimed;
// one claimed that cannot be read is kept with why.
bool SendTransaction::ClaimAndReadHeader(OrderClaim& claim, const std::string& id,
                                         SendStart* start) {
  if (!claim.TakeHeader(station_.DataRoot, id)) return false;
  try {
    start->header = ReadOpenHeader(claim.files(), claim.header(), &start->header_read);
  } catch (...) {
    start->header_failed = std::current_exception();
  }
  return true;
}

// Once the order under way has gone from the folder, the order the pass
// would send next is claimed and read on a thread of its own while this
// one's tickets, phone order and log entry are written: on a share, its
// send then begins without waiting for any of it. It is only claimed and
// read: nothing of it is turned over before its own send, which finds the
// order's files as they were read, as it would a moment later. What the
// claim ahead meets is left for that send, which claims again and says it.
void SendTransaction::ClaimNextAhead() {
  if (!next_due_ || platform_.files.Pass() == 0) return;
  std::optional<NextDue> next = next_due_();
  if (!next) return;
  DropAhead();
  ahead_pass_ = platform_.files.Pass();
  // Made here: the station's file layer is the send's own meanwhile.
  auto files = std::make_unique<FileSystem>(FileSystem::SameStation{}, platform_.files);
  try {
    claiming_ahead_ = std::async(std::launch::async,
                                 [this, next = std::move(*next), files = std::move(files),
                                  start = StartNow()] { return ClaimAhead(next, *files, start); });
  } catch (const std::system_error&) {
    // No thread to be had: the order is claimed when its send comes.
  }
}

std::optional<SendTransaction::ClaimedOrder> SendTransaction::ClaimAhead(const NextDue& next,
                                                                         FileSystem& files,
                                                                         const SendStart& start) {
  try {
    if (next.holds(files) && next_claim_->TakeSlot(station_.DataRoot, next.order.id)) {
      ClaimedOrder c = ReadClaimed(*next_claim_, files, next.order, start);
      if (c.header_claimed) return c;
    }
  } catch (const std::exception&) {
  }
  next_claim_->Release();
  return std::nullopt;
}

// The order claimed ahead, when it is the one now sent and was claimed in
// this pass; any other is let go.
std::optional<SendTransaction::ClaimedOrder> SendTransaction::TakeClaimedAhead(
    const PendingOrder& order) {
  SettleAhead();
  std::optional<ClaimedOrder> ahead = std::exchange(claimed_ahead_, std::nullopt);
  if (ahead && ahead->file_name == order.file_name && ahead->id == order.id &&
      ahead_pass_ == platform_.files.Pass()) {
    std::swap(claim_, next_claim_);
    return ahead;
  }
  next_claim_->Release();
  return std::nullopt;
}

bool SendTransaction::ClaimedAhead(const std::string& file_name) {
  SettleAhead();
  return claimed_ahead_ && claimed_ahead_->file_name == file_name &&
         ahead_pass_ == platform_.files.Pass();
}

// Waits for the claim ahead under way to end.
void SendTransaction::SettleAhead() {
  if (!claiming_ahead_.valid()) return;
  try {
    claimed_ahead_ = claiming_ahead_.get();
  } catch (...) {
    claimed_ahead_.reset();
    next_claim_->Release();
  }
}

void SendTransaction::DropAhead() {
  SettleAhead();
  claimed_ahead_.reset();
  next_claim_->Release();
}

// A claim file this station cannot write leaves every order pending: sent
// without a claim, an order could go out from two stations.
// with_header: the header's own claim taken as well.
bool SendTransaction::TakeClaim(const std::string& id, bool with_header) {
  try {
    return with_header ? claim_->Take(station_.DataRoot, id)
                       : claim_->TakeSlot(station_.DataRoot, id);
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
std::string SendTransaction::LinesProblem(FileSystem& files, const std::string& id,
                                          std::optional<FileRead>* lines_read,
                                          std::vector<std::string>* rows) {
  try {
    *rows = ReadLineRows(files, DelayedLinesPath(station_.DataRoot, id), lines_read);
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
