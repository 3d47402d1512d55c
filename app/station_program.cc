#include "app/station_program.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/qt_station.h"
#include "app/service_notifier.h"
#include "platform/host/access_problem.h"
#include "platform/host/system_host.h"
#include "platform/print/printer_registry.h"
#include "platform/screen/headless_loop.h"
#include "platform/screen/journal_priority.h"
#include "platform/screen/player_sound.h"
#include "platform/screen/stderr_boxes.h"
#include "platform/screen/stderr_status_lines.h"
#include "scheduler/korv_delayed_send.h"

#ifndef KORV_VERSION
#define KORV_VERSION "0.0.0"
#endif

namespace korv {
namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

// Where systemd keeps the link of the enabled service.
constexpr char kServiceEnabled[] =
    "/etc/systemd/system/multi-user.target.wants/korv-delayed-send.service";

// Why a copy started by a desktop session's autostart entry leaves the
// station alone: the service runs it, another copy does, or its root is
// another user's. Empty when it should run.
std::string AutostartLeavesIt(const ProgramOptions& options, const FileSystem& files) {
  std::error_code ec;
  if (std::filesystem::exists(kServiceEnabled, ec))
    return "the service korv-delayed-send runs this machine's station (it is enabled)";
  const std::string problem = AccessProblem(files.HostPath("C:\\Korvain\\"), Access::kReadWrite);
  if (!problem.empty() && problem.rfind("does not exist", 0) != 0)
    return "the station root " + options.root + " is not this user's: " + problem;
  if (RunningCopy copy = FindRunningCopy(files.HostPath(kInstanceLockFile)); copy.running)
    return "a copy already runs on " + options.root +
           (copy.pid.empty() ? std::string() : " (process " + copy.pid + ")");
  return {};
}

// 0 when the station root and the station's own folder are this user's to
// use; else says why and returns the exit status.
int RootStatus(const ProgramOptions& options, const FileSystem& files) {
  namespace fs = std::filesystem;
  // A root this user may not reach is said below, with who may.
  std::error_code ec;
  const std::string reach = AccessProblem(options.root, Access::kRead);
  if (reach.rfind("does not exist", 0) == 0 ||
      (reach.empty() && !fs::is_directory(options.root, ec))) {
    std::cerr << PriorityMark(Priority::kError) << "korv-delayed-send: the station root "
              << options.root << " is not a folder (make one with: korvtool init --root "
              << options.root << ")\n";
    return 2;
  }
  // The station writes its own folder (lock file, spools, journal) from the
  // first moment; a user who may not is told so before anything starts.
  const fs::path own = files.HostPath("C:\\Korvain\\");
  if (std::string problem = MakeProblem(own); !problem.empty()) {
    std::cerr << PriorityMark(Priority::kError) << "korv-delayed-send: the station's own folder "
              << "C:\\Korvain\\ (" << own.string() << ") " << problem << "\n";
    return kExitCannotGoOn;
  }
  return 0;
}

// The station's printers, sending. Their reports and the printer file's
// warnings carry their priorities, for the journal.
InstalledPrinters LoadPrinters(FileSystem& files, StatusLines& status) {
  PrinterSetup setup = PrinterSetup::Station();
  setup.sender.priority_marks = true;
  std::ostringstream warnings;
  InstalledPrinters installed = LoadInstalledPrinters(files, setup, warnings);
  std::istringstream lines(warnings.str());
  for (std::string line; std::getline(lines, line);) status.Say(line, Priority::kWarning);
  return installed;
}

}  // namespace

bool ParseProgramOptions(int argc, char** argv, ProgramOptions& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--root") {
      if (i + 1 >= argc) {
        error = "--root needs a folder";
        return false;
      }
      o.root = argv[++i];
    } else if (a.rfind("--root=", 0) == 0) {
      o.root = a.substr(7);
    } else if (a == "--headless") {
      o.headless = true;
    } else if (a == "--once") {
      o.once = true;
    } else if (a == "--autostart") {
      o.autostart = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else {
      error = "unknown argument '" + a + "'";
      return false;
    }
  }
  return true;
}

