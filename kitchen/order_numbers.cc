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
//
// A counter that cannot be drawn from (another station holds its lock past
// the file layer's short wait, the share is away) is waited for, said once,
// with window events let through, rather than costing its ticket: the send
// goes on only with a number freshly drawn for its order.

#include <chrono>
#include <limits>
#include <thread>
#include <utility>

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
// The rest between two attempts of a draw that waits for its counter.
constexpr auto kCounterPause = std::chrono::milliseconds(250);

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

// Only a day that reads as another calendar day starts the kitchen count
// again: one that cannot be read continues it, so no number repeats.
bool NewKitchenDay(const std::string& day, const Date& today) {
  bool same_day = true;
  Steps::Skip()([&] { same_day = SameDay(day, today); });
  return !same_day;
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

// Opens the counter, created when missing, under its whole-file lock: the
// first attempt of a draw with the file layer's short wait for the holder,
// a later one without it (the draw's own wait lets window events run).
int OpenCounter(FileSystem& files, const std::string& path, const Date& today, bool patient) {
  if (!files.Exists(path)) CreateCounter(files, path, today);
  files.CloseAll();
  const int file = files.Open(path, OpenMode::kReadWrite);
  try {
    if (patient)
      files.Lock(file);
    else if (!files.LockIfFree(file))
      throw RuntimeError(kErrPermissionDenied);
  } catch (...) {
    files.Close(file);
    throw;
  }
  return file;
}

// One attempt at the kitchen count. The file layer's error when the counter
// cannot be opened, locked, read or rewritten; nothing is handed out then.
std::string DrawKitchenCount(FileSystem& files, const std::string& path, const Date& today,
                             bool patient) {
  OpenFileGuard file(files, OpenCounter(files, path, today, patient));
  const Counter counter = ReadCounter(files, file.number());
  const std::string count = NextCount(counter, !NewKitchenDay(counter.day, today));
  files.Rewrite(file.number(), CounterLine(count, today, counter.spare));
  files.Flush(file.number());
  return count;
}

void SayBusy(Platform& platform) {
  platform.boxes.Show("File is in use by another station, Click ok to try again.", "System Busy",
                      BoxIcon::kNone, BoxButtons::kOk);
}

// A draw's wait for its counter: says why it waits once (again when the
// reason changes), lets window events run between attempts, and stops the
// send when the station is asked to end; the send's journal then finishes
// it at the next start, with nothing of it printed twice.
class CounterWait {
 public:
  CounterWait(KorvMain& m, std::string what, std::string path)
      : m_(m), what_(std::move(what)), path_(std::move(path)) {}

  // The first attempt waits briefly for a holder in the file layer.
  bool patient() const { return said_.empty(); }

  void Round(const RuntimeError& e) {
    const std::string key = Trim(m_.station().OrderKey);
    const std::string message =
        "The " + what_ + " number of " + (key.empty() ? "the order" : "phone order " + key) +
        " cannot be drawn from " + path_ + ": " + Reason(e) + "; the send waits until it can";
    if (message != said_) m_.Report(message);
    said_ = message;
    for (auto rest = std::chrono::milliseconds(0); rest < kCounterPause; rest += kSlice) {
      if (m_.Ending())
        throw StepsHalted{"the station was asked to end while it waited for " + path_};
      m_.platform().loop.DoEvents();
      std::this_thread::sleep_for(kSlice);
    }
  }

 private:
  static constexpr auto kSlice = std::chrono::milliseconds(50);
  static std::string Reason(const RuntimeError& e) {
    if (e.number() == kErrInputPastEnd) return "it is empty or cut short (error 62)";
    return ExplainedError(e);
  }
  KorvMain& m_;
  std::string what_, path_;
  std::string said_;
};

}  // namespace

// An empty or cut-short counter (a station caught in the middle of its
// rewrite) gets the "System Busy" retry, as the bar counter does; after it,
// and for any other fault of the counter, the draw waits until it can draw.
// Never an error to the kitchen send: a counter fault is no reason for its
// box and its K-501 repair.
void KorvMain::GetKOrderNumber() {
  if (std::optional<std::string> kept = Kept(kKitchenKept)) {
    station_.KitchenOrderNo = *kept;
    return;
  }
  FileSystem& files = platform_.files;
  const std::string path = station_.DataRoot + kKitchenCounter;
  CounterWait wait(*this, "kitchen order", path);
  for (bool retried = false;;) {
    try {
      const std::string count =
          DrawKitchenCount(files, path, platform_.clock.Today(), wait.patient());
      files.CloseAll();
      station_.KitchenOrderNo = "K-" + count;
      break;
    } catch (const RuntimeError& e) {
      files.CloseAll();
      if (e.number() == kErrInputPastEnd && !std::exchange(retried, true)) {
        SayBusy(platform_);
        continue;
      }
      wait.Round(e);
    }
  }
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
// leaves the file alone. A counter that cannot be created, opened or locked
// is waited for, as the kitchen counter is, rather than costing the ticket.
void KorvMain::GetBar_OrderNumb() {
  if (std::optional<std::string> kept = Kept(kBarKept)) return HandOutBarNumber(station_, *kept);
  FileSystem& files = platform_.files;
  const std::string path = station_.DataRoot + kBarCounter;
  CounterWait wait(*this, "bar order", path);
  for (bool retried = false;;) {
    const Date today = platform_.clock.Today();
    int number = 0;
    try {
      number = OpenCounter(files, path, today, wait.patient());
    } catch (const RuntimeError& e) {
      files.CloseAll();
      wait.Round(e);
      continue;
    }
    OpenFileGuard file(files, number);
    Counter counter;
    const int error = TryReadCounter(files, number, &counter);
    if (error == kErrInputPastEnd && !std::exchange(retried, true)) {
      files.CloseAll();
      SayBusy(platform_);
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
