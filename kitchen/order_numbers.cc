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
// the file layer's short wait, the share is away or full) is waited for,
// said once, with window events let through, rather than costing its
// ticket: the send goes on only with a number freshly drawn for its order.
// The wait has an end: past it the send halts where it is and its journal
// resumes it at a later pass. A kitchen counter that stays damaged (empty,
// cut short, a count that is no count) is repaired from what this station
// knows of the day's numbers (kitchen/counter_repair.h), never to a number
// already printed today.

#include <chrono>
#include <limits>
#include <thread>
#include <utility>

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/korv_main.h"
#include "kitchen/counter_repair.h"
#include "kitchen/needed_printers.h"
#include "kitchen/numbers_ahead.h"
#include "kitchen/send_routing.h"
#include "platform/files/files_at_once.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr char kKitchenCounter[] = "KOrdNumb.dat";
constexpr char kBarCounter[] = "BAROrdNumb.dat";
// What the send's journal keeps them under.
constexpr char kKitchenKept[] = "kitchen";
constexpr char kBarKept[] = "bar";
// The rest between two attempts of a draw that waits for its counter, how
// long a send waits for a counter it cannot draw from before it halts, and
// how long for a damaged kitchen counter to be mended before repairing it.
constexpr auto kCounterPause = std::chrono::milliseconds(250);
constexpr auto kCounterPatience = std::chrono::seconds(15);
constexpr auto kDamagedPatience = std::chrono::seconds(3);

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

