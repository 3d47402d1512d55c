// Timer1_Timer, the dispatch pass: counts the pending delayed orders,
// rebuilds the list when needed, and sends every order that has fallen due,
// one after the other, starting again from the top after each send.

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/header_file.h"
#include "scheduler/orderfiles/pio_number.h"
#include "scheduler/orderfiles/turnover.h"

namespace korv {
namespace {

// The kitchen send reports "SENT" before it returns; these rounds only let a
// late report through and never let a lost one stop the station.
constexpr int kSentWaitRounds = 50;

}  // namespace

void KORVdelayedSend1::Timer1_Timer() {
  if (station_.ScreenMode == kScreenViewOpen) return;
  passed_by_.clear();
  for (;;) {
    Timer1.SetInterval(0);
    try {
      if (TopOfPass() == 0) break;
    } catch (const std::exception& e) {
      // The folder vanished or a file is locked: say so, and make the next
      // tick rebuild the list rather than trust the one left half made.
      ReportError("The pending orders could not be read: " + AsRuntimeError(e).description());
      station_.LastPendingCount = -1;
      break;
    }
    const PendingOrder* due = FindDueOrder();
    if (!due || !SendOrder(PendingOrder(*due))) break;
  }
  EndOfPass();
}

// Steps 3 to 8: returns the count of delayed header files.
int KORVdelayedSend1::TopOfPass() {
  for (const std::string& stale :
       {PhoneOrderLinesPath(station_.DataRoot, 0), PhoneOrderHeaderPath(station_.DataRoot, 0)}) {
    if (platform_.files.Exists(stale)) platform_.files.Kill(stale);
  }
  File1.Refresh();
  const int previous = pending_count_;
  int count = File1.ListCount();
  ShowPendingCount(count);
  bool changed = previous != count;
  SetTipText(count);
  platform_.loop.DoEvents();
  MList1.SetCaption("Pending Orders to Send - Current Time " +
                    FormatHHMMAmPm(platform_.clock.Now().seconds));
  if (count == 0) return 0;

  ++station_.TickCount;
  if (!changed && station_.TickCount <= 5) {
    File1.Refresh();
    count = File1.ListCount();
    ShowPendingCount(count);
    Label6.SetCaption(PlainNumber(station_.TickCount));
    if (station_.LastPendingCount == count) return count;
  }
  // A changed count means headers came or went: read only those. The
  // rebuild of every sixth pass reads every header again, so a header
  // another station rewrote in place is seen then, as it always was.
  const bool periodic = !changed && station_.TickCount > 5;
  station_.LastPendingCount = pending_count_;
  File1.Refresh();
  station_.TickCount = 0;
  if (periodic)
    UpdateList();
  else
    RefreshList();
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
    // Never guessed: the order waits until its header is mended.
    std::string message = "Order " + id + " stays pending: the " + unreadable +
                          " cannot be read in " + DelayedHeaderPath(station_.DataRoot, id);
    if (!reported_.count(message))
      Steps::Skip()([&] {
        AppendLogEntry(platform_.files, DelayedSendLogPath(station_.DataRoot, now.date), {message});
      });
    ReportError(message);
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
  station_.CustRecNo = std::max(1, static_cast<int>(Val(order.header.customer_number)));
  if (!claim_.Take(DelayedHeaderPath(station_.DataRoot, id))) {
    passed_by_.insert(id);  // sent or being sent by another station
    return true;
  }
  SendClaimedOrder(id);
  claim_.Release();
  return true;
}

void KORVdelayedSend1::SendClaimedOrder(const std::string& id) {
  FileSystem& files = platform_.files;
  const std::string& root = station_.DataRoot;
  DelayedOrderTurnOver turn(files, root);
  const std::string header_path = DelayedHeaderPath(root, id);
  Steps skip = Steps::Skip();
  OrderHeader header;
  skip([&] { header = ReadHeader(files, header_path); });

  skip([&] { turn.CopyLinesToArchive(id); });
  try {
    NextPioNumber(station_, files);
  } catch (const std::exception& e) {
    // Without a fresh number the order would overwrite another phone order:
    // it stays pending and is tried on the next pass.
    ReportError("Order " + id + " was not sent: no phone-in number could be drawn (" +
                    AsRuntimeError(e).description() + ")",
                false);
    passed_by_.insert(id);
    return;
  }
  const int n = static_cast<int>(station_.PioNumber);
  skip([&] { turn.CopyLinesToPhoneOrder(id, n); });
  const bool header_copied = skip([&] { turn.CopyHeaderToPhoneOrder(id, n); });
  skip([&] { turn.DeleteDelayedLines(id); });
  skip([&] { turn.DeleteDelayedHeader(id); });
  if (files.Exists(header_path)) {
    // The header could not be deleted; sending it again next minute would
    // print the order twice.
    ReportError("Order " + id + " was sent but its header could not be deleted: " + header_path);
    passed_by_.insert(id);
  }
  platform_.loop.DoEvents();
  // Without the copy, <n>.PH is still an old phone order from 498 sends ago;
  // the delayed header read at the claim stands in for it.
  if (header_copied) skip([&] { header = turn.RewriteHeaderOrderId(n); });

  const std::string log_path = DelayedSendLogPath(root, platform_.clock.Today());
  skip([&] {
    AppendLogEntry(files, log_path,
                   SentLogEntry(id, n, header.customer_name, header.send_time, header.send_date,
                                PlainNumber(pending_count_)));
  });
  skip([&] {
    turn.WriteArchivedHeader(id, header, ArchiveNote(id, n, platform_.clock.Now().seconds));
  });

  station_.CustRecNo = static_cast<int>(Val(header.customer_number));
  const bool unknown = station_.CustRecNo == 0;
  std::string name = Trim(header.customer_name);
  if (unknown) {
    station_.CustRecNo = 1;
    name = "Unknown";
    std::string message =
        "Customer not found - Record Number was ZERO - Marked name to unknown - file name was " +
        header_path;
    ReportError(message, false);
    skip([&] { AppendLogEntry(files, log_path, {message}); });
  }
  // An unknown customer's order carries no customer number, so nothing of
  // customer record 1 reaches its tickets or files.
  station_.OrderCustRecNo = unknown ? 0 : station_.CustRecNo;
  Label7.SetCaption("Sending order for " + name);
  if (unknown) {
    station_.Customer = CustomerRecord();
    station_.Customer.Set(2, Trim(header.phone));
    station_.Customer.Set(3, name);
  } else {
    skip([&] { ReadCustomer(station_, files); });
  }
  platform_.loop.DoEvents();
  station_.CustName = name;
  station_.CustPhone = Trim(header.phone);
  station_.CustNumber = station_.CustNumberCopy = Trim(header.customer_number);

  station_.SendStatus = "WAIT";
  skip([&] { LoadOrderIntoEngine(); });
  for (int i = 0; i < kSentWaitRounds && station_.SendStatus != "SENT"; ++i) {
    platform_.loop.DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (station_.SendStatus != "SENT")
    ReportError("The kitchen send of order " + id + " (phone order " + std::to_string(n) +
                    ") did not report SENT; check its tickets",
                false);
  platform_.status.Say("korv-delayed-send: sent " + id + " as phone order " + std::to_string(n) +
                       " for " + name + " (due " + header.send_date + " " + header.send_time + ")");

  UnloadEngine();
  skip([&] {
    File1.Refresh();
    RefreshList();
  });
  station_.PioNumber = 0;
  station_.PioNumberText.clear();
  station_.OrderKey.clear();
  platform_.loop.DoEvents();
}

void KORVdelayedSend1::EndOfPass() {
  // A printer that holds tickets back (off, out of paper, unreachable) is
  // said in the error text, once for each state it is in.
  for (const std::string& warning : platform_.printer.HeldBackWarnings()) ReportError(warning);
  Timer1.SetInterval(kPassIntervalMs);
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
  if (once && !reported_.insert(message).second) return;
  SSCommand4.SetVisible(true);
  RichTextBox1.SetText(RichTextBox1.Text() + "\r" + message);
  platform_.status.Say("korv-delayed-send: " + message);
}

}  // namespace korv
