#pragma once
// The send of one claimed delayed order DS<k>, as the state its steps hand on
// to each other. The steps are SendTransaction's (send_transaction.h,
// send_order.cc); RunSend runs them in this order, those bracketed together
// at the same time (their files do not depend on each other; on a share each
// file waits its round trips). Each is either needed by the order (N) or
// only a record of it (R):
//
//   StartSend          the delayed header PhoneOrders\<id>.PH, read with the
//                      line file; begins the send's journal (send_journal.h)
//  [DrawPhoneInNumber N n from data\PioNumber.dat, the texts of the two
//                      copies written ahead under temporary names meanwhile;
//   then CopyToPhoneOrder N <id>.Pio -> <n>.Pio and <id>.PH -> <n>.PH, both
//                      at once (a text written ahead only takes its name)
//   ArchiveLines    R  <id>.Pio -> Deleted\<id>.Pio
//   (the customer record of the header, read for TakeCustomer)]
//  [DeleteDelayedPair  deletes <id>.Pio (R) and <id>.PH at once (a header
//                      that stays is remembered, below)
//   RewriteOrderId  N  field 4 of <n>.PH becomes n
//   ArchiveHeader   R  Deleted\<id>.PH, the header with the note
//   (the kitchen and bar numbers its lines need, drawn ahead for the
//                      kitchen send where a counter gives one at once;
//                      kitchen/numbers_ahead.h)]
//   TakeCustomer    N  the customer record, or "Unknown" for number 0 (its
//                      log line R); a record that stays unreadable for two
//                      minutes gives way to the header's name and phone
//   HandToEngine    N  the order engine (OrderEngine) loads <n>.Pio (as the
//                      copy wrote it, when it did in this run), totals
//                      it and presses its kitchen send, which prints the tickets (each one N:
//                      in its printer's spool or dir: folder) and saves the
//                      phone order <n>.PH and <n>.pio (N; the customer's last
//                      order and the kitchen monitor file and archive R; the
//                      phone order's files and the last order at once)
//                      (kitchen/, completion/)
//   AwaitSent          waits for "SENT"
//   LogSent         N  the sent entry of the month's delayed-send log, once
//                      every ticket is in its spool or folder; says the
//                      send's status line
//   UnloadAndClear     unloads the engine and clears the order's values; the
//                      pass then starts again from the top, which brings the
//                      list up to date with the tick's listing, less the
//                      header sent
//   EndSend            ends the journal, or keeps it while the delayed header
//                      is still there (LeftHeader, interrupted_sends.cc)
//
// A needed step that fails halts the send where it is (StepsHalted): the
// journal keeps it, the error text and standard error say which file, which
// step and why, and a later pass resumes it as it resumes a send a crash
// interrupted, once the fault is gone. So nothing runs before what it
// depends on is on disk: the delayed pair is deleted only once both copies
// are whole, and no SENT entry is written for a ticket that is not in its
// spool or folder. A record that fails is said with its file, and the send
// goes on. A number the send needs (phone-in, kitchen, bar) that cannot be
// drawn waits a bounded time and then halts the send too.
//
// Each step that changes a shared file looks in the journal first: a step
// marked done is not done again (its outcome is taken from the mark), and a
// step that is not is done, its files put on disk, and marked; steps run at
// once are marked in the order above, each once its own files and those of
// the steps above it have ended, by the send's own thread, which alone
// touches the journal and the window. The numbers
// the send draws (phone-in, kitchen, bar, the archive record) are kept in
// the journal the moment they are drawn (those drawn ahead once the
// deletion's pieces have ended), and each ticket is recorded before
// and after it reaches its printer's spool. So the send of an order the
// station was killed in, or that halted, is finished at a later pass
// (ResumeSend) by running these same steps: the same numbers, only the
// tickets that did not reach their printer, one SENT entry. The send's time
// is held for the whole send, so a resumed send prints what the first
// attempt would have.
//
// An order that gets no phone-in number stays pending and the send ends
// there; a send whose journal cannot be written stops where it is and is
// finished at a later pass.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/record_tables.h"
#include "scheduler/orderfiles/header_file.h"
#include "scheduler/send_journal.h"

namespace korv {

// What a send reads of its order before it begins, beside the line file
// once the order is claimed: the delayed header, the send's time, and the
// length the month's log has then.
struct SendStart {
  std::optional<OrderHeader> header;  // none: header_failed says why
  std::optional<FileRead> header_read;
  std::exception_ptr header_failed;
  DateTime time;
  std::string log_path;
  int64_t log_size = 0;
};

struct OrderSend {
  std::string id;           // DS<k>, trimmed
  std::string header_path;  // PhoneOrders\<id>.PH
  OrderHeader header;       // as read at the start; as rewritten into <n>.PH
  // The delayed files as this run read them; empty for a send resumed after
  // a crash, whose copies read them again.
  std::optional<FileRead> header_read, lines_read;
  int n = 0;                   // the phone-in number, once drawn
  bool header_copied = false;  // <n>.PH holds this order's header
  bool lines_copied = false;   // <n>.Pio was written this run from lines_read
  // lines_read and header_read written ahead of the number, in temporaries
  // their copies place (FileSystem::WriteAhead); none once the copies ran.
  std::optional<std::filesystem::path> lines_ahead, header_ahead;
  // The header's customer record, read while the number is drawn (blank for
  // a number that names no record); none when that read failed, and it is
  // read again when the send takes the customer.
  std::optional<CustomerRecord> customer;
  bool header_left = false;   // <id>.PH is still there after the deletion
  bool header_gone = false;   // no <id>.PH was there after the deletion
  std::string customer_name;  // the trimmed header name, or "Unknown"
  bool unknown_customer = false;
  std::unique_ptr<SendJournal> journal;  // null: the send could not begin
};

}  // namespace korv
