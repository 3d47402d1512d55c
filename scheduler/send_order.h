#pragma once
// The send of one claimed delayed order DS<k>, as the state its steps hand on
// to each other. The steps are procedures of the scheduler window
// (send_order.cc); RunSend runs them in this order:
//
//   StartSend          reads the delayed header PhoneOrders\<id>.PH and
//                      begins the send's journal (send_journal.h)
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
//   UnloadAndClear     unloads the engine and clears the order's values; the
//                      pass then starts again from the top, which brings the
//                      list up to date with one listing of the folder
//   EndSend            ends the journal, or keeps it while the delayed header
//                      is still there (LeftHeader, interrupted_sends.cc)
//
// Each step that changes a shared file looks in the journal first: a step
// marked done is not done again (its outcome is taken from the mark), and a
// step that is not is done, its files put on disk, and marked. The numbers
// the send draws (phone-in, kitchen, bar, the archive record) are kept in
// the journal the moment they are drawn, and each ticket is recorded before
// and after it reaches its printer's spool. So the send of an order the
// station was killed in is finished at the next start (ResumeSend) by
// running these same steps: the same numbers, only the tickets that did not
// reach their printer, one SENT entry. The send's time is held for the whole
// send, so a resumed send prints what the first attempt would have.
//
// A step that fails is skipped and the next one runs, and is then marked
// done like one that succeeded: only a dead process leaves a step undone.
// Two exceptions: an order that gets no phone-in number stays pending and
// the send ends there, and a send whose journal cannot be written stops
// where it is and is finished at a later pass.

#include <memory>
#include <string>

#include "scheduler/orderfiles/header_file.h"
#include "scheduler/send_journal.h"

namespace korv {

struct OrderSend {
  std::string id;           // DS<k>, trimmed
  std::string header_path;  // PhoneOrders\<id>.PH
  OrderHeader header;       // as read at the start; as rewritten into <n>.PH
  // The delayed files as this run read them; empty for a send resumed after
  // a crash, whose copies read them again.
  std::optional<FileRead> header_read, lines_read;
  bool header_whole = false;   // header_read held the six fields of `header`
  int n = 0;                   // the phone-in number, once drawn
  bool header_copied = false;  // <n>.PH holds this order's header
  bool header_left = false;    // <id>.PH is still there after the deletion
  std::string customer_name;   // the trimmed header name, or "Unknown"
  bool unknown_customer = false;
  std::unique_ptr<SendJournal> journal;  // null: the send could not begin
};

}  // namespace korv
