// Save_Receipt: the main kitchen ticket kept as one 2000-byte record of the
// station's own archive data\KitData.Dat under LocalRoot, headed for
// re-printing. Errors go to the kitchen send.

#include "common/val.h"
#include "engine/korv_main.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr int kRecordLength = 2000;
constexpr char kReceiptKept[] = "receipt";  // the send's journal keeps the record's number

// Head, the ticket buffer as printed, a rule and the foot, lines joined by
// CR LF (none after the last).
std::string ArchiveText(const KorvMain& m, const Station& s) {
  std::string text = "Kitchen\r\nOrder\r\n" + s.KitchenOrderNo + "\r\nRe-Print";
  for (const std::string& line : m.List2.Items()) text += "\r\n" + line;
  text += "\r\n" + std::string(33, '_') + "\r\nServer\r\n\r\nStation\r\n" + s.StationName;
  return text;
}

// The record is past the end, blank, or holds this very ticket already (the
// same head: the kitchen number is the day's own).
bool SlotFree(FileSystem& files, int file, int64_t record, const std::string& text) {
  if ((record - 1) * kRecordLength >= files.Lof(file)) return true;
  const std::string held = files.GetRecord(file, record);
  const size_t head = text.find("\r\nRe-Print");
  return Trim(held).empty() || held.compare(0, head, text, 0, head) == 0;
}

// The length over the record length, rounded to the nearest whole number,
// halves to even.
int64_t RecordCount(int64_t length) {
  const int64_t whole = length / kRecordLength, rest = length % kRecordLength;
  const bool up = 2 * rest > kRecordLength || (2 * rest == kRecordLength && whole % 2 == 1);
  return whole + (up ? 1 : 0);
}

}  // namespace

// The new record is the one after the count of records, the file's length
// over 2000 rounded to the nearest whole number (halves to even, as the
// platform rounds), as every station counts them: a partial record a write
// that never finished left is written over when it is under half a record,
// and kept, filled out with blanks, when it is over, so every later record
// stays on its own slot. The send's journal keeps the record's number before
// it is written, so a send resumed after a crash writes the same record again
// rather than a second one; when other sends took that record meanwhile
// (this send halted on a failing write, and was resumed later), the ticket
// goes after them.
void KorvMain::Save_Receipt() {
  Text4.SetText(ArchiveText(*this, station_));
  const std::string text = Left(Text4.Text(), kRecordLength);
  FileSystem& files = platform_.files;
  files.CloseAll();
  OpenFileGuard file(files, files.Open(station_.LocalRoot + "data\\KitData.Dat", OpenMode::kRandom,
                                       kRecordLength));
  files.Lock(file.number());
  int64_t record = static_cast<int64_t>(Val(Kept(kReceiptKept).value_or("0")));
  if (record >= 1 && !SlotFree(files, file.number(), record, text)) record = 0;
  if (record < 1) {
    const int64_t length = files.Lof(file.number());
    const int64_t records = RecordCount(length);
    if (records * kRecordLength > length)
      files.PutRecord(file.number(), records, files.GetRecord(file.number(), records));
    record = records + 1;
    Keep(kReceiptKept, std::to_string(record));
  }
  files.PutRecord(file.number(), record, text);
  files.CloseAll();
}

}  // namespace korv
