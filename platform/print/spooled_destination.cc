#include "platform/print/spooled_destination.h"

#include <iostream>

#include "common/runtime_error.h"
#include "platform/print/ticket_headings.h"
#include "platform/screen/journal_priority.h"

namespace korv {

SpooledDestination::SpooledDestination(std::string device_name, std::string described,
                                       std::filesystem::path spool_folder,
                                       std::unique_ptr<PrinterLink> link, EscPosPrinter printer,
                                       SenderOptions options, bool sending)
    : device_name_(std::move(device_name)),
      described_(std::move(described)),
      spool_(std::move(spool_folder)),
      link_(std::move(link)),
      printer_(printer),
      options_(options),
      sending_(sending) {
  if (sending) spool_.RemoveUnfinished();
  for (const SpoolJob& job : spool_.Jobs()) queue_.push_back(job);
  if (!options_.start_later) Start();
}

void SpooledDestination::Start() {
  if (sending_ && !sender_.joinable()) sender_ = std::thread([this] { Run(); });
}

SpooledDestination::~SpooledDestination() { Stop(); }

void SpooledDestination::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (sender_.joinable()) sender_.join();
}

void SpooledDestination::Deliver(const Document& doc) {
  Queue(spool_.Add(RenderEscPos(doc, printer_)));
}

int64_t SpooledDestination::Reserve(const Document&) { return spool_.Reserve(); }

bool SpooledDestination::Holds(int64_t ref, const Document& doc) {
  return spool_.Holds(ref, RenderEscPos(doc, printer_));
}

// A failure names the spool folder, which is what an administrator mends.
bool SpooledDestination::DeliverAs(int64_t ref, const Document& doc) {
  try {
    return spool_.Stage(ref, RenderEscPos(doc, printer_));
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(),
                       e.description() + " in the spool folder " + spool_.folder().string());
  }
}

// A job found in the spool at start-up is queued already.
void SpooledDestination::Release(int64_t ref) {
  if (std::optional<SpoolJob> job = spool_.Release(ref)) Queue(*job);
}

void SpooledDestination::Queue(const SpoolJob& job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const SpoolJob& queued : queue_)
      if (queued.number == job.number) return;
    queue_.push_back(job);
  }
  changed_.notify_all();
}

void SpooledDestination::RetryNow() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    retry_now_ = true;
  }
  changed_.notify_all();
}

DestinationState SpooledDestination::State() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {static_cast<int>(queue_.size()), problem_, condition_};
}

void SpooledDestination::SetBackup(SpooledDestination* backup, std::chrono::seconds after) {
  backup_ = backup;
  backup_after_ = after;
}

bool SpooledDestination::Drain(std::chrono::milliseconds within) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, within, [this] { return queue_.empty(); });
}

void SpooledDestination::Run() {
  std::chrono::milliseconds pause = options_.first_retry;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (queue_.empty()) {
      changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      continue;
    }
    SpoolJob job = queue_.front();
    retry_now_ = false;  // this attempt is the one asked for
    lock.unlock();
    Outcome outcome = SendOne(job);
    lock.lock();
    Learned(outcome.condition);
    if (outcome.problem.empty()) {
      queue_.pop_front();
      if (!problem_.empty()) Report("takes print jobs again", Priority::kInfo);
      problem_.clear();
      pause = options_.first_retry;
      changed_.notify_all();
      continue;
    }
    if (!queue_.empty() && queue_.front().number == job.number) queue_.front() = job;
    if (stop_) break;
    if (problem_.empty()) {
      Report("holds its print jobs back and keeps trying: " + outcome.problem, Priority::kWarning);
      failing_since_ = std::chrono::steady_clock::now();
    }
    problem_ = outcome.problem;
    if (ShouldReroute()) {
      lock.unlock();
      Reroute();
      lock.lock();
    }
    // A new ticket is worth a try at once: the printer may be back.
    size_t known = queue_.size();
    changed_.wait_for(lock, pause, [&] { return stop_ || retry_now_ || queue_.size() != known; });
    const auto longest = HoldsTickets(condition_) ? options_.status_retry : options_.longest_retry;
    pause = retry_now_ ? options_.first_retry : std::min(pause * 2, longest);
  }
}

