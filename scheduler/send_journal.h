#pragma once
// The journal of one send: what the station is about to do with one due
// order and how far it got, kept in its own folder (LocalRoot &
// "data\Journal\<id>.jnl", never shared) so that a send the station was
// killed in, or lost its power in, is finished from where it stopped rather
// than started again or lost. It is a write-ahead log: a record is on disk
// before the change it allows, and a mark is written after the change it
// records is on disk (the send's steps put their files on disk before they
// mark), so the journal never claims more than is there. A step's mark may
// reach the disk only with the next record (Mark): after a power cut the
// journal may then claim less than is there, and the step is done again.
//
// Records, one a line, fields separated by tabs (%, tab, CR and LF written
// as %XX):
//   begin    the order, its delayed header as read, which header and line
//            files the send began with, its time, SendDate and SendTime,
//            the month's log with its length then, the pending count
//   keep     a number the send drew: "pio", "kitchen", "bar", "receipt"
//   step     a step of the send done (send_order.h), with its outcome
//   doc/done the k-th document of the send: its printer and reserved
//            number, then whether it got there (DocumentLedger)
//   end      the send is over; the file is removed next (a send whose delayed
//            header could not be deleted stays at step HeaderLeft until it is)
// A record cut short by a crash is no record. A file without a whole begin
// record is a send that changed nothing.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/date_time.h"
#include "engine/send_ledger.h"
#include "platform/files/file_system.h"
#include "platform/files/journal_file.h"
#include "platform/print/print_service.h"
#include "scheduler/orderfiles/header_file.h"

namespace korv {

// The steps of a send that change shared files, by the names of the send's
// procedures; kDeleting is marked just before the delayed files go, and
// kHeaderLeft when the send is over but its delayed header is still there
// (the journal is then kept as the memory that the order went out).
enum class SendStep {
  kArchiveLines,
  kCopyToPhoneOrder,
  kDeleting,
  kDeleteDelayedPair,
  kRewriteOrderId,
  kLogSent,
  kArchiveHeader,
  kTakeCustomer,
  kHandToEngine,
  kHeaderLeft,
};

// What a send begins with, recorded before its first change.
struct SendBeginning {
  std::string id;                         // DS<k>
  OrderHeader header;                     // the delayed header as read
  std::optional<FileStamp> header_stamp;  // PhoneOrders\<id>.PH then
  std::optional<FileStamp> lines_stamp;   // PhoneOrders\<id>.Pio then
  DateTime time;                          // held for the whole send
  std::string send_date, send_time;       // SendDate and SendTime
  std::string log_path;                   // the month's delayed-send log
  int64_t log_size = 0;                   // its length then
  int pending_count = 0;                  // delayed orders pending, as shown
};

class SendJournal : public SendLedger, public DocumentLedger {
 public:
  // Records the beginning in a new journal file at host path; raises the
  // file layer's RuntimeError (58 when a journal of that name exists), and
  // then nothing was begun.
  static std::unique_ptr<SendJournal> Begin(const std::filesystem::path& path,
                                            const SendBeginning& beginning);
  // Reads a journal back to go on with it. Null when it holds no whole
  // beginning (the file is then removed: the send changed nothing). Raises
  // the file layer's RuntimeError when it cannot be read or reopened (70:
  // another process is sending it now).
  static std::unique_ptr<SendJournal> Resume(const std::filesystem::path& path);

  const SendBeginning& beginning() const { return beginning_; }
  bool Resumed() const { return resumed_; }
  bool Ended() const { return ended_; }

  // The outcome the step was marked with; none while it is not done.
  std::optional<std::string> Done(SendStep step) const;
  // Each record below is on disk before it returns; one that cannot be
  // written raises StepsHalted.
  void Mark(SendStep step, const std::string& outcome = "");
  std::optional<std::string> Kept(std::string_view name) const override;
  void Keep(std::string_view name, const std::string& value) override;
  LedgerEntry Entry(int document) const override;
  void Begin(int document, const std::string& printer, int64_t ref) override;
  void Done(int document, bool delivered) override;
  // Records the end and removes the file.
  void End();

 private:
  SendJournal(JournalFile file, SendBeginning beginning, bool resumed)
      : file_(std::move(file)), beginning_(std::move(beginning)), resumed_(resumed) {}
  void Apply(const std::vector<std::string>& record);
  void Record(const std::vector<std::string>& record, bool lazily = false);

  JournalFile file_;
  SendBeginning beginning_;
  bool resumed_;
  bool ended_ = false;
  std::map<SendStep, std::string> steps_;
  std::map<std::string, std::string, std::less<>> kept_;
  std::map<int, LedgerEntry> documents_;
};

}  // namespace korv
