// SendClaimedOrder: one due delayed order turned into phone order n and
// handed to the order engine, step by step in the order the steps run
// (send_order.h). Each step takes the send's state and hands it on.

#include "scheduler/send_order.h"

#include <chrono>
#include <thread>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/pio_number.h"
#include "scheduler/orderfiles/turnover.h"

namespace korv {
namespace {

// The kitchen send reports "SENT" before it returns; these rounds only let a
// late report through and never let a lost one stop the station.
constexpr int kSentWaitRounds = 50;

// How the unknown customer's line names the number: ZERO for what reads as 0
// (the stations' own wording), else the header's text.
std::string UnknownRecordText(const std::string& number) {
  return Val(number) == 0 ? "ZERO" : Printable(Trim(number));
}

}  // namespace

void KORVdelayedSend1::SendClaimedOrder(const std::string& id) {
  OrderSend send = StartSend(id);
  ArchiveLines(send);
  if (!DrawPhoneInNumber(send)) return;
  CopyToPhoneOrder(send);
  DeleteDelayedPair(send);
  RewriteOrderId(send);
  LogSent(send);
  ArchiveHeader(send);
  TakeCustomer(send);
  HandToEngine(send);
  AwaitSent(send);
  UnloadAndRefresh();
}

DelayedOrderTurnOver KORVdelayedSend1::TurnOver() {
  return DelayedOrderTurnOver(platform_.files, station_.DataRoot);
}

OrderSend KORVdelayedSend1::StartSend(const std::string& id) {
  OrderSend send;
  send.id = id;
  send.header_path = DelayedHeaderPath(station_.DataRoot, id);
  Steps::Skip()([&] { send.header = ReadHeader(platform_.files, send.header_path); });
  return send;
}

void KORVdelayedSend1::ArchiveLines(const OrderSend& send) {
  Steps::Skip()([&] { TurnOver().CopyLinesToArchive(send.id); });
}

// Without a fresh number the order would overwrite another phone order: it
// stays pending and is tried on the next pass.
bool KORVdelayedSend1::DrawPhoneInNumber(OrderSend& send) {
  try {
    NextPioNumber(station_, platform_.files);
  } catch (const std::exception& e) {
    ReportError("Order " + send.id + " was not sent: no phone-in number could be drawn (" +
                    AsRuntimeError(e).description() + ")",
                false);
    passed_by_.insert(send.id);
    return false;
  }
  send.n = static_cast<int>(station_.PioNumber);
  return true;
}

void KORVdelayedSend1::CopyToPhoneOrder(OrderSend& send) {
  Steps::Skip()([&] { TurnOver().CopyLinesToPhoneOrder(send.id, send.n); });
  send.header_copied = Steps::Skip()([&] { TurnOver().CopyHeaderToPhoneOrder(send.id, send.n); });
}

void KORVdelayedSend1::DeleteDelayedPair(const OrderSend& send) {
  Steps::Skip()([&] { TurnOver().DeleteDelayedLines(send.id); });
  Steps::Skip()([&] { TurnOver().DeleteDelayedHeader(send.id); });
  if (platform_.files.Exists(send.header_path)) {
    // The header could not be deleted; sending it again next minute would
    // print the order twice.
    ReportError("Order " + send.id +
                " was sent but its header could not be deleted: " + send.header_path);
    passed_by_.insert(send.id);
  }
  platform_.loop.DoEvents();
}

// Without the copy, <n>.PH is still an old phone order from 498 sends ago;
// the delayed header read at the start stands in for it.
void KORVdelayedSend1::RewriteOrderId(OrderSend& send) {
  if (send.header_copied)
    Steps::Skip()([&] { send.header = TurnOver().RewriteHeaderOrderId(send.n); });
}

void KORVdelayedSend1::LogSent(OrderSend& send) {
  send.log_path = DelayedSendLogPath(station_.DataRoot, platform_.clock.Today());
  const OrderHeader& h = send.header;
  Steps::Skip()([&] {
    AppendLogEntry(platform_.files, send.log_path,
                   SentLogEntry(send.id, send.n, h.customer_name, h.send_time, h.send_date,
                                PlainNumber(pending_count_)));
  });
}

void KORVdelayedSend1::ArchiveHeader(const OrderSend& send) {
  Steps::Skip()([&] {
    TurnOver().WriteArchivedHeader(send.id, send.header,
                                   ArchiveNote(send.id, send.n, platform_.clock.Now().seconds));
  });
}

// The header's name, phone and customer number win over the customer file's.
void KORVdelayedSend1::TakeCustomer(OrderSend& send) {
  const OrderHeader& h = send.header;
  station_.CustRecNo = CustomerRecordNumber(platform_.files, station_.DataRoot, h.customer_number);
  send.unknown_customer = station_.CustRecNo == 0;
  send.customer_name = Trim(h.customer_name);
  if (send.unknown_customer) {
    station_.CustRecNo = 1;
    send.customer_name = "Unknown";
    std::string message = "Customer not found - Record Number was " +
                          UnknownRecordText(h.customer_number) +
                          " - Marked name to unknown - file name was " + send.header_path;
    ReportError(message, false);
    Steps::Skip()([&] { AppendLogEntry(platform_.files, send.log_path, {message}); });
  }
  // An unknown customer's order carries no customer number, so nothing of
  // customer record 1 reaches its tickets or files.
  station_.OrderCustRecNo = send.unknown_customer ? 0 : station_.CustRecNo;
  Label7.SetCaption("Sending order for " + send.customer_name);
  if (send.unknown_customer) {
    station_.Customer = CustomerRecord();
    station_.Customer.Set(2, Trim(h.phone));
    station_.Customer.Set(3, send.customer_name);
  } else {
    Steps::Skip()([&] { ReadCustomer(station_, platform_.files); });
  }
  platform_.loop.DoEvents();
  station_.CustName = send.customer_name;
  station_.CustPhone = Trim(h.phone);
  station_.CustNumber = station_.CustNumberCopy = Trim(h.customer_number);
}

void KORVdelayedSend1::HandToEngine(const OrderSend&) {
  station_.SendStatus = "WAIT";
  Steps::Skip()([&] { LoadOrderIntoEngine(); });
}

void KORVdelayedSend1::AwaitSent(const OrderSend& send) {
  for (int i = 0; i < kSentWaitRounds && station_.SendStatus != "SENT"; ++i) {
    platform_.loop.DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (station_.SendStatus != "SENT")
    ReportError("The kitchen send of order " + send.id + " (phone order " + std::to_string(send.n) +
                    ") did not report SENT; check its tickets",
                false);
  platform_.status.Say("korv-delayed-send: sent " + send.id + " as phone order " +
                       std::to_string(send.n) + " for " + send.customer_name + " (due " +
                       send.header.send_date + " " + send.header.send_time + ")");
}

void KORVdelayedSend1::UnloadAndRefresh() {
  UnloadEngine();
  Steps::Skip()([&] {
    File1.Refresh();
    RefreshList();
  });
  station_.PioNumber = 0;
  station_.PioNumberText.clear();
  station_.OrderKey.clear();
  platform_.loop.DoEvents();
}

}  // namespace korv
