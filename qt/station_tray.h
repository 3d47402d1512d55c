#pragma once
// The window's notification-area icon (the TrayIcon element) on a
// QSystemTrayIcon: shown as the element is, its tip as the tooltip, its
// state as the picture (StateIcon), and its messages as the desktop's
// notifications, with the desktop's icon for what they tell: a fault
// critical, a condition needing attention a warning, a cleared one
// information.
//
// Where the desktop has no notification area the binding makes none of this
// (QtDelayedSendWindow); the window's state line still shows the state.

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <string>

#include "platform/screen/elements.h"

namespace korv {

class StationTray {
 public:
  // Binds `element` to `icon` until destroyed; base: the station's icon,
  // shown as it is while the station is normal. Both must outlive this.
  StationTray(TrayIcon& element, QSystemTrayIcon& icon, QIcon base);
  ~StationTray();
  StationTray(const StationTray&) = delete;
  StationTray& operator=(const StationTray&) = delete;

  // How a notification is put on the desktop: QSystemTrayIcon::showMessage,
  // unless replaced (a test records them here).
  std::function<void(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon)>
      show_message;

 private:
  void Follow();
  void Notify(const std::string& title, const std::string& text);

  TrayIcon& element_;
  QSystemTrayIcon& icon_;
  const QIcon base_;
  std::string drawn_state_;  // the state icon_ shows; empty before the first
};

}  // namespace korv
