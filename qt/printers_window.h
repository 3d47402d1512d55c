#pragma once
// The station's printers, for the operator who must find out why tickets
// wait: each printer with its destination, the tickets it holds back, why it
// did not take the last one and since when it holds them, as the last pass
// found them (the window's State(), brought up to date after every pass);
// "Send held tickets now" makes every printer try at once what it holds,
// for when paper was loaded or the printer switched back on.
//
// A window of its own, opened by the main window's Printers button; it
// changes nothing the passes do and may stay open while orders are sent.
// The title bar's close and Done hide it.

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <memory>

#include "qt/qt_loop.h"
#include "qt/window_frame.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {

class QtPrintersWindow : private StationWatchListener {
 public:
  QtPrintersWindow(KORVdelayedSend1& window, QtLoop& loop);
  ~QtPrintersWindow() override;
  QtPrintersWindow(const QtPrintersWindow&) = delete;
  QtPrintersWindow& operator=(const QtPrintersWindow&) = delete;

  // Shows the window in front, brought up to date.
  void Show();
  QWidget& widget() { return *frame_; }

 private:
  void StateChanged(const StationState& state) override { Refresh(state); }
  void Refresh(const StationState& state);
  void SendNow();

  KORVdelayedSend1& window_;
  QtLoop& loop_;
  std::unique_ptr<WindowFrame> frame_;
  QTreeWidget* list_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* send_now_ = nullptr;
};

}  // namespace korv
