// GetKOrderNumber and GetBar_OrderNumb: the day's kitchen and bar order
// numbers, drawn from counter files in DataRoot that every station shares.
//
// A counter file holds one quoted line: the last count handed out, the day it
// belongs to and a spare field carried through. The read and the rewrite
// happen under one whole-file lock, so two stations drawing at the same
// moment never get the same number.
//
// A number is handed out only once the counter holding it is on disk
// (fsync): after a power cut the counter never falls back below a number a
// printed ticket carries. The send's journal learns the number after that,
// so a crash in between costs a number and never gives one out twice; a
// send resumed after a crash takes the number its journal kept.

#include <limits>

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/korv_main.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr char kKitchenCounter[] = "KOrdNumb.dat";
constexpr char kBarCounter[] = "BAROrdNumb.dat";
// What the send's journal keeps them under.
constexpr char kKitchenKept[] = "kitchen";
constexpr char kBarKept[] = "bar";

struct Counter {
  std::string count;
  std::string day;
  std::string spare;
};

// A missing counter is created holding "0", today, "0". It appears whole, so
// a station drawing at the same moment never reads it empty, and one another
// station created meanwhile is kept, so two first draws never reset each
// other's count.
void CreateCounter(FileSystem& files, const std::string& path, const Date& today) {
  files.CloseAll();
  files.CreateWhole(path, QuotedLine({"0", DefaultDateText(today), "0"}));
}

// The three fields; error 62 when the file is empty or cut short.
Counter ReadCounter(FileSystem& files, int file) {
  QuotedReader reader(files.ReadAll(file));
  std::vector<std::string> f = reader.ReadFields(3);
  return {f[0], f[1], f[2]};
}

// Only the calendar day counts, so the short date and "MM/DD/YYYY" both
// continue the day's count. Day text that cannot be read raises error 13.
bool SameDay(const std::string& day, const Date& today) {
  return ParseDate(Trim(day)).Serial() == today.Serial();
}

// The next count: the stored one + 1, or 1 on a new day. No upper limit.
std::string NextCount(const Counter& counter, bool same_day) {
  return PlainNumber((same_day ? Val(counter.count) : 0) + 1);
}

std::string CounterLine(const std::string& count, const Date& today, const std::string& spare) {
  return QuotedLine({count, DefaultDateText(today), spare});
}

// The error number of a failed read, 0 when the read succeeded.
int TryReadCounter(FileSystem& files, int file, Counter* out) {
  try {
    *out = ReadCounter(files, file);
    return 0;
  } catch (const RuntimeError& e) {
    return e.number();
  }
}

// After a good read a failing step is passed over and the number stands; a
// day that cannot be read counts as a new day.
std::string WriteNextCount(FileSystem& files, int file, const Counter& counter, const Date& today) {
  bool same_day = false;
  Steps::Skip()([&] { same_day = SameDay(counter.day, today); });
  std::string count = NextCount(counter, same_day);
  Steps::Skip()([&] {
    files.Rewrite(file, CounterLine(count, today, counter.spare));
    files.Flush(file);
  });
  return count;
}

// Bar number 1; a file still unreadable after the retry starts the day over.
std::string RecoverAfterReadError(FileSystem& files, int file, int error, const Date& today) {
  if (error == kErrInputPastEnd)
    Steps::Skip()([&] {
      files.Rewrite(file, CounterLine("1", today, "0"));
      files.Flush(file);
    });
  return "1";
}

void HandOutBarNumber(Station& station, const std::string& count) {
  station.BarOrderNo = count;
  double n = Val(count);
  if (n >= 0 && n <= std::numeric_limits<int>::max()) station.BarOrderCount = static_cast<int>(n);
}

}  // namespace

// Errors (70 for a lock another station holds) go to the kitchen send, with
// KitchenOrderNo left as it was.
void KorvMain::GetKOrderNumber() {
  if (std::optional<std::string> kept = Kept(kKitchenKept)) {
    station_.KitchenOrderNo = *kept;
    return;
  }
  FileSystem& files = platform_.files;
  const Date today = platform_.clock.Today();
  const std::string path = station_.DataRoot + kKitchenCounter;
  if (!files.Exists(path)) CreateCounter(files, path, today);
  files.CloseAll();
  OpenFileGuard file(files, files.Open(path, OpenMode::kReadWrite));
  files.Lock(file.number());
  Counter counter = ReadCounter(files, file.number());
  std::string count = NextCount(counter, SameDay(counter.day, today));
  files.Rewrite(file.number(), CounterLine(count, today, counter.spare));
  files.Flush(file.number());
  files.CloseAll();
  station_.KitchenOrderNo = "K-" + count;
  Keep(kKitchenKept, station_.KitchenOrderNo);
}

// The kitchen send's repair after an unexpected error: the day goes on from
// K-501. The date is written "MM/DD/YYYY" on purpose. Errors go to the caller.
void KorvMain::ResetKitchenCounter() {
  FileSystem& files = platform_.files;
  files.CloseAll();
  OpenFileGuard file(files, files.Open(station_.DataRoot + kKitchenCounter, OpenMode::kReadWrite));
  files.Lock(file.number());
  files.Rewrite(file.number(), QuotedLine({"500", FormatMMDDYYYY(platform_.clock.Today()), "0"}));
  files.Flush(file.number());
}

// An empty or cut-short file (another station caught in the middle of its
// rewrite) gets one "System Busy" retry; if it is still unreadable the counter
// starts the day again at 1. Any other read error gives bar number 1 and
// leaves the file alone. Errors before the first read go to the kitchen send.
void KorvMain::GetBar_OrderNumb() {
  if (std::optional<std::string> kept = Kept(kBarKept)) return HandOutBarNumber(station_, *kept);
  FileSystem& files = platform_.files;
  const std::string path = station_.DataRoot + kBarCounter;
  for (int pass = 1; pass <= 2; ++pass) {
    const Date today = platform_.clock.Today();
    // On the retry, a file that cannot be created, opened or locked ends in
    // the read's fallback below instead of the send's error handling.
    const Steps setup = pass == 1 ? Steps::Propagate() : Steps::Skip();
    setup([&] {
      if (!files.Exists(path)) CreateCounter(files, path, today);
    });
    files.CloseAll();
    int number = 0;
    bool locked = false;
    setup([&] { number = files.Open(path, OpenMode::kReadWrite); });
    OpenFileGuard file(files, number);
    setup([&] {
      files.Lock(number);
      locked = true;
    });
    Counter counter;
    const int error = locked ? TryReadCounter(files, number, &counter) : kErrBadFileName;
    if (error == kErrInputPastEnd && pass == 1) {
      files.CloseAll();
      platform_.boxes.Show("File is in use by another station, Click ok to try again.",
                           "System Busy", BoxIcon::kNone, BoxButtons::kOk);
      continue;
    }
    HandOutBarNumber(station_, error == 0 ? WriteNextCount(files, number, counter, today)
                                          : RecoverAfterReadError(files, number, error, today));
    files.CloseAll();
    Keep(kBarKept, station_.BarOrderNo);
    return;
  }
}

}  // namespace korv
