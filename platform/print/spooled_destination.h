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
  const std::filesystem::path& SpoolFolder() const { return spool_.folder(); }

 private:
  void Run();
  void Queue(const SpoolJob& job);
  // Empty when the printer took the job, else why not.
  std::string SendOne(const SpoolJob& job);
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
  bool retry_now_ = false;  // asked for since the last attempt began
  std::atomic<bool> stop_{false};
  std::thread sender_;
};

}  // namespace korv
