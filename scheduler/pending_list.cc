// UpdateList: the pending-order list MList1 rebuilt from the delayed header
// files of the watched folder File1, in the folder's own name order (DS10
// before DS9). The dispatch pass walks the same rows as its worklist.

#include <filesystem>
#include <unordered_map>

#include "common/val.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/header_file.h"

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

// The weekday of the send date; blank when the date text cannot be read, so
// one order with a mistyped date still lets every other order be listed.
std::string DayColumn(const std::string& send_date) {
  try {
    return FormatWeekdayName(ParseDate(send_date));
  } catch (const RuntimeError&) {
    return "";
  }
}

std::string PendingRow(const OrderHeader& h, const DateTime& changed) {
  return Trim(h.order_id) + " - " + Trim(h.customer_name) + "|" + FormatMMDDYYYY(changed.date) +
         "|" + h.send_date + "|" + DayColumn(h.send_date) + "|" + h.send_time + "|" +
         h.customer_number;
}

}  // namespace

// Reads one listed header and appends its row. False when the file has gone:
// another station sent or withdrew the order since the folder was read.
bool KORVdelayedSend1::AppendPendingRow(const std::string& name) {
  FileSystem& files = platform_.files;
  station_.WorkPath = JoinPath(File1.Path(), name);
  // The names come from the folder's own listing, so they are read through
  // the folder's host path without matching each one's letter case again.
  std::string path = (files.HostPath(File1.Path()) / name).string();
  if (!files.Exists(path)) return false;
  OrderHeader header = ReadHeader(files, path);
  MList1.AddItem(PendingRow(header, files.FileDateTime(path)));
  List1.AddItem(header.order_id);
  MList1.SetItemData(MList1.NewIndex(), Trim(header.order_id));
  row_files_.push_back(name);
  return true;
}

bool KORVdelayedSend1::SameNamesAsListed() const {
  if (File1.ListCount() != static_cast<int>(row_files_.size()) ||
      MList1.Count() != File1.ListCount())
    return false;
  for (int i = 0; i < File1.ListCount(); ++i)
    if (File1.List(i) != row_files_[i]) return false;
  return true;
}

void KORVdelayedSend1::UpdateList() {
  CaptionRestorer restore(MList1);
  MList1.SetCaption("Updating List");
  MList1.Clear();
  List1.Clear();
  row_files_.clear();
  row_due_.clear();
  for (int i = 0; i < File1.ListCount(); ++i) AppendPendingRow(File1.List(i));
  Label2.SetCaption(PlainNumber(MList1.Count()));
}

// When headers only went (the usual case: the order just sent), their rows
// are taken out and every other row stays as it is. False when any header
// came, so the list must be merged.
bool KORVdelayedSend1::DropGoneRows() {
  if (MList1.Count() != static_cast<int>(row_files_.size())) return false;
  std::vector<int> gone;
  int j = 0;
  for (int i = 0; i < static_cast<int>(row_files_.size()); ++i) {
    if (j < File1.ListCount() && File1.List(j) == row_files_[i])
      ++j;
    else
      gone.push_back(i);
  }
  if (j != File1.ListCount()) return false;
  if (row_due_.size() != row_files_.size()) row_due_.clear();  // rebuilt when next read
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
    MList1.RemoveItem(*it);
    List1.RemoveItem(*it);
    row_files_.erase(row_files_.begin() + *it);
    if (!row_due_.empty()) row_due_.erase(row_due_.begin() + *it);
  }
  return true;
}

void KORVdelayedSend1::RefreshList() {
  if (SameNamesAsListed() || DropGoneRows()) {
    Label2.SetCaption(PlainNumber(MList1.Count()));
    return;
  }
  struct Kept {
    std::string text, data, id;
  };
  std::unordered_map<std::string, Kept> kept;
  for (int i = 0; i < MList1.Count() && i < static_cast<int>(row_files_.size()); ++i)
    kept[row_files_[i]] = Kept{MList1.Item(i), MList1.ItemData(i), List1.Item(i)};
  CaptionRestorer restore(MList1);
  MList1.SetCaption("Updating List");
  MList1.Clear();
  List1.Clear();
  row_files_.clear();
  row_due_.clear();
  for (int i = 0; i < File1.ListCount(); ++i) {
    const std::string& name = File1.List(i);
    auto it = kept.find(name);
    if (it == kept.end()) {
      AppendPendingRow(name);
      continue;
    }
    MList1.AddItem(std::move(it->second.text));
    MList1.SetItemData(MList1.NewIndex(), std::move(it->second.data));
    List1.AddItem(std::move(it->second.id));
    row_files_.push_back(name);
  }
  Label2.SetCaption(PlainNumber(MList1.Count()));
}

}  // namespace korv
