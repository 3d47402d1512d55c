// SendClaimedOrder and ResumeSend: one due delayed order turned into phone
// order n and handed to the order engine, step by step in the order the
// steps run (send_order.h), under the send's journal. Each step takes the
// send's state and hands it on.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "kitchen/numbers_ahead.h"
#include "platform/files/files_at_once.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/line_file.h"
#include "scheduler/orderfiles/pio_number.h"
#include "scheduler/orderfiles/turnover.h"
#include "scheduler/send_transaction.h"

namespace korv {
namespace {

// The kitchen send reports "SENT" before it returns; these rounds only let a
// late report through and never let a lost one stop the station.
constexpr int kSentWaitRounds = 50;

// How long a send waits for a customer record it cannot read (another
// station holds the customer file) before it goes on with the header's own
// name and phone: the record only adds the address lines.
constexpr int kCustomerPatienceSeconds = 120;

// A step the order needs: when it fails, the send halts where it is, and is
// resumed from there at a later pass. what: the file and the action.
void Needed(const std::string& what, const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    throw StepsHalted{what + " failed: " + ExplainedError(AsRuntimeError(e))};
  }
}

// The record number a phone order carries for its customer, one that every
// station can read a record at: the header's number when it is one, else 1,
// as the stations write for an unknown customer (record 0 is no record).
int PhoneOrderRecordNumber(const std::string& number) {
  const double n = Val(number);
  if (n >= 1 && n <= std::numeric_limits<int32_t>::max() && n == std::floor(n))
    return static_cast<int>(n);
  return 1;
}

constexpr char kPioKept[] = "pio";  // the phone-in number, in the journal

const std::string* Text(const std::optional<FileRead>& read) {
  return read ? &read->text : nullptr;
}
// The outcome of DeleteDelayedPair when the delayed header is still there.
constexpr char kHeaderLeftOutcome[] = "left";

// What a piece of work threw, kept to be said or raised on the send's own
// thread; null when it threw nothing.
std::exception_ptr Caught(const std::function<void()>& work) {
  try {
    work();
    return nullptr;
  } catch (...) {
    return std::current_exception();
  }
}

void Raise(const std::exception_ptr& thrown) {
  if (thrown) std::rethrow_exception(thrown);
}

const std::filesystem::path* Ahead(const std::optional<std::filesystem::path>& temp) {
  return temp ? &*temp : nullptr;
}

// The copies' temporaries, once their copies have run (placing one removes
// its temporary, whatever the outcome) or when no copy will: none is left
// behind by a send that goes no further.
struct DropsAhead {
  FileSystem& files;
  OrderSend& send;
  ~DropsAhead() {
    for (std::optional<std::filesystem::path>* temp : {&send.lines_ahead, &send.header_ahead}) {
      if (*temp) files.DropAhead(**temp);
      temp->reset();
    }
  }
};

// The kitchen and bar numbers a send draws beside the deletion of its
// delayed files (kitchen/numbers_ahead.h), each a piece of its own: only for
// lines read in this run, which the kitchen send is handed. The send's own
// thread keeps them, once every piece has ended; also when the send halts
// meanwhile, so that its resumed send takes them.
class NumbersDrawnAhead {
 public:
  NumbersDrawnAhead(const Station& station, const OrderSend& send,
                    std::vector<std::function<void(FileSystem&)>>* pieces)
      : journal_(*send.journal) {
    if (!send.lines_copied) return;
    numbers_ = NumbersToDraw(station, LineRows(send.lines_read->text), journal_);
    drawn_.resize(numbers_.size());
    const Date today = journal_.beginning().time.date;
    for (size_t i = 0; i < numbers_.size(); ++i)
      pieces->push_back([this, i, today, &data = station.DataRoot](FileSystem& files) {
        drawn_[i] = DrawNumberAhead(files, data, today, numbers_[i]);
      });
  }
  // A number the journal cannot take is lost with the halted send: never
  // given out twice.
  ~NumbersDrawnAhead() {
    try {
      Keep();
    } catch (...) {
    }
  }
  void Keep() {
    for (size_t i = 0; i < numbers_.size(); ++i)
      if (std::optional<std::string> number = std::exchange(drawn_[i], std::nullopt))
        KeepNumberAhead(journal_, numbers_[i], *number);
  }

