#include "app/qt_station.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/screen/journal_priority.h"
#include "qt/delayed_send_window.h"
#include "qt/qt_boxes.h"
#include "qt/qt_loop.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {
namespace {

QtMessageHandler g_qt_handler = nullptr;

// Qt ends the program when it cannot open the display; say what to do first.
void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::cerr << PriorityMark(Priority::kError)
              << "korv-delayed-send: the window cannot be opened on this display; "
                 "run with --headless to run the station without it\n";
  }
  if (g_qt_handler) g_qt_handler(type, context, message);
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool DisplayAvailable() {
  // An offscreen or minimal platform has nobody to answer a message box, and
  // the station would wait on it for good: that is a headless station.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && (std::string(platform) == "offscreen" || std::string(platform) == "minimal"))
    return false;
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

struct QtStation::Parts {
  explicit Parts(StatusLines& status) : boxes(status) {}
  // QApplication keeps references to these for its whole life.
  int argc = 1;
  char name[18] = "korv-delayed-send";
  char* argv[2] = {name, nullptr};
  QApplication app{argc, argv};
  QtLoop loop;
  QtBoxes boxes;
  std::unique_ptr<QtDelayedSendWindow> window;
};

QtStation::QtStation(StatusLines& status) {
  g_qt_handler = qInstallMessageHandler(OnQtMessage);
  parts_ = std::make_unique<Parts>(status);
  QApplication::setApplicationName("korv-delayed-send");
  // Hidden to the notification area is not ended.
  QApplication::setQuitOnLastWindowClosed(false);
}

QtStation::~QtStation() { parts_.reset(); }

EventLoop& QtStation::loop() { return parts_->loop; }

MessageBoxes& QtStation::boxes() { return parts_->boxes; }

QtStation::Binding QtStation::Bind(QtStation* screen, KORVdelayedSend1& window) {
  if (screen) {
    screen->parts_->window = std::make_unique<QtDelayedSendWindow>(window, screen->parts_->loop);
    QApplication::setWindowIcon(screen->parts_->window->icon());
  }
  return Binding(screen);
}

QtStation::Binding::~Binding() {
  if (screen_) screen_->parts_->window.reset();
}

void QtStation::Run(KORVdelayedSend1& window, const std::function<bool()>& stop) {
  QtLoop& loop = parts_->loop;
  // A signal handler may only set a flag; this timer looks at it. exit(), not
  // quit(): quit() asks the windows first, and they do not close themselves.
  Timer stop_watch;
  stop_watch.Tick = [&] {
    if (stop() || window.EndRequested) QApplication::exit(0);
  };
  loop.AddTimer(stop_watch);
  stop_watch.SetInterval(500);
  if (parts_->window) parts_->window->Show();
  QApplication::exec();
  loop.RemoveTimer(stop_watch);
  if (std::exception_ptr failure = loop.TakeFailure()) std::rethrow_exception(failure);
}

}  // namespace korv
