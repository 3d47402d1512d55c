#pragma once
// The send of one claimed delayed order DS<k>, as the state its steps hand on
// to each other. The steps are procedures of the scheduler window
// (send_order.cc); SendClaimedOrder runs them in this order:
//
//   StartSend          reads the delayed header PhoneOrders\<id>.PH
//   ArchiveLines       <id>.Pio -> Deleted\<id>.Pio
//   DrawPhoneInNumber  n from data\PioNumber.dat
//   CopyToPhoneOrder   <id>.Pio -> <n>.Pio and <id>.PH -> <n>.PH
//   DeleteDelayedPair  deletes <id>.Pio and <id>.PH
//   RewriteOrderId     field 4 of <n>.PH becomes n
//   LogSent            the sent entry of the month's delayed-send log
//   ArchiveHeader      Deleted\<id>.PH, the header with the note
//   TakeCustomer       the customer record, or "Unknown" for number 0
//   HandToEngine       the order engine loads <n>.Pio, totals it and presses
//                      its kitchen send, which prints the tickets and saves
//                      the phone order (kitchen/, completion/)
//   AwaitSent          waits for "SENT" and says the send's status line
//   UnloadAndRefresh   unloads the engine and brings the list up to date
//
// A step that fails is skipped and the next one runs, with one exception: an
// order that gets no phone-in number stays pending and the send ends there.

#include <string>

#include "scheduler/orderfiles/header_file.h"

namespace korv {

struct OrderSend {
  std::string id;              // DS<k>, trimmed
  std::string header_path;     // PhoneOrders\<id>.PH
  OrderHeader header;          // as read at the start; as rewritten into <n>.PH
  int n = 0;                   // the phone-in number, once drawn
  bool header_copied = false;  // <n>.PH holds this order's header
  std::string log_path;        // the month's delayed-send log, named by LogSent
  std::string customer_name;   // the trimmed header name, or "Unknown"
  bool unknown_customer = false;
};

}  // namespace korv