 private:
  SendJournal& journal_;
  std::vector<AheadNumber> numbers_;
  std::vector<std::optional<std::string>> drawn_;
};

}  // namespace

bool SendTransaction::SendClaimedOrder(const std::string& id,
                                       const std::optional<FileRead>& lines_read,
                                       const SendStart& start, int pending_count) {
  OrderSend send = StartSend(id, lines_read, start, pending_count);
  if (send.journal) RunSend(send);
  return send.header_gone;
}

// The send the journal records, from where it stopped: the same steps.
void SendTransaction::ResumeSend(std::unique_ptr<SendJournal> journal) {
  OrderSend send;
  send.id = journal->beginning().id;
  send.header_path = DelayedHeaderPath(station_.DataRoot, send.id);
  send.header = journal->beginning().header;
  send.journal = std::move(journal);
  const SendBeginning& b = send.journal->beginning();
  station_.PioNumberText = send.id;
  station_.SendDate = b.send_date;
  station_.SendTime = b.send_time;
  platform_.status.Say("korv-delayed-send: finishing the send of " + send.id + " begun " +
                       DefaultDateText(b.time.date) + " " + DefaultTimeText(b.time.seconds) +
                       ", which the station did not end");
  RunSend(send);
}

// Every file the steps write is on disk before their step is marked done:
// the file layer puts each on disk as it is closed.
void SendTransaction::RunSend(OrderSend& send) {
  DurableWrites durable(platform_.files);
  try {
    if (ArchiveLinesDrawAndCopy(send)) {
      DeleteAndRewrite(send);
      if (send.header_gone) claim_->LetGoneHeaderGo();
      ClaimNextAhead();
      TakeCustomer(send);
      const std::unique_ptr<LogOpenedAhead> log = OpenLogAhead(send);
      HandToEngine(send);
      AwaitSent(send);
      LogSent(send, log.get());
      UnloadAndClear();
      EndSend(send);
    }
  } catch (const StepsHalted& halted) {
    HaltSend(send, halted);
  }
}

DelayedOrderTurnOver SendTransaction::TurnOver(FileSystem* files) {
  return DelayedOrderTurnOver(files ? *files : platform_.files, station_.DataRoot);
}

// The journal begins before the first change. Without it the order is not
// sent: a crash would lose it or print it twice.
// The send goes on with the delayed files as it read them (the line file as
// read for its printers): their stamps tell later whether the files are
// still those, and the copies are made from the same texts. They are looked
// at again only when no read got that far.
OrderSend SendTransaction::StartSend(const std::string& id,
                                     const std::optional<FileRead>& lines_read,
                                     const SendStart& start, int pending_count) {
  FileSystem& files = platform_.files;
  OrderSend send;
  send.id = id;
  send.header_path = DelayedHeaderPath(station_.DataRoot, id);
  if (!start.header) {
    // Nothing of it is turned over: it is read again at the next pass.
    std::string why;
    try {
      std::rethrow_exception(start.header_failed);
    } catch (const std::exception& e) {
      why = ExplainedError(AsRuntimeError(e));
    }
    report_.Hold(id, "Order " + id + " stays pending: its header " + send.header_path +
                         " cannot be read now (" + why + ")");
    return send;
  }
  send.header = *start.header;
  send.header_read = start.header_read;
  send.lines_read = lines_read;
  SendBeginning b;
  b.id = id;
  b.header = send.header;
  b.header_stamp = start.header_read->stamp;
  b.lines_stamp = lines_read ? std::optional(lines_read->stamp)
                             : files.Stamp(DelayedLinesPath(station_.DataRoot, id));
  b.time = start.time;
  b.send_date = station_.SendDate;
  b.send_time = station_.SendTime;
  b.log_path = start.log_path;
  b.log_size = start.log_size;
  b.pending_count = pending_count;
  const std::string journal_path = SendJournalPath(station_.LocalRoot, id);
  try {
    send.journal = SendJournal::Begin(platform_.files.HostPath(journal_path), b);
  } catch (const RuntimeError& e) {
    report_.Hold(id, "Order " + id + " stays pending: its send cannot be recorded in " +
                         journal_path + " (" + e.description() + ")");
  }
  return send;
}