// A count the day can go on from: plain digits, short of the width where
// the text would turn into an exponent or wrap.
bool IsCount(const std::string& count) {
  const std::string t = Trim(count);
  return !t.empty() && t.size() <= 9 && t.find_first_not_of("0123456789") == std::string::npos;
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

// A day that cannot be read counts as a new day. A number is handed out only
// once the counter holding it is written: a rewrite that fails raises, and
// the draw waits, or the next order would get the same number.
std::string WriteNextCount(FileSystem& files, int file, const Counter& counter, const Date& today) {
  bool same_day = false;
  Steps::Skip()([&] { same_day = SameDay(counter.day, today); });
  std::string count = NextCount(counter, same_day);
  files.Rewrite(file, CounterLine(count, today, counter.spare));
  files.Flush(file);
  return count;
}

// Bar number 1: a file still empty or cut short after the retry starts the
// day over.
std::string RestartBarDay(FileSystem& files, int file, const Date& today) {
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
// a later one without it (the draw's own wait lets window events run). The
// open itself tells whether it is there: on a share a look first would cost
// a round trip more at every draw.
int OpenCounter(FileSystem& files, const std::string& path, const Date& today, bool patient) {
  files.CloseAll();
  int file = -1;
  try {
    file = files.Open(path, OpenMode::kUpdate);
  } catch (const RuntimeError& e) {
    if (e.number() != kErrFileNotFound) throw;
    CreateCounter(files, path, today);
    file = files.Open(path, OpenMode::kReadWrite);
  }
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
  const bool same_day = !NewKitchenDay(counter.day, today);
  if (same_day && !IsCount(counter.count))
    throw RuntimeError(kErrInputPastEnd, "it holds no count to go on from");
  const std::string count = NextCount(counter, same_day);
  files.Rewrite(file.number(), CounterLine(count, today, counter.spare));
  files.Flush(file.number());
  return count;
}

// One attempt at the bar count, for a draw beside the kitchen's or ahead of
// it: none when it meets anything the bar ticket's own draw retries or waits
// for.
std::optional<std::string> DrawBarCountOnce(FileSystem& files, const std::string& path,
                                            const Date& today, bool patient = true) {
  try {
    OpenFileGuard file(files, OpenCounter(files, path, today, patient));
    Counter counter;
    if (TryReadCounter(files, file.number(), &counter) != 0) return std::nullopt;
    return WriteNextCount(files, file.number(), counter, today);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
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
  std::chrono::steady_clock::duration waited() const {
    return std::chrono::steady_clock::now() - began_;
  }

  // Past the wait's end the send halts, and stops the pass: every send
  // needs the same counter.
  void Round(const RuntimeError& e) {
    if (waited() >= kCounterPatience)
      throw StepsHalted{"the " + what_ + " number cannot be drawn from " + path_ + ": " + Reason(e),
                        true};
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
    if (e.number() == kErrInputPastEnd && e.description() != ErrorDescription(kErrInputPastEnd))
      return e.description() + " (error 62)";
    if (e.number() == kErrInputPastEnd) return "it is empty or cut short (error 62)";
    return ExplainedError(e);
  }
  KorvMain& m_;
  std::string what_, path_;
  std::string said_;
  std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
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
      if (e.number() == kErrInputPastEnd && wait.waited() >= kDamagedPatience) {
        station_.KitchenOrderNo = "K-" + RepairKitchenCounter(path, e);
        break;
      }
      wait.Round(e);
    }
  }
  Keep(kKitchenKept, station_.KitchenOrderNo);
}

// The damaged counter is rewritten to the highest kitchen number this
// station knows was given today, and at least to the 500 the day's repair
// starts from, and the next number goes on from there. Returns that number.
std::string KorvMain::RepairKitchenCounter(const std::string& path, const RuntimeError& damage) {
  FileSystem& files = platform_.files;
  const Date today = platform_.clock.Today();
  const int64_t known = HighestKitchenNumberToday(station_, files, today);
  const std::string count = PlainNumber(static_cast<double>(std::max<int64_t>(known, 500) + 1));
  OpenFileGuard file(files, OpenCounter(files, path, today, true));
  files.Rewrite(file.number(), CounterLine(count, today, "0"));
  files.Flush(file.number());
  files.CloseAll();
  Report("The kitchen counter " + path + " could not be read (" + damage.description() +
         "); it was repaired to " + count +
         ", past the highest kitchen number this station knows " + "was given today (" +
         std::to_string(known) + ")");
  return count;
}

// The kitchen send's repair after an unexpected error: the day goes on from
// K-501. The date is written "MM/DD/YYYY" on purpose. A day already past 500
// keeps its count: a second repair must not give K-501 again. Errors go to
// the caller.
void KorvMain::ResetKitchenCounter() {
  FileSystem& files = platform_.files;
  const Date today = platform_.clock.Today();
  files.CloseAll();
  OpenFileGuard file(files, files.Open(station_.DataRoot + kKitchenCounter, OpenMode::kReadWrite));
  files.Lock(file.number());
  double count = 500;
  Steps::Skip()([&] {
    const Counter counter = ReadCounter(files, file.number());
    if (!NewKitchenDay(counter.day, today) && IsCount(counter.count))
      count = std::max(count, Val(counter.count));
  });
  files.Rewrite(file.number(), QuotedLine({PlainNumber(count), FormatMMDDYYYY(today), "0"}));
  files.Flush(file.number());
}

// The kitchen number, and beside it the number of the bar ticket that
// follows: on a share each counter waits its round trips, and neither needs
// the other. The bar counter gets one attempt there, on a file layer of its
// own; a number it could not give, the bar ticket draws with its wait. Only
// under a send's journal, which keeps the bar number for the bar ticket
// (also when the kitchen draw halts the send).
void KorvMain::DrawBarBesideKitchen() {
  if (!UnderJournal() || !BarTicketOn(station_) || Kept(kBarKept)) return;
  const std::string path = station_.DataRoot + kBarCounter;
  const Date today = platform_.clock.Today();
  std::optional<std::string> bar;
  auto keep_bar = [&] {
    if (bar) Keep(kBarKept, *bar);
  };
  try {
    FilesAtOnce(platform_.files,
                {[&](FileSystem&) { GetKOrderNumber(); },
                 [&](FileSystem& beside) { bar = DrawBarCountOnce(beside, path, today); }});
  } catch (...) {
    keep_bar();
    throw;
  }
  keep_bar();
}

// An empty or cut-short file (another station caught in the middle of its
// rewrite) gets one "System Busy" retry; if it is still unreadable the counter
// starts the day again at 1. A counter that cannot be created, opened, locked
// or read is waited for, as the kitchen counter is, rather than costing the
// ticket or giving bar number 1 a second time.
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
    if (error != 0 && error != kErrInputPastEnd) {
      // A counter that could not be read (the share failed) is waited for:
      // bar number 1 would repeat the day's first bar ticket.
      files.CloseAll();
      wait.Round(RuntimeError(error));
      continue;
    }
    std::string count;
    try {
      count = error == 0 ? WriteNextCount(files, number, counter, today)
                         : RestartBarDay(files, number, today);
    } catch (const RuntimeError& e) {
      files.CloseAll();
      wait.Round(e);
      continue;
    }
    HandOutBarNumber(station_, count);
    files.CloseAll();
    Keep(kBarKept, station_.BarOrderNo);
    return;
  }
}

// The kitchen send draws its kitchen number when a row goes to the kitchen,
// and its bar number when one goes on the bar ticket.
std::vector<AheadNumber> NumbersToDraw(const Station& station, const std::vector<std::string>& rows,
                                       const SendLedger& ledger) {
  const SendFlags tickets = TicketsOfRows(station, rows);
  std::vector<AheadNumber> numbers;
  if (tickets.kitchen && !ledger.Kept(kKitchenKept)) numbers.push_back(AheadNumber::kKitchen);
  if (tickets.bar && !ledger.Kept(kBarKept)) numbers.push_back(AheadNumber::kBar);
  return numbers;
}

std::optional<std::string> DrawNumberAhead(FileSystem& files, const std::string& data_root,
                                           const Date& today, AheadNumber which) {
  if (which == AheadNumber::kBar)
    return DrawBarCountOnce(files, data_root + kBarCounter, today, false);
  try {
    return "K-" + DrawKitchenCount(files, data_root + kKitchenCounter, today, false);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

void KeepNumberAhead(SendLedger& ledger, AheadNumber which, const std::string& number) {
  ledger.Keep(which == AheadNumber::kKitchen ? kKitchenKept : kBarKept, number);
}

}  // namespace korv
