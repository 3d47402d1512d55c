#pragma once
// A ticket printer reached through a PrinterLink (network port, device file,
// CUPS queue), with a spool in front so that no ticket is lost to a printer
// that is off, out of paper or unreachable.
//
// Deliver renders the document as ESC/POS for this printer (its red, columns
// and code page), stores it in the printer's spool folder (on disk before it
// returns) and returns at once; a failure to store it is raised. One sender
// thread per printer then hands the jobs to the printer in order. A job
// leaves the spool only when the printer has taken it; otherwise the sender
// tries again after a pause that doubles from the first retry pause up to the
// longest (a new ticket or RetryNow makes it try at once). Jobs found in the spool at
// start-up are sent first, so a restart loses nothing. A dead printer holds
// up only its own sender: never another printer, never the caller of Deliver.
//
// When the printer starts failing (a warning), and when it takes jobs again,
// one line goes to the report stream (standard error in the station program);
// so does a job lost from the spool (an error).
//
// A printer that answers status queries (printer_link.h) and reports no
// paper, an open cover or offline is sent nothing: its jobs wait, it is
// asked again every few seconds, and they go out in order once it reports
// ready. Paper near its end is said once, and printed to. A job that may
// have reached the printer before (print_spool.h: a crash or a connection
// cut while it was handed over, or the printer reporting no paper or an
// open cover right after it) goes out again under a REPEAT? heading
// (ticket_headings.h), never unmarked.
//
// A backup printer (SetBackup) takes the held jobs, each under a heading
// naming the printer it was meant for, once this printer has held a job for
// the backup delay or reports no paper or an open cover, provided the backup
// itself is not holding jobs; when both are, the jobs stay here and go to
// whichever prints first. A job moves by being set aside here, stored in
// the backup's spool and only then removed; a crash in between leaves it
// here, marked as a possible repeat.

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "platform/print/escpos_renderer.h"
#include "platform/print/print_service.h"
#include "platform/print/print_spool.h"
#include "platform/print/printer_link.h"
#include "platform/screen/services.h"

namespace korv {

struct SenderOptions {
  std::chrono::milliseconds first_retry{1000};
  std::chrono::milliseconds longest_retry{60000};
  std::ostream* report = nullptr;  // null: standard error
  // Each report begins with its priority's mark (journal_priority.h), for a
  // report stream that reads them: the station program's standard error.
  bool priority_marks = false;
  // The sender starts at Start() instead of at once: the station program
  // first finishes the sends a crash interrupted.
  bool start_later = false;
  // The longest pause while the printer reports why it cannot print.
  std::chrono::milliseconds status_retry{5000};
};

class SpooledDestination : public Destination {
 public:
  // described: the destination as configured; printer: how its jobs are
  // rendered (red, columns, code page); sending: start the sender now (false: only look at the
  // spool, as an administrator's tool does while the station runs).
  SpooledDestination(std::string device_name, std::string described,
                     std::filesystem::path spool_folder, std::unique_ptr<PrinterLink> link,
                     EscPosPrinter printer, SenderOptions options, bool sending);
  // Stops the sender within a fraction of a second; unsent jobs stay spooled.
  ~SpooledDestination() override;

  void Deliver(const Document& doc) override;
  // A send's journal reserves the job's number, the job is staged, and it is
  // handed to the sender when the journal knows it is there.
  int64_t Reserve(const Document& doc) override;
  bool Holds(int64_t ref, const Document& doc) override;
  bool DeliverAs(int64_t ref, const Document& doc) override;
  void Release(int64_t ref) override;
  void Start() override;
  void Stop() override;
  // Wakes the sender from its pause between retries; the pauses start again
  // from the first retry pause, since the printer has likely been mended.
  void RetryNow() override;
  std::string Describe() const override { return described_; }
  DestinationState State() const override;
  // Waits until the printer has taken every spooled job; false when `within`
  // passed first.
  bool Drain(std::chrono::milliseconds within) override;
  std::string Check(std::chrono::milliseconds within) const override {
    return link_->Check(within);
  }
  PrinterCondition Ask(std::chrono::milliseconds within) const override {
    return link_->Ask(within);
  }
  const std::filesystem::path& SpoolFolder() const { return spool_.folder(); }
  // Before Start; the backup outlives this destination's sender.
  void SetBackup(SpooledDestination* backup, std::chrono::seconds after);

 private:
  struct Outcome {
    std::string problem;  // empty: the printer took the job
    PrinterCondition condition = PrinterCondition::kUnknown;
  };
  void Run();
  void Queue(const SpoolJob& job);
  Outcome SendOne(SpoolJob& job);
  // Under the lock: the condition the last attempt learned.
  void Learned(PrinterCondition condition);
  // Under the lock: whether the held jobs are due to go to the backup.
  bool ShouldReroute() const;
  // Without the lock: the held jobs to the backup, when it prints.
  void Reroute();
  // Whether this printer takes jobs now: its last attempt did not fail, and
  // it can be reached and does not report that it cannot print (asked, as
  // it may have no jobs to have failed on).
  bool Accepting() const;
  // Stores a rerouted job (headed already) and queues it.
  void TakeOver(const std::string& bytes);
  void Report(const std::string& line, Priority priority) const;

  const std::string device_name_;
  const std::string described_;
  PrintSpool spool_;
  std::unique_ptr<PrinterLink> link_;
  const EscPosPrinter printer_;
  const SenderOptions options_;
  const bool sending_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<SpoolJob> queue_;
  std::string problem_;
  PrinterCondition condition_ = PrinterCondition::kUnknown;
  std::chrono::steady_clock::time_point failing_since_;
  SpooledDestination* backup_ = nullptr;
  std::chrono::seconds backup_after_{60};
  bool retry_now_ = false;  // asked for since the last attempt began
  std::atomic<bool> stop_{false};
  std::thread sender_;
};

}  // namespace korv
