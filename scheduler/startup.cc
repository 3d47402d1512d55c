// Start-up and shutdown of the scheduler window.

#include "common/order_paths.h"
#include "common/steps.h"
#include "engine/station_config.h"
#include "platform/clock/station_settings.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {
namespace {

const char kTipText[] = "Korvain Delayed Kitchen Order Send";

// "Version 2.1.0" from "2.1.0": each number in plain decimal.
std::string VersionCaption(const std::string& version) {
  std::string major = "0", minor = "0", revision = "0";
  std::string* parts[] = {&major, &minor, &revision};
  size_t start = 0;
  for (int i = 0; i < 3 && start <= version.size(); ++i) {
    size_t dot = version.find('.', start);
    std::string piece = version.substr(start, dot == std::string::npos ? dot : dot - start);
    *parts[i] = std::to_string(std::atoi(piece.c_str()));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return "Version " + major + "." + minor + "." + revision;
}

// Why the station's own settings cannot be used; empty when they can. A date
// order the station cannot know would send orders on the wrong days.
std::string StationSettingsProblem(Station& station, const FileSystem& files) {
  try {
    station.date_order = ReadStationSettings(files).date_order;
  } catch (const RuntimeError& e) {
    if (e.number() == kErrInvalidCall) return e.description();
    return std::string(kStationSettingsPath) + " cannot be read: " + ExplainedError(e);
  }
  return {};
}

}  // namespace

bool KORVdelayedSend1::Form_Load() {
  if (platform_.host.PreviousInstance()) {
    platform_.boxes.Show(
        "The Kitchen Order Delayed Send program is already running! Please Click OK.",
        "Startup Error", BoxIcon::kCritical, BoxButtons::kOk);
    return false;
  }
  platform_.loop.DoEvents();
  ReadStationConfig();
  platform_.loop.DoEvents();
  Tray.TipText = kTipText;
  Tray.Picture = Image1;
  Tray.Add(kTipText);
  Label12.SetCaption(VersionCaption(version_));
  platform_.loop.AddTimer(Timer1);
  Timer1.SetInterval(kFirstPassMs);
  return true;
}

// A configuration the station cannot work from (missing, empty, cut short,
// locked, a DataRoot that names no folder, or station settings it cannot
// read) is said, and no folder is watched: without its DataRoot the station
// would watch a PhoneOrders\ of the working folder. Every pass reads it again
// until it can be used.
void KORVdelayedSend1::ReadStationConfig() {
  const bool was_unusable = !config_problem_.empty();
  config_problem_ = StationConfigProblem(station_, platform_.files);
  if (config_problem_.empty()) config_problem_ = StationSettingsProblem(station_, platform_.files);
  if (!config_problem_.empty()) {
    ReportError(config_problem_ + "; no order is sent until it can be used");
    return;
  }
  File1.SetPath(PhoneOrdersFolder(station_.DataRoot));
  File1.SetPattern("DS*.PH");
  if (was_unusable)
    platform_.status.Say("korv-delayed-send: " + station_.WorkPath + " read; watching " +
                         File1.Path());
}

void KORVdelayedSend1::Form_Unload() {
  Steps::Skip()([&] {
    if (Tray.Shown) Tray.Remove();
  });
}

void KORVdelayedSend1::Form_Terminate() {
  Form_Unload();
  platform_.loop.RemoveTimer(Timer1);
  platform_.loop.DoEvents();
}

}  // namespace korv
