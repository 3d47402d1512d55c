// korv-screenshot: pictures of the station's window for the documentation.
// It opens the window offscreen on a station tree, lists the pending orders
// (no dispatch pass runs, so nothing is sent), saves the window as a PNG,
// and with --view-first-order opens the first order's view and saves that.

#include <QApplication>
#include <QPixmap>
#include <iostream>
#include <string>

#include "platform/host/system_host.h"
#include "platform/screen/player_sound.h"
#include "platform/screen/stderr_status_lines.h"
#include "qt/delayed_send_window.h"
#include "qt/qt_boxes.h"
#include "qt/qt_loop.h"
#include "scheduler/korv_delayed_send.h"

#ifndef KORV_VERSION
#define KORV_VERSION "0.0.0"
#endif

namespace korv {
namespace {

struct Options {
  std::string root;
  std::string out;
  std::string order_view_out;
};

const char kUsage[] =
    "Usage: korv-screenshot --root DIR --out WINDOW.png [--view-first-order VIEW.png]\n";

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    if (name == "--root") {
      o.root = argv[i + 1];
    } else if (name == "--out") {
      o.out = argv[i + 1];
    } else if (name == "--view-first-order") {
      o.order_view_out = argv[i + 1];
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !o.root.empty() && !o.out.empty();
}

// The offscreen platform says at every window what it cannot do; that is
// expected here and only hides the lines that matter.
void QuietOffscreen(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtWarningMsg &&
      (message.contains("does not support") || message.contains("XDG_RUNTIME_DIR")))
    return;
  std::cerr << message.toStdString() << "\n";
}

bool Save(QWidget& widget, const std::string& path) {
  QApplication::processEvents();
  if (widget.grab().save(QString::fromStdString(path), "PNG")) {
    std::cout << "wrote " << path << "\n";
    return true;
  }
  std::cerr << "korv-screenshot: cannot write " << path << "\n";
  return false;
}

int Run(const Options& options) {
  FileSystem files{PathMap(options.root)};
  SystemClock clock;
  PrintService printer;  // nothing is printed
  QtLoop loop;
  StderrStatusLines status;
  QtBoxes boxes(status);
  PlayerSound sound;
  SystemHost host(files.HostPath(kInstanceLockFile));
  Platform platform{files, clock, printer, loop, boxes, sound, host, status};
  Station station;
  KORVdelayedSend1 window(station, platform, KORV_VERSION);
  QtDelayedSendWindow screen(window, loop);
  if (!window.Form_Load()) return 1;
  window.Timer1.SetInterval(0);  // no dispatch pass: the orders stay pending
  window.File1.Refresh();
  window.UpdateList();
  screen.widget().resize(900, 540);
  screen.Show();
  if (!Save(screen.widget(), options.out)) return 1;
  if (options.order_view_out.empty()) return 0;
  if (window.MList1.Count() == 0) {
    std::cerr << "korv-screenshot: no pending order to view\n";
    return 1;
  }
  // The operator's click on the first row, as the list widget reports it.
  auto* list = screen.widget().findChild<QTreeWidget*>("MList1");
  emit list->itemClicked(list->topLevelItem(0), 0);
  return Save(screen.widget(), options.order_view_out) ? 0 : 1;
}

}  // namespace
}  // namespace korv

int main(int argc, char** argv) {
  korv::Options options;
  if (!korv::Parse(argc, argv, options)) {
    std::cerr << korv::kUsage;
    return 2;
  }
  // Pictures come out the same on any machine, with or without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(korv::QuietOffscreen);
  QApplication app(argc, argv);
  return korv::Run(options);
}
