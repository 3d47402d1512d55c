// SSCommand11_Click, the order engine's "Done": stores the sent order as a
// phone order in PhoneOrders\ (header and line file), keeps the customer's
// last order under Delivery\LastOrder\, clears the order's customer and
// reports "SENT" to the dispatch pass, which waits for exactly that.
//
// Each file is written on its own, so a record failing never stops the
// others, the resets or "SENT"; under a send's journal a phone order file
// that cannot be written stops the send (SaveFiles).

#include <functional>
#include <string>
#include <vector>

#include "common/order_paths.h"
#include "common/quoted_list.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/korv_main.h"
#include "engine/whoosh.h"
#include "platform/files/files_at_once.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr int kPhoneField = 2;
constexpr int kNameField = 3;
constexpr size_t kNameWidth = 30;

// The phone names the last-order file. A blank phone gives the file ".Dat",
// as the other stations expect; a phone that is no plain file name (a
// separator, a drive colon, wildcards) could write outside LastOrder\.
bool IsLastOrderName(const std::string& phone) {
  return phone.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// Writes the file under a whole-file lock, in one piece; errors go to the
// caller, with nothing left open.
void WriteLocked(FileSystem& files, const std::string& path,
                 const std::function<void(int)>& write) {
  files.CloseAll();
  OpenFileGuard file(files, files.Open(path, OpenMode::kOutput));
  files.Lock(file.number());
  write(file.number());
  files.CloseAll();
}

std::vector<std::string> HeaderFields(const Station& s) {
  return {s.Customer.Text(kPhoneField),
          Str(s.OrderCustRecNo),
          PadRight(s.Customer.Raw(kNameField), kNameWidth),
          s.OrderKey,
          s.SendDate,
          s.SendTime};
}

// Each row of the order as one quoted field a line, sent or not.
std::string LinesText(const MultiColumnList& rows) {
  std::string text;
  for (int i = 0; i < rows.Count(); ++i) text += QuotedLine({rows.Item(i)});
  return text;
}

}  // namespace

void KorvMain::SSCommand11_Click() {
  Timer1.SetInterval(0);
  const Steps skip = Steps::Skip();
  skip([&] { PlayWhoosh(station_, platform_); });
  station_.OrderKey = Trim(station_.PioNumberText).empty() ? PlainNumber(station_.PioNumber)
                                                           : station_.PioNumberText;
  const std::string key = Trim(station_.OrderKey);
  const std::string phone = station_.Customer.Text(kPhoneField);
  const std::string lines = LinesText(MList1);
  const std::vector<std::string> header = HeaderFields(station_);
  auto write_lines = [&](FileSystem& files, int file) { files.WriteText(file, lines); };
  std::vector<SavedFile> saves = {
      {PhoneOrderHeaderPath(station_.DataRoot, key), false,
       [&](FileSystem& files, int file) { files.WriteFields(file, header); }},
      {SavedLinesPath(station_.DataRoot, key), false, write_lines}};
  if (IsLastOrderName(phone))
    saves.push_back({LastOrderPath(station_.DataRoot, phone), true, write_lines});
  SaveFiles(saves);
  skip([&] { platform_.loop.DoEvents(); });
  // The status panel's credit line is never replaced on this hidden window,
  // so there is nothing to give back to it.
  SSCommand27.SetVisible(false);
  Visible = false;
  station_.CustName.clear();
  station_.CustPhone.clear();
  station_.CustNumber.clear();
  station_.SendStatus = "SENT";
}

// Under a send's journal the phone order is needed: a file of it that cannot
// be written halts the send, which is resumed later; the customer's last
// order is a record, said when it fails. Without a journal a file that
// cannot be written is simply not written. None of the files needs another:
// they are written at once, and what failed is said or halts the send once
// all have ended.
void KorvMain::SaveFiles(const std::vector<SavedFile>& saves) {
  platform_.files.CloseAll();
  std::vector<std::string> failed(saves.size());
  std::vector<std::function<void(FileSystem&)>> work;
  for (size_t i = 0; i < saves.size(); ++i) {
    work.push_back([&, i](FileSystem& files) {
      try {
        WriteLocked(files, saves[i].path, [&](int file) { saves[i].write(files, file); });
      } catch (const std::exception& e) {
        files.CloseAll();
        failed[i] = saves[i].path + " could not be written: " + ExplainedError(AsRuntimeError(e));
      }
    });
  }
  FilesAtOnce(platform_.files, work);
  if (!ledger_) return;
  for (size_t i = 0; i < saves.size(); ++i) {
    if (failed[i].empty()) continue;
    if (!saves[i].record) throw StepsHalted{"the phone order's file " + failed[i]};
    Report("The customer's last order " + failed[i]);
  }
}

}  // namespace korv
