// Start-up and shutdown of the scheduler window.

#include "common/order_paths.h"
#include "common/steps.h"
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
