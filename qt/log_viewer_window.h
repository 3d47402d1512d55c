#pragma once
// The log viewer KorvTraceLOg on the screen: its caption, the text box with
// the log, and Done, Empty and "Email to Tech support" below. The window is
// shown and hidden as the viewer's Visible says; the title bar's close button
// is Done.

#include <memory>

#include "logview/korv_trace_log.h"
#include "qt/element_widgets.h"
#include "qt/window_frame.h"

namespace korv {

class QtLogViewerWindow {
 public:
  // Shows the window at once when the viewer is visible.
  QtLogViewerWindow(KorvTraceLOg& viewer, QtLoop& loop);
  ~QtLogViewerWindow();
  QtLogViewerWindow(const QtLogViewerWindow&) = delete;
  QtLogViewerWindow& operator=(const QtLogViewerWindow&) = delete;

  QWidget& widget() { return *frame_; }

 private:
  void FollowVisible();

  KorvTraceLOg& viewer_;
  std::unique_ptr<WindowFrame> frame_;
  ElementWidgets elements_;
};

}  // namespace korv
