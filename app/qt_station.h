#pragma once
// The screen of a station with a display: Qt's application and loop, real
// message boxes, the scheduler window with its notification-area icon. The
// station program uses it in place of the headless loop and the journal's
// boxes; what the station sends is the same either way.

#include <functional>
#include <memory>

#include "platform/screen/services.h"

namespace korv {

class KORVdelayedSend1;

// A display is there: $DISPLAY or $WAYLAND_DISPLAY is set, or
// $QT_QPA_PLATFORM names the platform to draw on (offscreen, vnc, ...).
bool DisplayAvailable();

class QtStation {
 public:
  // Makes the QApplication; its message boxes say their lines to `status`.
  // When no window can be opened on the display, Qt ends the program after a
  // line that points to --headless.
  explicit QtStation(StatusLines& status);
  ~QtStation();
  QtStation(const QtStation&) = delete;
  QtStation& operator=(const QtStation&) = delete;

  EventLoop& loop();
  MessageBoxes& boxes();

  // The window's widgets and icon, for as long as the Binding lives; it must
  // end before the window does. Nothing is bound without a screen.
  class Binding {
   public:
    explicit Binding(QtStation* screen) : screen_(screen) {}
    ~Binding();
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

   private:
    QtStation* screen_;
  };
  static Binding Bind(QtStation* screen, KORVdelayedSend1& window);

  // Shows the window and runs Qt's loop until the window's End (button or
  // icon menu) or until stop() answers true (asked twice a second). An
  // exception that escaped a window procedure ends the loop and is thrown
  // on from here.
  void Run(KORVdelayedSend1& window, const std::function<bool()>& stop);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace korv
