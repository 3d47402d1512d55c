// UpdateList: the pending-order list MList1 rebuilt from the delayed header
// files of the watched folder File1, in the folder's own name order (DS10
// before DS9). The dispatch pass walks the same rows as its worklist.

#include <filesystem>

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

void KORVdelayedSend1::UpdateList() {
  CaptionRestorer restore(MList1);
  MList1.SetCaption("Updating List");
  MList1.Clear();
  List1.Clear();
  FileSystem& files = platform_.files;
  // The names come from the folder's own listing, so they are read through
  // the folder's host path without matching each one's letter case again.
  std::filesystem::path folder = files.HostPath(File1.Path());
  for (int i = 0; i < File1.ListCount(); ++i) {
    station_.WorkPath = JoinPath(File1.Path(), File1.List(i));
    std::string path = (folder / File1.List(i)).string();
    // Another station may have sent or withdrawn the order since the folder
    // was read; it is no longer pending.
    if (!files.Exists(path)) continue;
    OrderHeader header = ReadHeader(files, path);
    MList1.AddItem(PendingRow(header, files.FileDateTime(path)));
    List1.AddItem(header.order_id);
    MList1.SetItemData(MList1.NewIndex(), Trim(header.order_id));
  }
  Label2.SetCaption(PlainNumber(MList1.Count()));
}

}  // namespace korv