// Lines of at most 73 characters: the manual page is made from this text and
// indents it by 7, and a terminal of 80 columns shows both whole.
void PrintProgramHelp(std::ostream& out) {
  out << "Usage: korv-delayed-send [--root DIR] [--headless] [--once] [--autostart]\n"
         "                         [--help] [--version]\n"
         "\n"
         "The delayed-send station: lists the delayed orders that order-entry\n"
         "stations leave in the shared PhoneOrders folder and, once a minute, sends\n"
         "every order that has fallen due to the kitchen and bar printers.\n"
         "\n"
         "  --root DIR   the station's root folder (default /var/lib/korvain); the\n"
         "               station's Windows paths live under it: C:\\Korvain\\ is\n"
         "               DIR/c/Korvain, F:\\ is DIR/f\n"
         "  --headless   run without a window (also when no display is available)\n"
         "  --once       start up, run one dispatch pass with every send it makes,\n"
         "               and exit\n"
         "  --autostart  as a desktop session starts it: end at once (status 0,\n"
         "               one line) when the service korv-delayed-send is enabled,\n"
         "               another copy runs on the station root, or the root is not\n"
         "               this user's\n"
         "  --version    print the version\n"
         "\n"
         "One line goes to standard error for each order sent, each error message\n"
         "and each message box; when standard error is systemd's journal, each\n"
         "line carries its priority (error, warning or information). Run by systemd\n"
         "as a notify service, the station tells it when it is ready and, after\n"
         "each pass, how it is and, where systemd watches it, that it is alive.\n"
         "SIGTERM or SIGINT ends the station once the send under way is done,\n"
         "beginning no further order; a send that waits for a shared counter file\n"
         "stops and is finished at the next start. While the configuration\n"
         "C:\\Korvain\\KorvINI.dat cannot be used (missing, empty, cut short,\n"
         "locked, or a DataRoot that names no folder), the station says why,\n"
         "watches no folder and reads it again at every pass.\n"
         "\n"
         "Once a day it removes what it wrote more than retention-days ago\n"
         "(C:\\Korvain\\station.conf; 365 unless set): the archive of the orders\n"
         "it sent, the monthly logs and the tickets of its dir: printers. The\n"
         "trace log is moved whole to TraceLog.YYYYMMDD.txt and kept as long.\n"
         "\n"
         "Exit status: 0; 1 when another copy already runs on this station root;\n"
         "2 for bad arguments or a station root that is not a folder; 3 when\n"
         "--once found no configuration it could use, so nothing was sent; 4 when\n"
         "this user may not use the station root or a file the station cannot go\n"
         "on without (the message names it, why, and who may).\n";
}

int RunStation(const ProgramOptions& options) {
  FileSystem files{PathMap(options.root)};
  if (options.autostart)
    if (std::string why = AutostartLeavesIt(options, files); !why.empty()) {
      std::cerr << "korv-delayed-send: not started from the desktop session: " << why << "\n";
      return 0;
    }
  if (int status = RootStatus(options, files)) return status;
  files.MakeFolders("C:\\Korvain");
  SystemClock clock;
  // With a display, Qt's loop, real boxes and the window take the place of
  // the headless loop and the journal's boxes; --once stays a headless pass.
  StderrStatusLines status(std::cerr, true);  // main's PrefixedStderr reads the marks
  std::unique_ptr<QtStation> screen;
  if (!options.headless && !options.once && DisplayAvailable())
    screen = std::make_unique<QtStation>(status);
  HeadlessLoop headless_loop(clock);
  StderrBoxes stderr_boxes(status);
  EventLoop& loop = screen ? screen->loop() : headless_loop;
  MessageBoxes& boxes = screen ? screen->boxes() : stderr_boxes;
  PlayerSound sound;
  SystemHost host(files.HostPath("C:\\Korvain\\korv-delayed-send.lock"), true);
  PrintService printer;  // installed once this is the station's only copy
  Platform platform{files, clock, printer, loop, boxes, sound, host, status};
  Station station;

  KORVdelayedSend1 window(station, platform, KORV_VERSION);
  window.EndSignalled = [] { return g_stop.load(); };
  // The watch has seen the pass before the notifier hears of its end.
  ServiceNotifier notifier(status, [&window] { return window.State().summary; });
  window.Pass().AddObserver(&notifier);
  QtStation::Binding on_screen = QtStation::Bind(screen.get(), window);
  if (!window.Form_Load()) return 1;
  // A refused copy never gets here: the spools and the journal belong to
  // the copy that runs. The printers take what a killed station left in
  // their spools, the sends it did not end are finished, and only then do
  // the printers send, so each ticket goes out once.
  InstalledPrinters installed = LoadPrinters(files, status);
  printer = PrintService(std::move(installed.printers), installed.current);
  window.RecoverSends();
  printer.Start();
  notifier.Ready();
  if (options.once) {
    window.Timer1.SetInterval(0);
    window.RunDispatchPass();
  } else {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (window.ConfigProblem().empty())
      std::cerr << "korv-delayed-send: watching " << window.File1.Path() << " under "
                << options.root << "\n";
    if (screen) {
      screen->Run(window, [] { return g_stop.load(); });
    } else {
      // A signal handler may only set a flag; this timer makes the loop look
      // at it within half a second.
      Timer stop_watch;
      stop_watch.Tick = [] {};
      headless_loop.AddTimer(stop_watch);
      stop_watch.SetInterval(500);
      headless_loop.Run([&] { return !g_stop && !window.EndRequested; });
      headless_loop.RemoveTimer(stop_watch);
    }
  }
  notifier.Stopping();
  window.Form_Terminate();
  // Tickets still on their way to a printer stay in the spool and go out at
  // the next start; give them a little time to go out now.
  if (!printer.Drain(std::chrono::seconds(options.once ? 15 : 5)))
    std::cerr << PriorityMark(Priority::kWarning)
              << "korv-delayed-send: some tickets are still in the spool; they are sent when "
                 "the station starts again\n";
  return options.once && !window.ConfigProblem().empty() ? kExitNoConfiguration : 0;
}

}  // namespace korv
