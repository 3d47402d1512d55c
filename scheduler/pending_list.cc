// The pending orders of the dispatch pass, read from the delayed header
// files of the watched folder, in the folder's own name order (DS10 before
// DS9): the pass walks them as its worklist, and its observers show them.

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "common/run_together.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "scheduler/dispatch_pass.h"

namespace korv {

// One listed header as read and made into its row, or why it could not be.
struct HeaderRead {
  std::optional<PendingOrder> row;
  std::optional<RuntimeError> error;
};

namespace {

// Tells the observers a reading of the rows is over however it ends.
class Updating {
 public:
  explicit Updating(const std::vector<PassObserver*>& observers) : observers_(observers) {
    for (PassObserver* o : observers_) o->Updating(true);
  }
  ~Updating() {
    for (PassObserver* o : observers_) o->Updating(false);
  }

 private:
  const std::vector<PassObserver*>& observers_;
};

// The listing's path already ends in "\" when it is set to DataRoot & "PhoneOrders\".
std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

// Headers read at once: on a share each read waits its round trips, and
// the server answers this many at a time as readily as one.
constexpr size_t kHeadersInFlight = 16;

// The named headers of the folder, read together, in the order named, each
// made into its row by the thread that read it: parsing ten thousand headers
// one after the other would cost as much as reading them. The names come
// from the folder's own listing, so they are read through the folder's host
// path without matching each one's letter case again.
std::vector<HeaderRead> ReadHeaders(const FileSystem& files, const std::filesystem::path& folder,
                                    const std::vector<std::string>& names, DateOrder date_order) {
  std::vector<HeaderRead> reads(names.size());
  RunTogether(names.size(), kHeadersInFlight, [&](size_t i) {
    try {
      ChangeStamp stamp;
      std::string text = ReadLockedFile(files.At(folder, names[i]), &stamp);
      reads[i].row =
          MakePendingOrder(names[i], OrderHeader::FromText(std::move(text)), stamp, date_order);
    } catch (const std::exception& e) {
      reads[i].error = AsRuntimeError(e);
    }
  });
  return reads;
}

// Gone since the listing: a header that cannot even be looked at is not.
bool HeaderGone(const FileSystem& files, const std::string& path) {
  try {
    return !files.StampIfAny(path);
  } catch (const RuntimeError&) {
    return false;
  }
}

}  // namespace

void DispatchPass::ShowPendingCount(int count) {
  pending_count_ = count;
  Tell([&](PassObserver& o) { o.Counted(count); });
}

void DispatchPass::ClearPending() {
  pending_.clear();
  Tell([](PassObserver& o) { o.RowsCleared(); });
}

void DispatchPass::AddPending(PendingOrder order) {
  pending_.push_back(std::move(order));
  Tell([&](PassObserver& o) { o.RowAdded(pending_.back()); });
}

void DispatchPass::RemovePending(int index) {
  pending_.erase(pending_.begin() + index);
  Tell([&](PassObserver& o) { o.RowRemoved(index); });
}

std::filesystem::path DispatchPass::PendingFolder() const {
  return platform_.files.HostPath(listing_.Path());
}

// Adds the row of one listed header as it was read. False when the file
// has gone (another station sent or withdrew the order since the folder was
// read), or when the header is passed by for this pass.
bool DispatchPass::AddRead(const std::filesystem::path& folder, const std::string& name,
                           HeaderRead& read) {
  station_.WorkPath = JoinPath(listing_.Path(), name);
  if (read.error) {
    const RuntimeError& e = *read.error;
    if (e.number() == kErrFileNotFound || HeaderGone(platform_.files, (folder / name).string()))
      return false;
    return PassHeaderBy("cannot be read (" + e.description() + ")");
  }
  if (!NamesItsOwnFile(read.row->header.order_id, name))
    return PassHeaderBy("names another order, \"" + read.row->id +
                        "\", in its order id: it is not sent, and that order's files are not "
                        "touched");
  AddPending(std::move(*read.row));
  if (in_tick_) read_this_tick_.insert(name);
  return true;
}

// A header that cannot be read yet (an order-entry station may be writing
// it: empty, or cut short) or that names another order gets no row: it is
// named in the error text and read again on the next pass (its name is
// listed and no row holds it), while the other orders are listed and sent.
bool DispatchPass::PassHeaderBy(const std::string& why) {
  Say("The delayed order header " + station_.WorkPath + " " + why +
      "; it is passed by and read again on the next pass");
  return false;
}

bool DispatchPass::SameNamesAsListed() const {
  if (listing_.ListCount() != static_cast<int>(pending_.size())) return false;
  for (int i = 0; i < listing_.ListCount(); ++i)
    if (listing_.List(i) != pending_[i].file_name) return false;
  return true;
}

void DispatchPass::UpdateList() {
  Updating updating(observers_);
  ClearPending();
  const std::filesystem::path folder = PendingFolder();
  std::vector<std::string> names;
  names.reserve(listing_.ListCount());
  for (int i = 0; i < listing_.ListCount(); ++i) names.push_back(listing_.List(i));
  std::vector<HeaderRead> reads = ReadHeaders(platform_.files, folder, names, station_.date_order);
  pending_.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) AddRead(folder, names[i], reads[i]);
  ShowPendingCount(static_cast<int>(pending_.size()));
}

