#pragma once
// Message boxes of the station with a window: a real modal box the operator
// answers. Each box is also said as the same status line a station without a
// screen says, so a station can be followed the same way with or without its
// window.

#include <string>

#include "platform/screen/services.h"

namespace korv {

class QtBoxes : public MessageBoxes {
 public:
  // Needs a QApplication. An empty title shows the application's name.
  explicit QtBoxes(StatusLines& lines) : lines_(lines) {}
  // Waits in the box's own event loop (other events, timers included, run
  // meanwhile). Escape or closing the box answers Cancel, No, or OK for a
  // box with OK alone.
  BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                 BoxButtons buttons) override;

 private:
  StatusLines& lines_;
};

}  // namespace korv
