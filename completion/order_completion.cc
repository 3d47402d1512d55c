// SSCommand11_Click, the order engine's "Done": stores the sent order as a
// phone order in PhoneOrders\ (header and line file), keeps the customer's
// last order under Delivery\LastOrder\, clears the order's customer and
// reports "SENT" to the dispatch pass, which waits for exactly that.
//
// Nothing is reported: a file that cannot be created or locked is simply not
// written, and each file is written on its own, so one failing never stops
// the others, the resets or "SENT".

#include <string>
#include <vector>

#include "common/order_paths.h"
#include "common/quoted_list.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/korv_main.h"
#include "engine/whoosh.h"
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

// Opens path for writing under a whole-file lock. Returns 0 when the file
// cannot be created, emptied or locked; nothing is then left open.
int OpenLocked(FileSystem& files, const std::string& path) {
  int number = 0;
  const bool ok = Steps::Skip()([&] {
    number = files.Open(path, OpenMode::kOutput);
    files.Lock(number);
  });
  if (ok) return number;
  if (number != 0) files.Close(number);
  return 0;
}

std::vector<std::string> HeaderFields(const Station& s) {
  return {s.Customer.Text(kPhoneField),
          Str(s.OrderCustRecNo),
          PadRight(s.Customer.Raw(kNameField), kNameWidth),
          s.OrderKey,
          s.SendDate,
          s.SendTime};
}

void WriteHeader(FileSystem& files, const Station& s, const std::string& key) {
  files.CloseAll();
  OpenFileGuard file(files, OpenLocked(files, PhoneOrderHeaderPath(s.DataRoot, key)));
  if (file.number() == 0) return;
  Steps::Skip()([&] { files.WriteFields(file.number(), HeaderFields(s)); });
  files.CloseAll();
}

// Each row of the order as one quoted field a line, sent or not.
std::string LinesText(const MultiColumnList& rows) {
  std::string text;
  for (int i = 0; i < rows.Count(); ++i) text += QuotedLine({rows.Item(i)});
  return text;
}

// The same lines go to the phone order's line file and to the customer's
// last order. Each file is written in one piece, so a failing write leaves
// the other file whole.
void WriteOrderLines(FileSystem& files, const Station& s, const std::string& key,
                     const std::string& phone, const std::string& text) {
  files.CloseAll();
  OpenFileGuard pio(files, OpenLocked(files, SavedLinesPath(s.DataRoot, key)));
  OpenFileGuard last(
      files, IsLastOrderName(phone) ? OpenLocked(files, LastOrderPath(s.DataRoot, phone)) : 0);
  for (const OpenFileGuard* file : {&pio, &last}) {
    if (file->number() == 0) continue;
    Steps::Skip()([&] { files.WriteText(file->number(), text); });
  }
  files.CloseAll();
}

}  // namespace

void KorvMain::SSCommand11_Click() {
  Timer1.SetInterval(0);
  const Steps skip = Steps::Skip();
  FileSystem& files = platform_.files;
  skip([&] { PlayWhoosh(station_, platform_); });
  station_.OrderKey = Trim(station_.PioNumberText).empty() ? PlainNumber(station_.PioNumber)
                                                           : station_.PioNumberText;
  const std::string key = Trim(station_.OrderKey);
  const std::string phone = station_.Customer.Text(kPhoneField);
  skip([&] { WriteHeader(files, station_, key); });
  skip([&] { WriteOrderLines(files, station_, key, phone, LinesText(MList1)); });
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

}  // namespace korv