// One stat a header, the headers looked at together: a row holds while its
// header's size, times and identity are those it was read under, and were
// so long enough to be trusted. A row read this very tick holds without a
// look (the first tick of a run reads every header).
std::vector<bool> DispatchPass::RowsThatHold(const std::filesystem::path& folder) const {
  std::vector<char> holds(pending_.size(), 0);  // a byte each: written from several threads
  RunTogether(pending_.size(), kHeadersInFlight, [&](size_t i) {
    const PendingOrder& order = pending_[i];
    if (read_this_tick_.count(order.file_name)) {
      holds[i] = 1;
      return;
    }
    std::optional<ChangeStamp> now = ChangeStampAt(platform_.files.At(folder, order.file_name));
    holds[i] = now && order.stamp.StillHolds(*now);
  });
  return std::vector<bool>(holds.begin(), holds.end());
}

bool DispatchPass::RowHolds(const PendingOrder& order) const {
  return RowHoldsIn(platform_.files, PendingFolder(), order);
}

bool DispatchPass::RowHoldsIn(const FileSystem& files, const std::filesystem::path& folder,
                              const PendingOrder& order) {
  std::optional<ChangeStamp> now = ChangeStampAt(files.At(folder / order.file_name));
  return now && order.stamp.StillHolds(*now);
}

// When headers only went (the usual case: the order just sent), their rows
// are taken out and every other row stays as it is. False when any header
// came, so the list must be merged.
bool DispatchPass::DropGoneRows() {
  std::vector<int> gone;
  int j = 0;
  for (int i = 0; i < static_cast<int>(pending_.size()); ++i) {
    if (j < listing_.ListCount() && listing_.List(j) == pending_[i].file_name)
      ++j;
    else
      gone.push_back(i);
  }
  if (j != listing_.ListCount()) return false;
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) RemovePending(*it);
  return true;
}

void DispatchPass::RefreshList(bool look_at_headers) {
  const std::filesystem::path folder = PendingFolder();
  std::vector<bool> holds(pending_.size(), true);
  if (look_at_headers) holds = RowsThatHold(folder);
  const bool all_hold = std::find(holds.begin(), holds.end(), false) == holds.end();
  if (all_hold && (SameNamesAsListed() || DropGoneRows())) {
    ShowPendingCount(static_cast<int>(pending_.size()));
    return;
  }
  MergeRows(folder, std::move(holds));
}

void DispatchPass::ReadRowAgain(const PendingOrder& order) {
  std::vector<bool> holds(pending_.size());
  for (size_t i = 0; i < pending_.size(); ++i) holds[i] = &pending_[i] != &order;
  MergeRows(PendingFolder(), std::move(holds));
}

void DispatchPass::MergeRows(const std::filesystem::path& folder, std::vector<bool> holds) {
  std::unordered_map<std::string, PendingOrder> kept;
  for (size_t i = 0; i < pending_.size(); ++i)
    if (holds[i]) kept.emplace(pending_[i].file_name, std::move(pending_[i]));
  Updating updating(observers_);
  std::vector<std::string> new_names;
  for (int i = 0; i < listing_.ListCount(); ++i)
    if (!kept.count(listing_.List(i))) new_names.push_back(listing_.List(i));
  std::vector<HeaderRead> reads =
      ReadHeaders(platform_.files, folder, new_names, station_.date_order);
  ClearPending();
  pending_.reserve(listing_.ListCount());
  size_t next_read = 0;
  for (int i = 0; i < listing_.ListCount(); ++i) {
    const std::string& name = listing_.List(i);
    auto it = kept.find(name);
    if (it == kept.end())
      AddRead(folder, name, reads[next_read++]);
    else
      AddPending(std::move(it->second));
  }
  ShowPendingCount(static_cast<int>(pending_.size()));
}

}  // namespace korv
