// korvtool preview: a ticket as it will print, as a PNG picture.

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/print/escpos_reader.h"
#include "platform/qt/ticket_picture.h"
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

int RunPreview(const Args& args) {
  if (args.positional.size() != 1) return UsageError("preview takes one FILE");
  std::optional<std::string> out = args.Option("--out");
  if (!out || out->empty()) return UsageError("preview needs --out PNG");
  std::string bytes;
  if (!ReadBytes(args.positional[0], bytes)) return Fail("cannot read " + args.positional[0]);
  // The painter needs an application, never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "korvtool";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  QImage picture = TicketPicture(ReadTicket(bytes), args.Has("--red"));
  if (!SavePng(picture, *out)) return Fail("cannot write " + *out);
  return 0;
}

const Registration kPreview{ToolCommand{
    "preview",
    "preview FILE --out PNG [--red]",
    "draw a spooled job or a captured ticket as the printer prints it",
    "Draws FILE as a picture of the printed ticket and saves it as PNG: 80 mm\n"
    "paper, 576 pixels wide, as tall as the ticket. FILE is a spooled job (a\n"
    "printer's spool\\<printer>\\NNNNNN.job, ESC/POS bytes: bold, character\n"
    "size, red and the paper cut are drawn) or a captured ticket (a folder\n"
    "printer's NNNNNN.txt, plain lines, \"[cut]\" for the cut); which one is\n"
    "told by the content. --red draws the lines sent in red as red, as a printer\n"
    "with a two-colour ribbon prints them; without it they are black, as a\n"
    "one-colour printer prints them. Exit status 1 when FILE cannot be read or\n"
    "the picture cannot be written.",
    {"--out"},
    RunPreview,
}};

}  // namespace
}  // namespace korv::tool
