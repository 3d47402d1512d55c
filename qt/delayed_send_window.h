#pragma once
// The scheduler window KORVdelayedSend1 on the screen, with its icon in the
// notification area.
//
// Layout: the station's picture (Picture1: a mouse button held while moving
// over it brings the window up), the count line (Label1, Label2), the
// progress text (Label7), the tick count (Label6) and the version (Label12)
// on top; below them the pending list MList1 with its
// caption line, or, in its place while open, the order view SSPanel1 or the
// error view SSPanel2 (each part shown exactly when its element is visible);
// below them the state line (StateLine: the station's state in words, in the
// state's colours, hidden while the station is normal); the buttons End,
// Done, Error's, Printers and Log at the bottom.
//
// The window shows, hides, minimises and maximises as the window's Visible
// and WindowState say. Without a notification area (no tray on the desktop,
// or offscreen) a hidden window could never be brought back, so "hidden" is
// shown minimised instead. The title bar's close button is the Done button
// (hide to the notification area) when there is an icon, and End when there
// is none.
//
// The icon (when the desktop has a notification area) shows the window's tip
// text and the station's state, and the window's messages as notifications
// (StationTray); a double click is the window's Tray_Activate (show or
// hide), and its menu is the window's TrayMenu(), asked afresh each time it
// opens.
//
// The log viewer gets its own window the first time the Log button opens it;
// the Printers button opens the printers window (QtPrintersWindow).

#include <QMenu>
#include <QSystemTrayIcon>
#include <initializer_list>
#include <memory>
#include <utility>

#include "qt/element_widgets.h"
#include "qt/log_viewer_window.h"
#include "qt/printers_window.h"
#include "qt/station_tray.h"
#include "qt/window_frame.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {

class QtDelayedSendWindow {
 public:
  // Needs a QApplication. Builds the widgets and the icon (shown when the
  // window's Tray is); the window itself appears with Show().
  QtDelayedSendWindow(KORVdelayedSend1& window, QtLoop& loop);
  ~QtDelayedSendWindow();
  QtDelayedSendWindow(const QtDelayedSendWindow&) = delete;
  QtDelayedSendWindow& operator=(const QtDelayedSendWindow&) = delete;

  // Shows the window as its Visible and WindowState say.
  void Show() { FollowWindowState(); }

  QWidget& widget() { return *frame_; }
  // Null until the Log button first opened the viewer.
  QtLogViewerWindow* log_viewer() { return log_viewer_.get(); }
  QtPrintersWindow& printers() { return *printers_; }
  // Null without a notification area.
  QSystemTrayIcon* tray() { return tray_.get(); }
  // The icon's right-click menu.
  QMenu& menu() { return *menu_; }
  // The icon's picture (also the window's icon).
  const QIcon& icon() const { return icon_; }

 private:
  QWidget* CreateHeader();
  QLabel* CreatePicture();
  QWidget* CreateOrderView();
  QWidget* CreateErrorView();
  QLabel* CreateStateLine();
  QLayout* CreateButtons();
  QLabel* CreateWarning(Label& label, const char* name);
  // The buttons in a row, left-aligned.
  QLayout* CreatePanelButtons(std::initializer_list<std::pair<Button*, const char*>> buttons);
  void CreateTray();
  void FillMenu(const std::vector<KORVdelayedSend1::MenuEntry>& entries);
  void BindLogViewer();
  void FollowWindowState();
  bool HasIcon() const { return tray_ && tray_->isVisible(); }

  KORVdelayedSend1& window_;
  QtLoop& loop_;
  QIcon icon_;
  std::unique_ptr<WindowFrame> frame_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  std::unique_ptr<StationTray> station_tray_;
  std::unique_ptr<QtPrintersWindow> printers_;
  std::unique_ptr<QtLogViewerWindow> log_viewer_;
  ElementWidgets elements_;
  bool menu_opening_ = false;  // the menu is filled by its own opening
};

}  // namespace korv
