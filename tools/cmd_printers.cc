// korvtool printers: the station's installed printers as the station program
// sees them, and the print jobs each one still holds in its spool because the
// printer has not taken them yet. Only looks: nothing is sent or removed.

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>

#include "platform/print/destinations.h"
#include "platform/print/dir_destination.h"
#include "platform/print/paper_fit.h"
#include "platform/print/printer_registry.h"
#include "platform/print/spooled_destination.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

namespace fs = std::filesystem;

// Long enough for a ticket printer's answer, short enough for a list.
constexpr auto kAskWithin = std::chrono::seconds(2);

std::string FileTime(const fs::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return "?";
  char text[32];
  struct tm local;
  localtime_r(&st.st_mtime, &local);
  strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local);
  return text;
}

void ListJobs(const PrintSpool& spool) {
  std::error_code ec;
  for (const SpoolJob& job : spool.Jobs())
    std::cout << "      " << job.path.filename().string() << "  " << FileTime(job.path) << "  "
              << fs::file_size(job.path, ec) << " bytes\n";
}

// How the printer fits its tickets: ESC/POS printers always, a folder only
// when its columns are given.
std::string Paper(const PaperSetup& paper, bool escpos) {
  if (!escpos && paper.columns == 0) return "lines as printed";
  int columns = paper.columns ? paper.columns : kDefaultColumns;
  return std::to_string(columns) + " columns" + (paper.columns ? "" : " (not given)") +
         ", code page " + std::to_string(static_cast<int>(paper.code_page));
}

std::string Plural(size_t n) { return std::to_string(n) + (n == 1 ? " print job" : " print jobs"); }

// One printer; returns its spool folder, empty for a printer without one.
fs::path ShowPrinter(const InstalledPrinter& p, bool current) {
  std::cout << (current ? "* " : "  ") << p.device_name << (p.red ? "  (red)" : "") << "\n"
            << "    destination: " << (p.destination ? p.destination->Describe() : "-") << "\n";
  if (auto* spooled = dynamic_cast<const SpooledDestination*>(p.destination.get())) {
    PrintSpool spool(spooled->SpoolFolder());
    size_t held = spool.Jobs().size();
    std::cout << "    paper: " << Paper(p.paper, true)
              << "\n    reports: " << ConditionText(spooled->Ask(kAskWithin)) << "\n    state: "
              << (held == 0 ? "nothing held back"
                            : "holds " + Plural(held) + " the printer has not taken yet")
              << "\n    spool: " << spool.folder().string() << "\n";
    ListJobs(spool);
    return spool.folder();
  }
  if (dynamic_cast<const DirDestination*>(p.destination.get()))
    std::cout << "    paper: " << Paper(p.paper, false) << "\n    state: prints into a folder\n";
  else
    std::cout << "    state: cannot print (unknown destination)\n";
  return {};
}

// Spool folders that belong to no installed printer but still hold jobs (a
// printer renamed or removed from the printer file).
void ShowOrphans(const fs::path& root, const std::set<fs::path>& known) {
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory() || known.count(it->path())) continue;
    PrintSpool spool(it->path());
    if (spool.Jobs().empty()) continue;
    std::cout << "\n! " << it->path().string() << " holds " << Plural(spool.Jobs().size())
              << " of a printer that is no longer installed; they are not printed.\n";
    ListJobs(spool);
  }
}

int RunPrinters(const Args& args) {
  if (!args.positional.empty()) return UsageError("printers takes no arguments");
  FileSystem files{PathMap(args.Root())};
  PrinterSetup setup;  // looks only: no sender is started
  if (!args.Has("--no-cups")) setup.cups_queues = [] { return ListCupsQueues(); };
  InstalledPrinters installed = LoadInstalledPrinters(files, setup, std::cerr);
  std::cout << "Printers of the station under " << args.Root() << " (" << kPrintersConf
            << ", then CUPS)\n";
  if (installed.printers.empty()) std::cout << "  none installed\n";
  std::set<fs::path> known;
  for (size_t i = 0; i < installed.printers.size(); ++i)
    known.insert(ShowPrinter(installed.printers[i], static_cast<int>(i) == installed.current));
  ShowOrphans(files.HostPath(kSpoolRoot), known);
  return 0;
}

const Registration kPrinters{ToolCommand{
    "printers",
    "printers [--no-cups] [--root DIR]",
    "list the installed printers and the print jobs each one still holds",
    "Lists the station's printers in the order the station lists them:\n"
    "those of C:\\Korvain\\printers.conf, then the queues of the CUPS\n"
    "server (unless --no-cups is given). The printer current at start-up\n"
    "is marked *. For each ticket printer (socket://, device:, cups:) it\n"
    "shows what the printer reports now (ready, no paper, paper near\n"
    "its end, cover open, offline, or status unknown), its spool\n"
    "folder and every print job still in it: a job leaves the spool\n"
    "only when the printer has taken it, so jobs listed\n"
    "here wait for a printer that is off, out of paper or unreachable\n"
    "(the running station keeps trying). Spool folders of printers no\n"
    "longer installed are reported too. Nothing is sent or removed.",
    {},
    RunPrinters,
}};

}  // namespace
}  // namespace korv::tool
