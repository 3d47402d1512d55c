#pragma once
// The top-level widget of a window whose showing and hiding belong to the
// window's own procedures: the title bar's close button does not close it,
// it calls on_close, and the window decides (hide, end, or nothing).

#include <QCloseEvent>
#include <QWidget>
#include <functional>

namespace korv {

class WindowFrame : public QWidget {
 public:
  WindowFrame() = default;
  std::function<void()> on_close;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (on_close) on_close();
  }
};

}  // namespace korv
