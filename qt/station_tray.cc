#include "qt/station_tray.h"

#include "qt/screen_text.h"
#include "qt/station_icons.h"

namespace korv {
namespace {

// The window's titles end with what the notification tells: "Delayed Send -
// fault", "Delayed Send - attention", "Delayed Send - cleared".
QSystemTrayIcon::MessageIcon KindOf(const std::string& title) {
  const auto ends_with = [&](const std::string& word) {
    return title.size() >= word.size() &&
           title.compare(title.size() - word.size(), word.size(), word) == 0;
  };
  if (ends_with("fault")) return QSystemTrayIcon::Critical;
  if (ends_with("attention")) return QSystemTrayIcon::Warning;
  return QSystemTrayIcon::Information;
}

}  // namespace

StationTray::StationTray(TrayIcon& element, QSystemTrayIcon& icon, QIcon base)
    : element_(element), icon_(icon), base_(std::move(base)) {
  show_message = [this](const QString& title, const QString& text,
                        QSystemTrayIcon::MessageIcon kind) {
    icon_.showMessage(title, text, kind);
  };
  element_.on_update = [this] { Follow(); };
  element_.Notify = [this](const std::string& title, const std::string& text) {
    Notify(title, text);
  };
  Follow();
}

StationTray::~StationTray() {
  element_.on_update = nullptr;
  element_.Notify = nullptr;
}

// The picture is set only when the state changes: the tip changes at every
// pass, and some notification areas redraw the icon for each picture set.
void StationTray::Follow() {
  icon_.setToolTip(ScreenTip(element_.TipText));
  if (element_.State != drawn_state_) {
    icon_.setIcon(StateIcon(base_, element_.State));
    drawn_state_ = element_.State;
  }
  icon_.setVisible(element_.Shown);
}

void StationTray::Notify(const std::string& title, const std::string& text) {
  show_message(FromCp1252(title), ScreenText(text), KindOf(title));
}

}  // namespace korv
