// RecoverSends: the sends the station began and did not end, because it was
// killed or lost its power in them, finished from where they stopped by the
// send's own steps (send_order.h); and the sent orders whose delayed header
// is still there, kept from being sent again.

#include <filesystem>
#include <future>
#include <system_error>
#include <vector>

#include "common/order_paths.h"
#include "common/val.h"
#include "platform/files/temp_files.h"
#include "scheduler/send_transaction.h"

namespace korv {

void SendTransaction::RecoverSends() {
  halted_ = false;
  if (!temporaries_cleared_) ClearTemporaries();
  const std::string folder = SendJournalFolder(station_.LocalRoot);
  std::vector<std::string> journals;
  try {
    journals = platform_.files.List(folder, "*.jnl");
  } catch (const std::exception& e) {
    // Sending now could send an order whose send is unfinished there.
    halted_ = true;
    report_.HaltPass();
    return report_.Fault("The unfinished sends in " + folder + " cannot be read (" +
                         ExplainedError(AsRuntimeError(e)) +
                         "); no order is sent until they can be");
  }
  for (const std::string& name : journals)
    if (!halted_) RecoverSend(folder + name);
}

void SendTransaction::RecoverSend(const std::string& journal_path) {
  std::unique_ptr<SendJournal> journal;
  try {
    journal = SendJournal::Resume(platform_.files.HostPath(journal_path));
  } catch (const RuntimeError& e) {
    if (e.number() != kErrPermissionDenied)  // else a send under way in another process
      report_.Fault("The unfinished send in " + journal_path +
                    " cannot be read: " + e.description());
    return;
  }
  if (!journal) return;  // it ended before its first change
  const std::string id = journal->beginning().id;
  try {
    if (journal->Ended()) return journal->End();
    // Without its folder every step would fail, be passed over and be
    // marked done: the order would be lost. The share may come back.
    const std::string orders = PhoneOrdersFolder(station_.DataRoot);
    if (!platform_.files.FolderExists(orders)) {
      const std::string why =
          "The unfinished send of order " + id + " waits until " + orders + " can be reached again";
      report_.ShareDown(orders + " cannot be reached");
      report_.Hold(id, why);
      return;
    }
    if (journal->Done(SendStep::kHeaderLeft)) return LeftHeader(*journal);
    if (!TakeBackOrder(*journal)) {
      report_.Fault("The unfinished send of order " + id +
                        " is dropped: another station took the order meanwhile, and this station "
                        "had printed none of it",
                    false);
      RemoveCopies(*journal);
      return journal->End();
    }
  } catch (const StepsHalted& halted) {
    report_.Hold(id, "The unfinished send of order " + id + " cannot go on: " + halted.reason);
    return;
  } catch (const std::exception& e) {
    // Its files cannot be looked at: nothing is decided about it meanwhile.
    report_.Hold(id, "The unfinished send of order " + id + " waits: its files in " +
                         PhoneOrdersFolder(station_.DataRoot) + " cannot be looked at (" +
                         ExplainedError(AsRuntimeError(e)) + ")");
    return;
  }
  ResumeSend(std::move(journal));
  claim_->Release();
}

// Until its delayed files are deleted, the order is pending for every
// station, and no ticket of it has been printed. This station takes it back
// when its header is still the one the send began with and no other station
// holds it; a header that is gone was deleted by this very send, if it had
// begun deleting, else by another station that sent the order.
bool SendTransaction::TakeBackOrder(const SendJournal& journal) {
  if (journal.Done(SendStep::kDeleteDelayedPair)) return true;
  const SendBeginning& b = journal.beginning();
  if (!b.header_stamp) return true;
  const std::string header = DelayedHeaderPath(station_.DataRoot, b.id);
  if (platform_.files.StampIfAny(header) == b.header_stamp) return TakeClaim(b.id);
  return journal.Done(SendStep::kDeleting).has_value();
}

// A dropped send leaves no phone order of its own: the copies it had made of
// the delayed files (the same bytes the send began with) go, while a phone
// order of that number with other bytes is another order's and stays.
void SendTransaction::RemoveCopies(const SendJournal& journal) {
  const std::optional<std::string> kept = journal.Kept("pio");
  if (!kept) return;
  const SendBeginning& b = journal.beginning();
  const int n = static_cast<int>(Val(*kept));
  const auto same_bytes = [](const std::optional<FileStamp>& a, const std::optional<FileStamp>& o) {
    return a && o && a->size == o->size && a->digest == o->digest;
  };
  for (const auto& [copy, began] :
       {std::pair{PhoneOrderLinesPath(station_.DataRoot, n), b.lines_stamp},
        std::pair{PhoneOrderHeaderPath(station_.DataRoot, n), b.header_stamp}}) {
    if (!same_bytes(platform_.files.Stamp(copy), began)) continue;
    Steps::Handle([&](const RuntimeError& e) {
      report_.Fault("The copy " + copy + " of the dropped send of order " + b.id +
                    " could not be deleted (" + ExplainedError(e) + "); delete it by hand");
    })([&] { platform_.files.Kill(copy); });
  }
}

// A sent order whose delayed header is still there: the header is deleted
// as soon as it can be (while it is the one the send read), the order is
// passed by meanwhile, and the journal, its memory, ends once the header is
// gone; a DS<k> written after that is a new order.
void SendTransaction::LeftHeader(SendJournal& journal) {
  const std::string& id = journal.beginning().id;
  const std::string path = DelayedHeaderPath(station_.DataRoot, id);
  const std::string why = DeleteBegunFiles(journal.beginning());
  if (!platform_.files.StampIfAny(path)) {
    platform_.status.Say("korv-delayed-send: the delayed header " + path + " of order " + id +
                         ", sent before, is gone now");
    return journal.End();
  }
  SayHeaderLeft(journal, why);
}

// Every folder the send writes in; a process of this station that died
// while writing left its temporary there. The folders are read whole, and
// the orders' folder and the archive hold thousands: the clearing runs
// beside the start's first pass rather than before it. It touches only
// temporaries of processes that are gone, which no send of this process
// names or reads.
void SendTransaction::ClearTemporaries() {
  temporaries_cleared_ = true;
  const std::string& data = station_.DataRoot;
  if (Trim(data).empty()) return;
  std::vector<std::filesystem::path> folders;
  for (const std::string& folder :
       {PhoneOrdersFolder(data), ArchiveFolder(data), data + "data\\", data, data + "KitMonitor\\",
        LastOrderFolder(data), station_.LocalRoot + "data\\",
        SendJournalFolder(station_.LocalRoot)})
    folders.push_back(platform_.files.HostPath(folder));
  auto clear = [folders] {
    for (const std::filesystem::path& folder : folders) ClearDeadTemporaries(folder);
  };
  try {
    clearing_ = std::async(std::launch::async, clear);
  } catch (const std::system_error&) {
    clear();  // the machine's limit on threads: cleared here, before the pass
  }
}

}  // namespace korv
