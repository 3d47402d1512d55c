// korv-screenshot: pictures of the station's window for the documentation.
// It opens the window offscreen on a station tree, lists the pending orders
// (no dispatch pass runs, so nothing is sent), saves the window as a PNG,
// and with --view-first-order opens the first order's view and saves that.
// --attention and --printers picture the station whose kitchen printer is
// switched off: the window with its state line, and the printers window.
// Their printers are stand-ins that print nothing.

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
  std::string attention_out;
  std::string printers_out;
};

const char kUsage[] =
    "Usage: korv-screenshot --root DIR --out WINDOW.png [--view-first-order VIEW.png]\n"
    "                       [--attention WINDOW.png] [--printers PRINTERS.png]\n";

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    if (name == "--root") {
      o.root = argv[i + 1];
    } else if (name == "--out") {
      o.out = argv[i + 1];
    } else if (name == "--view-first-order") {
      o.order_view_out = argv[i + 1];
    } else if (name == "--attention") {
      o.attention_out = argv[i + 1];
    } else if (name == "--printers") {
      o.printers_out = argv[i + 1];
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

// A printer as the pictures show it, holding what it is said to hold.
class PicturedPrinter : public Destination {
 public:
  PicturedPrinter(std::string described, DestinationState state)
      : described_(std::move(described)), state_(std::move(state)) {}
  void Deliver(const Document&) override {}
  std::string Describe() const override { return described_; }
  DestinationState State() const override { return state_; }

 private:
  std::string described_;
  DestinationState state_;
};

std::vector<InstalledPrinter> PicturedPrinters() {
  const struct {
    const char* name;
    const char* destination;
    DestinationState state;
  } printers[] = {
      {"KITCHEN1 TM-U220",
       "socket://192.168.1.50:9100",
       {3, "printer not available: 192.168.1.50:9100: No route to host"}},
      {"BAR TM-T88", "socket://192.168.1.51:9100", {}},
      {"KITCHEN 3", "cups:Kitchen3_Raw", {}},
      {"OFFICE", "cups:Office_Laser", {}},
  };
  std::vector<InstalledPrinter> installed;
  for (const auto& p : printers)
    installed.push_back({p.name, std::make_unique<PicturedPrinter>(p.destination, p.state)});
  return installed;
}

// The station as a pass finds it with the kitchen printer off: the watch is
// told of a pass that sends nothing.
bool SaveKitchenPrinterOff(const Options& options, KORVdelayedSend1& window,
                           QtDelayedSendWindow& screen, PrintService& printer) {
  printer = PrintService(PicturedPrinters());
  window.Watch().PassBegan();
  window.Watch().PassEnded();
  if (!options.attention_out.empty() && !Save(screen.widget(), options.attention_out)) return false;
  if (options.printers_out.empty()) return true;
  screen.printers().Show();
  return Save(screen.printers().widget(), options.printers_out);
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
  if (!options.order_view_out.empty()) {
    if (window.MList1.Count() == 0) {
      std::cerr << "korv-screenshot: no pending order to view\n";
      return 1;
    }
    // The operator's click on the first row, as the list widget reports it.
    auto* list = screen.widget().findChild<QTreeWidget*>("MList1");
    emit list->itemClicked(list->topLevelItem(0), 0);
    if (!Save(screen.widget(), options.order_view_out)) return 1;
    window.SSCommand3.Press();     // Done: back to the list
    window.Timer1.SetInterval(0);  // which armed the next pass
    window.MList1.SetListIndex(-1);
  }
  if (options.attention_out.empty() && options.printers_out.empty()) return 0;
  return SaveKitchenPrinterOff(options, window, screen, printer) ? 0 : 1;
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