// The copies' texts are written ahead while the phone-in number is drawn,
// and then take their names; meanwhile the lines are archived (a record of
// the order: said when it fails, and the send goes on) and the customer
// record read. The archive is marked once all have ended, and only for a
// send that goes on. A send that halts in its copies leaves the archive
// unmarked: its resumed send archives the lines again, from the delayed
// line file, which is still there.
bool SendTransaction::ArchiveLinesDrawAndCopy(OrderSend& send) {
  const bool archive = !send.journal->Done(SendStep::kArchiveLines);
  std::exception_ptr archive_failed;
  bool drawn = false;
  FilesAtOnce(platform_.files,
              {[&](FileSystem&) { drawn = DrawAndCopy(send); },
               [&](FileSystem& files) {
                 if (archive)
                   archive_failed = Caught([&] {
                     TurnOver(&files).CopyLinesToArchive(send.id, Text(send.lines_read));
                   });
               },
               [&](FileSystem& files) { send.customer = CustomerIfReadable(files, send.header); }});
  if (!drawn || !archive) return drawn;
  Recorded("Order " + send.id + ": its lines could not be archived as " +
               ArchivedLinesPath(station_.DataRoot, send.id),
           [&] { Raise(archive_failed); });
  send.journal->Mark(SendStep::kArchiveLines);
  return true;
}

// False: no number was drawn, and nothing is copied.
bool SendTransaction::DrawAndCopy(OrderSend& send) {
  const bool copy = !send.journal->Done(SendStep::kCopyToPhoneOrder);
  bool drawn = false;
  DropsAhead drops{platform_.files, send};
  FilesAtOnce(platform_.files, {[&](FileSystem&) { drawn = DrawPhoneInNumber(send); },
                                [&](FileSystem& files) {
                                  if (copy) send.lines_ahead = WrittenAhead(files, send.lines_read);
                                },
                                [&](FileSystem& files) {
                                  if (copy)
                                    send.header_ahead = WrittenAhead(files, send.header_read);
                                }});
  if (drawn) CopyToPhoneOrder(send);
  return drawn;
}

