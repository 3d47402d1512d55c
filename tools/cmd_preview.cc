// korvtool preview: a ticket as it will print, as a PNG picture.

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

#include "platform/print/dir_destination.h"
#include "platform/print/escpos_reader.h"
#include "platform/print/paper_fit.h"
#include "platform/print/printer_registry.h"
#include "platform/print/spooled_destination.h"
#include "qt/ticket_picture.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

namespace fs = std::filesystem;

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Saved under a temporary name and renamed, so a failed save leaves no
// half-written picture under the name asked for.
bool SavePng(const QImage& image, const fs::path& out) {
  fs::path temporary = out;
  temporary += ".tmp";
  std::error_code error;
  if (!image.save(QString::fromStdString(temporary.string()), "PNG")) {
    fs::remove(temporary, error);
    return false;
  }
  fs::rename(temporary, out, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

// The folder a printer leaves its tickets in: its spool, or its dir: folder.
fs::path TicketFolder(const InstalledPrinter& printer) {
  if (auto* spooled = dynamic_cast<const SpooledDestination*>(printer.destination.get()))
    return spooled->SpoolFolder();
  if (auto* dir = dynamic_cast<const DirDestination*>(printer.destination.get()))
    return dir->folder();
  return {};
}

// The station's printer whose folder holds `file`; none when no printer's does.
std::optional<InstalledPrinter> PrinterHolding(const Args& args, const std::string& file) {
  FileSystem files{PathMap(args.Root())};
  std::ostringstream ignored;  // the station reports a bad printer file, not its preview
  InstalledPrinters installed = LoadInstalledPrinters(files, PrinterSetup{}, ignored);
  std::error_code error;
  fs::path folder = fs::weakly_canonical(fs::absolute(file).parent_path(), error);
  for (InstalledPrinter& printer : installed.printers) {
    fs::path own = TicketFolder(printer);
    if (!own.empty() && fs::weakly_canonical(own, error) == folder) return std::move(printer);
  }
  return std::nullopt;
}

// --columns, else the columns of the printer the file belongs to, else 48.
std::optional<int> Columns(const Args& args, const std::optional<InstalledPrinter>& printer) {
  if (std::optional<std::string> given = args.Option("--columns")) return ColumnsValue(*given);
  return printer && printer->paper.columns > 0 ? printer->paper.columns : kDefaultColumns;
}

int RunPreview(const Args& args) {
  if (args.positional.size() != 1) return UsageError("preview takes one FILE");
  std::optional<std::string> out = args.Option("--out");
  if (!out || out->empty()) return UsageError("preview needs --out PNG");
  const std::string& file = args.positional[0];
  std::optional<InstalledPrinter> printer = PrinterHolding(args, file);
  std::optional<int> columns = Columns(args, printer);
  if (!columns)
    return UsageError("--columns takes a number of columns from " + std::to_string(kFewestColumns) +
                      " to " + std::to_string(kMostColumns));
  std::string bytes;
  if (!ReadBytes(file, bytes)) return Fail("cannot read " + file);
  // The painter needs an application, never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "korvtool";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  QImage picture = TicketPicture(ReadTicket(bytes), *columns);
  if (!SavePng(picture, *out)) return Fail("cannot write " + *out);
  std::cout << *out << ": " << file << " at " << *columns << " columns"
            << (printer ? " (printer " + printer->device_name + ")" : "") << "\n";
  return 0;
}

const Registration kPreview{ToolCommand{
    "preview",
    "preview FILE --out PNG [--columns N] [--root DIR]",
    "draw a spooled job or a captured ticket as the printer prints it",
    "Draws FILE as a picture of the printed ticket and saves it as PNG:\n"
    "the paper of its printer, 12 pixels a column (48 columns, 80 mm\n"
    "paper, are 576 pixels across), as tall as the ticket, with the\n"
    "lines fitted to the columns as the printer fits them: the same\n"
    "wraps, sizes and paper cut. FILE is a spooled job (a printer's\n"
    "spool\\<printer>\\NNNNNN.job, ESC/POS bytes: bold, character size,\n"
    "code page, the paper cut, and red where the job is red, which it is\n"
    "only for a printer marked red) or a captured ticket (a folder\n"
    "printer's NNNNNN.txt, plain black lines at the standard size,\n"
    "\"[cut]\" for the cut); which one is told by the content.\n\n"
    "  --columns N  the paper's characters a line (16 to 255). Without\n"
    "               it, the columns of the station's printer whose spool\n"
    "               or folder holds FILE (printers.conf columns=), else\n"
    "               48; give it to see a ticket as another printer would\n"
    "               print it.\n\n"
    "Prints the picture's name and the columns it was drawn at. Exit\n"
    "status 1 when FILE cannot be read or the picture cannot be written,\n"
    "2 for bad arguments.",
    {"--out", "--columns"},
    RunPreview,
    false,
}};

}  // namespace
}  // namespace korv::tool
