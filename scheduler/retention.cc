#include "scheduler/retention.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/order_paths.h"
#include "common/quoted_list.h"
#include "common/runtime_error.h"
#include "platform/print/dir_destination.h"
#include "scheduler/orderfiles/turnover.h"

namespace korv {
namespace {

// A name in a folder given as a station path (F:\...\) or a host path.
std::string InFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + (folder.rfind('/', 0) == 0 ? "/" : "\\") + name;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string DayText(const Date& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", day.year, day.month, day.day);
  return text;
}

std::optional<Date> DayOfText(const std::string& text) {
  if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const Date day{std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                 std::stoi(text.substr(6, 2))};
  if (!IsValidDate(day.year, day.month, day.day)) return std::nullopt;
  return day;
}

// The archived header was written by a delayed-send station's send: an
// order-entry station's file of the same name carries no such note.
bool CarriesSendNote(const FileSystem& files, const std::string& path, const std::string& id) {
  try {
    QuotedReader header(files.ReadFileText(path));
    return IsArchiveNote(header.ReadFields(7)[6], id);
  } catch (const std::exception&) {
    return false;
  }
}

// One run over the places.
class Sweep {
 public:
  Sweep(FileSystem& files, const Date& today, int days)
      : files_(files), today_(today), cutoff_(today.Serial() - days) {}

  void Archive(const std::string& data_root);
  void Logs(const std::string& data_root);
  void Tickets(const std::string& folder);
  void TraceLog(const std::string& path);

  RetentionDone done;

 private:
  bool Old(long day) const { return day < cutoff_; }
  // False too for a file that is gone (or cannot be looked at): nothing to do.
  bool ChangedLongAgo(const std::string& path) const;
  // known: as the pass knows the folder (FileSystem::ListKnown), for a
  // pattern that matches few of its names.
  std::vector<std::string> List(const std::string& folder, const std::string& pattern,
                                bool known = false);
  bool Remove(const std::string& path);  // false: said among the failures
  void MoveTraceLog(const std::string& path, const std::string& kept_as);

  FileSystem& files_;
  Date today_;
  long cutoff_;  // the first day whose files are kept
};

bool Sweep::ChangedLongAgo(const std::string& path) const {
  try {
    return Old(files_.FileDateTime(path).date.Serial());
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<std::string> Sweep::List(const std::string& folder, const std::string& pattern,
                                     bool known) {
  try {
    return known ? files_.ListKnown(folder, pattern) : files_.List(folder, pattern);
  } catch (const std::exception& e) {
    done.failures.push_back(folder + " cannot be listed: " + ExplainedError(AsRuntimeError(e)));
    return {};
  }
}

bool Sweep::Remove(const std::string& path) {
  try {
    files_.Kill(path);
    done.removed.push_back(path);
    return true;
  } catch (const std::exception& e) {
    const RuntimeError error = AsRuntimeError(e);
    if (error.number() == kErrFileNotFound) return true;  // another station was first
    done.failures.push_back(path + " cannot be removed: " + ExplainedError(error));
    return false;
  }
}

// The lines go first: an archived header without them is still known for
// this station's, lines without their header no longer are.
void Sweep::Archive(const std::string& data_root) {
  for (const std::string& name : List(ArchiveFolder(data_root), "DS*.PH")) {
    const std::string id = name.substr(0, name.size() - 3);
    if (!IsSafeOrderId(id)) continue;
    const std::string header = ArchivedHeaderPath(data_root, id);
    if (!ChangedLongAgo(header) || !CarriesSendNote(files_, header, id)) continue;
    const std::string lines = ArchivedLinesPath(data_root, id);
    if (ChangedLongAgo(lines) && !Remove(lines)) continue;
    Remove(header);
  }
}

// A log goes once its whole month is older. Its own date must be old too: a
// peer whose clock runs ahead may have begun next month's log, whose name
// reads as a month a hundred years ago.
void Sweep::Logs(const std::string& data_root) {
  const std::string folder = PhoneOrdersFolder(data_root);
  // The orders' folder, tens of thousands of names, as the pass listed it:
  // its logs are few, and a log made since that listing is not old.
  for (const std::string& name : List(folder, DelayedSendLogPattern(), true)) {
    const std::optional<Date> month = DelayedSendLogMonth(name, today_);
    if (!month) continue;
    const Date next =
        month->month == 12 ? Date{month->year + 1, 1, 1} : Date{month->year, month->month + 1, 1};
    const std::string path = folder + name;
    if (Old(next.Serial() - 1) && ChangedLongAgo(path)) Remove(path);
  }
}

// The highest number stays whatever its age: a dir: printer numbers on from
// the highest it finds when it starts.
void Sweep::Tickets(const std::string& folder) {
  std::vector<std::pair<int64_t, std::string>> tickets;
  int64_t highest = -1;
  for (const std::string& name : List(folder, "*")) {
    const int64_t number = DocumentNumber(name);
    if (number < 0) continue;
    tickets.emplace_back(number, name);
    highest = std::max(highest, number);
  }
  for (const auto& [number, name] : tickets) {
    const std::string path = InFolder(folder, name);
    if (number != highest && ChangedLongAgo(path)) Remove(path);
  }
}

void Sweep::TraceLog(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  const size_t dot = std::min(name.rfind('.'), name.size());
  const std::string stem = name.substr(0, dot), extension = name.substr(dot);
  std::optional<long> newest;
  for (const std::string& kept : List(folder, stem + ".????????" + extension)) {
    const std::optional<Date> day = DayOfText(kept.substr(stem.size() + 1, 8));
    if (!day) continue;
    if (Old(day->Serial()))
      Remove(folder + kept);
    else
      newest = std::max(newest.value_or(day->Serial()), day->Serial());
  }
  if (!newest || *newest <= cutoff_)
    MoveTraceLog(path, folder + stem + "." + DayText(today_) + extension);
}

// An empty or missing trace log has nothing to keep.
void Sweep::MoveTraceLog(const std::string& path, const std::string& kept_as) {
  try {
    if (!files_.Exists(path) || files_.FileLen(path) == 0) return;
    if (files_.StartAfresh(path, kept_as)) done.trace_log_kept_as = kept_as;
  } catch (const std::exception& e) {
    done.failures.push_back("the trace log " + path + " cannot be moved to " + kept_as + ": " +
                            ExplainedError(AsRuntimeError(e)));
  }
}

}  // namespace

RetentionDone ApplyRetention(FileSystem& files, const RetentionPlaces& places, const Date& today,
                             int days) {
  Sweep sweep(files, today, days);
  if (!places.data_root.empty()) {
    sweep.Archive(places.data_root);
    sweep.Logs(places.data_root);
  }
  for (const std::string& folder : places.ticket_folders) sweep.Tickets(folder);
  if (!places.trace_log.empty()) sweep.TraceLog(places.trace_log);
  return std::move(sweep.done);
}

}  // namespace korv
