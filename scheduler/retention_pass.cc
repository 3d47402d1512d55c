// KeepWithinRetention: the station keeps the files it writes within its
// retention (retention.h) once a day, at the day's first pass that has a
// configuration it can use. A restart does it again, which finds little or
// nothing more to do.

#include <algorithm>

#include "logview/korv_trace_log.h"
#include "platform/clock/station_settings.h"
#include "platform/print/dir_destination.h"
#include "scheduler/dispatch_pass.h"
#include "scheduler/retention.h"

namespace korv {
namespace {

// At most this many failures are said a day; the rest are counted.
constexpr size_t kFailuresSaid = 5;

// The folders of the dir: printers, each once.
std::vector<std::string> TicketFolders(PrintService& printer) {
  std::vector<std::string> folders;
  for (int i = 0; i < printer.PrinterCount(); ++i) {
    const auto* dir = dynamic_cast<const DirDestination*>(printer.printer(i).destination.get());
    if (!dir) continue;
    const std::string folder = dir->folder().string();
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
      folders.push_back(folder);
  }
  return folders;
}

// How many of the paths lie in each folder, in the order met.
std::vector<std::pair<std::string, int>> CountByFolder(const std::vector<std::string>& paths) {
  std::vector<std::pair<std::string, int>> counts;
  for (const std::string& path : paths) {
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    auto it = std::find_if(counts.begin(), counts.end(),
                           [&](const auto& count) { return count.first == folder; });
    if (it == counts.end())
      counts.emplace_back(folder, 1);
    else
      ++it->second;
  }
  return counts;
}

}  // namespace

// The retention is read from the settings file each time it is applied, so
// a changed one counts from the next day without a restart.
void DispatchPass::KeepWithinRetention() {
  const Date today = platform_.clock.Today();
  if (!config_problem_.empty() || IsEnding() || retention_day_ == today) return;
  retention_day_ = today;
  int days = kDefaultRetentionDays;
  try {
    days = ReadStationSettings(platform_.files).retention_days;
  } catch (const std::exception& e) {
    Say(std::string(kStationSettingsPath) + " cannot be used: " +
        ExplainedError(AsRuntimeError(e)) + "; no file is removed for its age");
    return;
  }
  const RetentionDone done = ApplyRetention(
      platform_.files, {kTraceLogPath, station_.DataRoot, TicketFolders(platform_.printer)}, today,
      days);
  const std::string kept = "The files kept " + std::to_string(days) + " days: ";
  for (const auto& [folder, count] : CountByFolder(done.removed))
    platform_.status.Say("korv-delayed-send: removed " + std::to_string(count) +
                         (count == 1 ? " file" : " files") + " older than " + std::to_string(days) +
                         " days from " + folder);
  if (!done.trace_log_kept_as.empty())
    platform_.status.Say("korv-delayed-send: the trace log " + std::string(kTraceLogPath) +
                         " was moved whole to " + done.trace_log_kept_as + " and begun afresh");
  for (size_t i = 0; i < done.failures.size() && i < kFailuresSaid; ++i)
    Say(kept + done.failures[i]);
  if (done.failures.size() > kFailuresSaid)
    Say(kept + std::to_string(done.failures.size() - kFailuresSaid) +
        " more could not be removed today");
}

}  // namespace korv
