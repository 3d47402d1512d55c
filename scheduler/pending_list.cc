// UpdateList: the pending orders read again from the delayed header files of
// the watched folder File1, in the folder's own name order (DS10 before
// DS9), and shown in MList1 and List1. The dispatch pass walks the same
// orders as its worklist.

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "common/runtime_error.h"
#include "common/val.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {
namespace {

// Puts the list's caption back however the rebuild ends.
class CaptionRestorer {
 public:
  explicit CaptionRestorer(MultiColumnList& list) : list_(list), caption_(list.Caption()) {}
  ~CaptionRestorer() { list_.SetCaption(caption_); }

 private:
  MultiColumnList& list_;
  std::string caption_;
};

// File1's path already ends in "\" when it is set to DataRoot & "PhoneOrders\".
std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
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

void KORVdelayedSend1::ShowPendingCount(int count) {
  pending_count_ = count;
  Label2.SetCaption(PlainNumber(count));
}

void KORVdelayedSend1::ClearPending() {
  pending_.clear();
  MList1.Clear();
  List1.Clear();
}

void KORVdelayedSend1::AddPending(PendingOrder order) {
  MList1.AddItem(PendingRowText(order));
  MList1.SetItemData(MList1.NewIndex(), order.id);
  List1.AddItem(order.header.order_id);
  pending_.push_back(std::move(order));
}

void KORVdelayedSend1::RemovePending(int index) {
  MList1.RemoveItem(index);
  List1.RemoveItem(index);
  pending_.erase(pending_.begin() + index);
}

std::filesystem::path KORVdelayedSend1::PendingFolder() const {
  return platform_.files.HostPath(File1.Path());
}

// Reads one listed header and adds its row. False when the file has gone
// (another station sent or withdrew the order since the folder was read), or
// when the header is passed by for this pass.
bool KORVdelayedSend1::ReadPending(const std::filesystem::path& folder, const std::string& name) {
  FileSystem& files = platform_.files;
  station_.WorkPath = JoinPath(File1.Path(), name);
  // The names come from the folder's own listing, so they are read through
  // the folder's host path without matching each one's letter case again.
  const std::string path = (folder / name).string();
  ChangeStamp stamp;
  OrderHeader header;
  try {
    header = ReadHeader(files, path, &stamp);
  } catch (const RuntimeError& e) {
    if (e.number() == kErrFileNotFound || HeaderGone(files, path)) return false;
    return PassHeaderBy("cannot be read (" + e.description() + ")");
  }
  if (!NamesItsOwnFile(header.order_id, name))
    return PassHeaderBy("names another order, \"" + Trim(header.order_id) +
                        "\", in its order id: it is not sent, and that order's files are not "
                        "touched");
  AddPending(MakePendingOrder(name, std::move(header), stamp, station_.date_order));
  return true;
}

// A header that cannot be read yet (an order-entry station may be writing
// it: empty, or cut short) or that names another order gets no row: it is
// named in the error text and read again on the next pass (its name is
// listed and no row holds it), while the other orders are listed and sent.
bool KORVdelayedSend1::PassHeaderBy(const std::string& why) {
  ReportError("The delayed order header " + station_.WorkPath + " " + why +
              "; it is passed by and read again on the next pass");
  return false;
}

std::vector<std::string> KORVdelayedSend1::PendingIds() const {
  std::vector<std::string> ids;
  for (const PendingOrder& order : pending_) ids.push_back(order.header.order_id);
  return ids;
}

bool KORVdelayedSend1::SameNamesAsListed() const {
  if (File1.ListCount() != static_cast<int>(pending_.size())) return false;
  for (int i = 0; i < File1.ListCount(); ++i)
    if (File1.List(i) != pending_[i].file_name) return false;
  return true;
}

void KORVdelayedSend1::UpdateList() {
  CaptionRestorer restore(MList1);
  MList1.SetCaption("Updating List");
  ClearPending();
  const std::filesystem::path folder = PendingFolder();
  for (int i = 0; i < File1.ListCount(); ++i) ReadPending(folder, File1.List(i));
  ShowPendingCount(static_cast<int>(pending_.size()));
}

// One stat a header: a row holds while its header's size, times and identity
// are those it was read under, and were so long enough to be trusted.
std::vector<bool> KORVdelayedSend1::RowsThatHold(const std::filesystem::path& folder) const {
  std::vector<bool> holds;
  holds.reserve(pending_.size());
  for (const PendingOrder& order : pending_) {
    std::optional<ChangeStamp> now =
        platform_.files.ChangeStampOf((folder / order.file_name).string());
    holds.push_back(now && order.stamp.StillHolds(*now));
  }
  return holds;
}

// When headers only went (the usual case: the order just sent), their rows
// are taken out and every other row stays as it is. False when any header
// came, so the list must be merged.
bool KORVdelayedSend1::DropGoneRows() {
  std::vector<int> gone;
  int j = 0;
  for (int i = 0; i < static_cast<int>(pending_.size()); ++i) {
    if (j < File1.ListCount() && File1.List(j) == pending_[i].file_name)
      ++j;
    else
      gone.push_back(i);
  }
  if (j != File1.ListCount()) return false;
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) RemovePending(*it);
  return true;
}

void KORVdelayedSend1::RefreshList(bool look_at_headers) {
  const std::filesystem::path folder = PendingFolder();
  std::vector<bool> holds(pending_.size(), true);
  if (look_at_headers) holds = RowsThatHold(folder);
  const bool all_hold = std::find(holds.begin(), holds.end(), false) == holds.end();
  if (all_hold && (SameNamesAsListed() || DropGoneRows())) {
    ShowPendingCount(static_cast<int>(pending_.size()));
    return;
  }
  std::unordered_map<std::string, PendingOrder> kept;
  for (size_t i = 0; i < pending_.size(); ++i)
    if (holds[i]) kept.emplace(pending_[i].file_name, std::move(pending_[i]));
  CaptionRestorer restore(MList1);
  MList1.SetCaption("Updating List");
  ClearPending();
  for (int i = 0; i < File1.ListCount(); ++i) {
    const std::string& name = File1.List(i);
    auto it = kept.find(name);
    if (it == kept.end())
      ReadPending(folder, name);
    else
      AddPending(std::move(it->second));
  }
  ShowPendingCount(static_cast<int>(pending_.size()));
}

}  // namespace korv