// A text written ahead of the number, for its copy; none when it was not
// read or could not be written (the copy then writes it, and says why it
// cannot).
std::optional<std::filesystem::path> SendTransaction::WrittenAhead(
    FileSystem& files, const std::optional<FileRead>& read) const {
  if (!read) return std::nullopt;
  try {
    return files.WriteAhead(PhoneOrdersFolder(station_.DataRoot), read->text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The read is only early: one that fails is left to TakeCustomer, which
// waits for the record or says why it goes on without.
std::optional<CustomerRecord> SendTransaction::CustomerIfReadable(FileSystem& files,
                                                                  const OrderHeader& header) const {
  try {
    const int record = CustomerRecordNumber(files, station_.DataRoot, header.customer_number);
    return record == 0 ? CustomerRecord() : ReadCustomerRecord(files, station_.DataRoot, record);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A step that only records the order: a failure is said, with the file and
// why, and the send goes on.
void SendTransaction::Recorded(const std::string& what, const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    report_.Fault(
        what + " (" + ExplainedError(AsRuntimeError(e)) + "); the order is sent all the same", true,
        Priority::kWarning);
  }
}

// Without a fresh number the order would overwrite another phone order: it
// stays pending and is tried on the next pass, and its journal ends (nothing
// is changed that a new send would not do again).
bool SendTransaction::DrawPhoneInNumber(OrderSend& send) {
  if (std::optional<std::string> kept = send.journal->Kept(kPioKept)) {
    send.n = static_cast<int>(Val(*kept));
    station_.PioNumber = send.n;
    station_.PioNumberText = *kept;
    return true;
  }
  try {
    NextPioNumber(station_, platform_.files);
  } catch (const std::exception& e) {
    report_.Hold(send.id,
                 "Order " + send.id + " was not sent: no phone-in number could be drawn (" +
                     AsRuntimeError(e).description() + ")",
                 false);
    send.journal->End();
    return false;
  }
  send.n = static_cast<int>(station_.PioNumber);
  send.journal->Keep(kPioKept, station_.PioNumberText);
  return true;
}

void SendTransaction::CopyToPhoneOrder(OrderSend& send) {
  if (std::optional<std::string> done = send.journal->Done(SendStep::kCopyToPhoneOrder)) {
    send.header_copied = *done == "1";
    return;
  }
  // The delayed pair is deleted only once both copies are whole and their
  // names on disk; the two are made at once, and their folder synced once
  // for both. A copy written ahead only takes its name.
  const std::string& data = station_.DataRoot;
  struct Placed {
    OrderSend& send;
    ~Placed() { send.lines_ahead = send.header_ahead = std::nullopt; }
  } placed{send};
  FilesAtOnce(
      platform_.files,
      {[&](FileSystem& files) {
         NamesSyncedLater later(files);
         Needed("the copy of " + DelayedLinesPath(data, send.id) + " to " +
                    PhoneOrderLinesPath(data, send.n),
                [&] {
                  TurnOver(&files).CopyLinesToPhoneOrder(send.id, send.n, Text(send.lines_read),
                                                         Ahead(send.lines_ahead));
                });
       },
       [&](FileSystem& files) {
         NamesSyncedLater later(files);
         Needed("the copy of " + send.header_path + " to " + PhoneOrderHeaderPath(data, send.n),
                [&] {
                  TurnOver(&files).CopyHeaderToPhoneOrder(send.id, send.n, Text(send.header_read),
                                                          Ahead(send.header_ahead));
                });
       }});
  platform_.files.SyncNames(PhoneOrderHeaderPath(data, send.n));
  send.header_copied = true;
  send.lines_copied = send.lines_read.has_value();
  send.journal->Mark(SendStep::kCopyToPhoneOrder, "1");
}

// The delayed pair is deleted while <n>.PH gets its order id, the delayed
// header its archived copy (a record: said when it fails, and the send goes
// on) and the counters the kitchen and bar numbers (kept for the kitchen
// send): none of these needs another's file. Each is marked once all have
// ended, in the order of the steps; the numbers drawn are kept however the
// rest ended.
void SendTransaction::DeleteAndRewrite(OrderSend& send) {
  std::optional<std::string> rewritten = send.journal->Done(SendStep::kRewriteOrderId);
  // Without the copy, <n>.PH is still an old phone order from 498 sends ago;
  // the delayed header read at the start stands in for it.
  const bool rewrite = !rewritten && send.header_copied;
  const bool archive = !send.journal->Done(SendStep::kArchiveHeader);
  OrderHeader header = send.header;
  header.order_id = rewritten            ? *rewritten
                    : send.header_copied ? std::to_string(send.n)
                                         : header.order_id;
  const std::string note = ArchiveNote(send.id, send.n, send.journal->beginning().time.seconds);
  std::exception_ptr archive_failed;
  std::vector<std::function<void(FileSystem&)>> pieces = {
      [&](FileSystem&) { DeleteDelayedPair(send); },
      [&](FileSystem& files) {
        // <n>.PH was copied from the header the send began with, which the
        // journal holds: it is written from that, not read again, so a
        // rewrite a fault cut short is mended by the next attempt.
        if (rewrite)
          Needed("the rewrite of " + PhoneOrderHeaderPath(station_.DataRoot, send.n),
                 [&] { TurnOver(&files).RewriteHeaderOrderId(send.n, &send.header); });
      },
      [&](FileSystem& files) {
        if (archive)
          archive_failed =
              Caught([&] { TurnOver(&files).WriteArchivedHeader(send.id, header, note); });
      }};
  NumbersDrawnAhead numbers(station_, send, &pieces);
  FilesAtOnce(platform_.files, pieces);
  numbers.Keep();
  send.header = header;
  if (!rewritten) send.journal->Mark(SendStep::kRewriteOrderId, header.order_id);
  if (!archive) return;
  Recorded("Order " + send.id + ": its header could not be archived as " +
               ArchivedHeaderPath(station_.DataRoot, send.id),
           [&] { Raise(archive_failed); });
  send.journal->Mark(SendStep::kArchiveHeader);
}

// Only the delayed files the send began with are deleted: while the station
// was down, an order-entry station may have written a new DS<k>. A header
// still there afterwards is the order just sent when it is the one begun
// with (it could not be deleted), or when another station changed it during
// this very send (sending the change would print the whole order twice):
// the journal remembers it, and the order is not sent again while the
// header is there (LeftHeader, interrupted_sends.cc).
void SendTransaction::DeleteDelayedPair(OrderSend& send) {
  if (std::optional<std::string> done = send.journal->Done(SendStep::kDeleteDelayedPair)) {
    send.header_left = *done == kHeaderLeftOutcome;
    return;
  }
  // After deletions a crash interrupted, another header is a new order.
  const bool deleting_before = send.journal->Done(SendStep::kDeleting).has_value();
  send.journal->Mark(SendStep::kDeleting);
  const SendBeginning& b = send.journal->beginning();
  // A header that cannot be looked at is neither gone nor changed: the send
  // halts until it can tell.
  std::string why;
  Needed("the deletion of " + send.header_path, [&] {
    bool deleted = false;
    why = DeleteBegunFiles(b, &deleted);
    // A header this send deleted is not looked for again: a DS<k> written
    // after that is a new order, as after any send.
    const std::optional<FileStamp> now =
        deleted ? std::nullopt : platform_.files.StampIfAny(send.header_path);
    send.header_left = now && (!deleting_before || now == b.header_stamp);
    send.header_gone = !now;
  });
  if (send.header_left) {
    SayHeaderLeft(*send.journal, why);
  }
  send.journal->Mark(SendStep::kDeleteDelayedPair, send.header_left ? kHeaderLeftOutcome : "");
  platform_.loop.DoEvents();
}

// Returns why the header could not be deleted; empty when it was, or when it
// is no longer the one the send began with. header_deleted: whether this
// call deleted it.
std::string SendTransaction::DeleteBegunFiles(const SendBeginning& b, bool* header_deleted) {
  const std::string lines_path = DelayedLinesPath(station_.DataRoot, b.id);
  const std::string header_path = DelayedHeaderPath(station_.DataRoot, b.id);
  // The two are deleted at once; a line file that stays is only said.
  std::exception_ptr lines_failed;
  std::string why;
  FilesAtOnce(platform_.files,
              {[&](FileSystem& files) {
                 if (b.header_stamp)
                   Steps::Handle([&](const RuntimeError& e) { why = e.description(); })([&] {
                     const bool deleted =
                         TurnOver(&files).DeleteDelayedHeader(b.id, &*b.header_stamp);
                     if (header_deleted) *header_deleted = deleted;
                   });
               },
               [&](FileSystem& files) {
                 if (b.lines_stamp)
                   lines_failed =
                       Caught([&] { TurnOver(&files).DeleteDelayedLines(b.id, &*b.lines_stamp); });
               }});
  Recorded("Order " + b.id + ": its delayed line file " + lines_path + " could not be deleted",
           [&] { Raise(lines_failed); });
  platform_.files.SyncNames(header_path);
  return why;
}

// Said once a run, and so again after a restart, while the header is there;
// the order is left alone meanwhile.
void SendTransaction::SayHeaderLeft(const SendJournal& journal, const std::string& why) {
  const SendBeginning& b = journal.beginning();
  const std::string path = DelayedHeaderPath(station_.DataRoot, b.id);
  const std::string sent =
      "Order " + b.id + " was sent as phone order " + journal.Kept(kPioKept).value_or("?");
  if (b.header_stamp && platform_.files.Stamp(path) == b.header_stamp)
    report_.Hold(b.id, sent + ", but its header " + path + " could not be deleted (" +
                           (why.empty() ? std::string("it is still there") : why) +
                           "); it is not sent again, and the station deletes it as soon as it can");
  else
    report_.Hold(
        b.id, sent + " as it read when its send began, but another station has changed " + path +
                  " since; the changed order is not sent, for that would print it twice: send what "
                  "changed as a new order, then delete it");
}

// The month's log is opened for the SENT entry while the kitchen send
// writes the tickets and the phone order, when the log has entries already
// (the open never makes the month's log for an order that may halt before
// its entry). A resumed send looks in the log first, as AppendLogOnce does.
std::unique_ptr<LogOpenedAhead> SendTransaction::OpenLogAhead(const OrderSend& send) {
  const SendBeginning& b = send.journal->beginning();
  if (send.journal->Done(SendStep::kLogSent) || send.journal->Resumed() || b.log_size <= 0)
    return nullptr;
  return std::make_unique<LogOpenedAhead>(platform_.files, b.log_path);
}

// The SENT entry is what tells the operator an order went out, so it is
// written once every ticket of the order is in its spool or folder, and a
// log that cannot take it halts the send until it can.
void SendTransaction::LogSent(const OrderSend& send, LogOpenedAhead* opened) {
  if (!send.journal->Done(SendStep::kLogSent)) {
    const OrderHeader& h = send.header;
    Needed("the sent entry in " + send.journal->beginning().log_path, [&] {
      const std::vector<std::string> entry =
          SentLogEntry(send.id, send.n, h.customer_name, h.send_time, h.send_date,
                       PlainNumber(send.journal->beginning().pending_count));
      if (!opened || !opened->Append(entry)) AppendLogOnce(send, entry);
    });
    send.journal->Mark(SendStep::kLogSent);
  }
  platform_.status.Say("korv-delayed-send: sent " + send.id + " as phone order " +
                       std::to_string(send.n) + " for " + send.customer_name + " (due " +
                       send.header.send_date + " " + send.header.send_time + ")");
  report_.Sent(send.id, send.n);
}

// An append a crash cut off from its mark is in the log already, after the
// length the log had when the send began: it is not appended again. Errors
// go to the caller.
void SendTransaction::AppendLogOnce(const OrderSend& send, const std::vector<std::string>& lines) {
  const SendBeginning& b = send.journal->beginning();
  if (send.journal->Resumed() && LogHoldsEntry(platform_.files, b.log_path, b.log_size, lines))
    return;
  AppendLogEntry(platform_.files, b.log_path, lines);
}

// The header's name, phone and customer number win over the customer file's.
// Only customer number 0 is an unknown customer; a number that names no
// record reads as a blank record, which the header's own name and phone
// fill. A resumed send takes the customer again (the engine needs it); only
// the log entry of an unknown customer is written once.
void SendTransaction::TakeCustomer(OrderSend& send) {
  const OrderHeader& h = send.header;
  send.unknown_customer = Val(h.customer_number) == 0;
  send.customer_name = Trim(h.customer_name);
  if (send.unknown_customer || send.customer_name.empty()) send.customer_name = "Unknown";
  station_.CustRecNo = PhoneOrderRecordNumber(h.customer_number);
  if (send.unknown_customer) SayUnknownCustomer(send);
  station_.OrderCustRecNo = station_.CustRecNo;
  report_.Progress("Sending order for " + send.customer_name);
  station_.Customer = CustomerRecord();  // never the previous order's
  if (!send.unknown_customer) ReadCustomerOfSend(send);
  // What the record leaves blank, the header gives: the tickets and the
  // phone order show the customer the order-entry station named.
  if (Trim(station_.Customer.Text(3)).empty()) station_.Customer.Set(3, send.customer_name);
  if (Trim(station_.Customer.Text(2)).empty()) station_.Customer.Set(2, Trim(h.phone));
  platform_.loop.DoEvents();
  station_.CustName = send.customer_name;
  station_.CustPhone = Trim(h.phone);
  station_.CustNumber = station_.CustNumberCopy = Trim(h.customer_number);
}

void SendTransaction::SayUnknownCustomer(const OrderSend& send) {
  const std::string message =
      "Customer not found - Record Number was ZERO - Marked name to unknown - file name was " +
      send.header_path;
  report_.Fault(message, false);
  if (send.journal->Done(SendStep::kTakeCustomer)) return;
  Recorded("Order " + send.id + ": its unknown customer could not be logged in " +
               send.journal->beginning().log_path,
           [&] { AppendLogOnce(send, {message}); });
  send.journal->Mark(SendStep::kTakeCustomer);
}

// A record that cannot be read (another station holds the customer file)
// halts the send for a while, since it holds the address the kitchen ticket
// prints; past that, the order goes with the header's name and phone.
void SendTransaction::ReadCustomerOfSend(const OrderSend& send) {
  if (send.customer) {
    station_.Customer = *send.customer;
    return;
  }
  if (CustomerRecordNumber(platform_.files, station_.DataRoot, send.header.customer_number) == 0)
    return;
  try {
    ReadCustomer(station_, platform_.files);
  } catch (const std::exception& e) {
    station_.Customer = CustomerRecord();
    const std::string why = "customer record " + std::to_string(station_.CustRecNo) + " of " +
                            CustomerFilePath(station_.DataRoot) + " cannot be read (" +
                            ExplainedError(AsRuntimeError(e)) + ")";
    const DateTime began = send.journal->beginning().time;
    const DateTime now = platform_.clock.Now();
    const int64_t waited =
        (now.date.Serial() - began.date.Serial()) * 86400LL + now.seconds - began.seconds;
    if (waited < kCustomerPatienceSeconds) throw StepsHalted{why};
    report_.Fault("Order " + send.id + ": " + why +
                  "; it is sent with the name and phone of its header");
  }
}

// The engine and the printing service work under the send's journal: the
// numbers it kept, and each ticket once. The completion's files are put on
// disk before the step is marked.
void SendTransaction::HandToEngine(const OrderSend& send) {
  if (send.journal->Done(SendStep::kHandToEngine)) {
    station_.SendStatus = "SENT";
    return;
  }
  station_.SendStatus = "WAIT";
  Needed("the kitchen send of phone order " + std::to_string(send.n), [&] {
    engine_.SendToKitchen(*send.journal, send.lines_copied ? &send.lines_read->text : nullptr);
  });
  send.journal->Mark(SendStep::kHandToEngine);
}

void SendTransaction::AwaitSent(const OrderSend& send) {
  for (int i = 0; i < kSentWaitRounds && station_.SendStatus != "SENT"; ++i) {
    platform_.loop.DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (station_.SendStatus != "SENT")
    report_.Fault("The kitchen send of order " + send.id + " (phone order " +
                      std::to_string(send.n) + ") did not report SENT; check its tickets",
                  false);
}

void SendTransaction::UnloadAndClear() {
  engine_.Unload();
  station_.PioNumber = 0;
  station_.PioNumberText.clear();
  station_.OrderKey.clear();
  platform_.loop.DoEvents();
}

// While the delayed header is still there, the journal is kept as the memory
// that its order went out.
void SendTransaction::EndSend(const OrderSend& send) {
  if (send.header_left) return send.journal->Mark(SendStep::kHeaderLeft);
  send.journal->End();
}

// The send stays where it stopped, its journal as it is; the next pass
// finishes it. Its order is left alone until then.
void SendTransaction::HaltSend(const OrderSend& send, const StepsHalted& halted) {
  engine_.Unload();
  platform_.files.CloseAll();
  report_.LeaveAlone(send.id);
  report_.Halted(send.id, halted.reason);
  if (halted.ends_pass) {
    halted_ = true;
    report_.HaltPass();
  }
  report_.Fault("The send of order " + send.id + " stopped: " + halted.reason +
                "; it is finished from where it stopped at a later pass");
}

}  // namespace korv