void SpooledDestination::Learned(PrinterCondition condition) {
  if (condition == PrinterCondition::kPaperNearEnd && condition_ != condition)
    Report("reports its paper near its end", Priority::kWarning);
  condition_ = condition;
}

SpooledDestination::Outcome SpooledDestination::SendOne(SpoolJob& job) {
  std::string bytes;
  try {
    bytes = spool_.Read(job);
  } catch (const RuntimeError& e) {
    Report("lost " + job.path.string() + " from its spool: " + e.description(), Priority::kError);
    return {};  // nothing left to send
  }
  const bool repeat = job.marked;
  if (repeat && PrintsText(bytes))
    bytes = HeadingBytes(RepeatHeadingText(TicketLabel(bytes)), printer_) + bytes;
  try {
    spool_.Mark(job);
  } catch (const RuntimeError&) {
    // A full spool disk must not keep a ticket from the kitchen; only a crash
    // in the next moments could then leave a repeat unmarked.
  }
  LinkAttempt attempt;
  try {
    link_->Send(bytes, stop_, attempt);
  } catch (const std::exception& e) {
    if (!attempt.reached && !repeat) spool_.Unmark(job);
    const RuntimeError* error = dynamic_cast<const RuntimeError*>(&e);
    return {error ? error->description() : e.what(), attempt.before};
  }
  if (MayHaveSpoiled(attempt.after))
    return {std::string("it reported ") + ConditionText(attempt.after) +
                " as it took a ticket, which goes again as a possible repeat",
            attempt.after};
  try {
    spool_.Remove(job);
  } catch (const RuntimeError& e) {
    // The printer has it; a job left behind would print again after a restart.
    Report("printed " + job.path.string() + " but cannot remove it: " + e.description(),
           Priority::kWarning);
  }
  return {{}, attempt.after != PrinterCondition::kUnknown ? attempt.after : attempt.before};
}

bool SpooledDestination::ShouldReroute() const {
  if (!backup_ || queue_.empty()) return false;
  return MayHaveSpoiled(condition_) ||
         std::chrono::steady_clock::now() - failing_since_ >= backup_after_;
}

bool SpooledDestination::Accepting() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!sending_ || !problem_.empty() || HoldsTickets(condition_)) return false;
  }
  constexpr auto kAsk = std::chrono::seconds(2);
  return link_->Check(kAsk).empty() && !HoldsTickets(link_->Ask(kAsk));
}

void SpooledDestination::TakeOver(const std::string& bytes) { Queue(spool_.Add(bytes)); }

void SpooledDestination::Reroute() {
  if (!backup_->Accepting()) return;
  std::deque<SpoolJob> held;
  PrinterCondition condition;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    held = queue_;
    condition = condition_;
  }
  const std::string heading =
      HeadingBytes(BackupHeadingText(device_name_, condition), backup_->printer_);
  int moved = 0;
  for (const SpoolJob& job : held) {
    try {
      std::string bytes = spool_.Read(job);
      if (PrintsText(bytes)) {
        const std::string repeat = RepeatHeadingText(TicketLabel(bytes));
        bytes = heading + (job.marked ? HeadingBytes(repeat, backup_->printer_) : "") + bytes;
      }
      if (!spool_.SetAside(job)) continue;
      try {
        backup_->TakeOver(bytes);
      } catch (...) {
        spool_.PutBack(job);
        throw;
      }
      spool_.Moved(job);
    } catch (const RuntimeError& e) {
      Report("cannot send " + job.path.string() + " to its backup printer: " + e.description(),
             Priority::kError);
      break;  // the rest keep their order behind it
    }
    ++moved;
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(queue_, [&](const SpoolJob& q) { return q.number == job.number; });
  }
  if (moved > 0)
    Report("sent " + std::to_string(moved) + " held ticket(s) to its backup printer " +
               backup_->device_name_,
           Priority::kWarning);
}

void SpooledDestination::Report(const std::string& line, Priority priority) const {
  std::ostream& out = options_.report ? *options_.report : std::cerr;
  const std::string mark = options_.priority_marks ? PriorityMark(priority) : std::string();
  out << (mark + "Printer " + device_name_ + " (" + described_ + ") " + line + "\n") << std::flush;
}

}  // namespace korv
