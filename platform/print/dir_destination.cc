#include "platform/print/dir_destination.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/file_system.h"
#include "platform/files/temp_files.h"
#include "platform/print/control_font.h"
#include "platform/print/html_renderer.h"
#include "platform/print/paper_fit.h"
#include "platform/print/text_renderer.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

constexpr int kMinDigits = 6;
// Numbers taken by other writers between our look and our publish are
// skipped; this many in a row means something else is wrong.
constexpr int kNumberAttempts = 1000;

std::string NumberedName(int64_t n, const char* ext) {
  char buf[32];
  snprintf(buf, sizeof buf, "%0*lld%s", kMinDigits, static_cast<long long>(n), ext);
  return buf;
}

// The file's bytes; empty when it cannot be read.
// The file's bytes, empty when there is none. One that is there and cannot
// be read raises: taken for empty, a preview would be written over with the
// cut alone, and a ticket written again.
std::string ReadIfThere(const fs::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    RaiseErrno(errno, true);
  }
  std::string bytes;
  char chunk[65536];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
  const int err = n < 0 ? errno : 0;
  close(fd);
  if (err != 0) RaiseErrno(err, true);
  return bytes;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The temporary files of one delivery, removed however it ends; one that
// was published under its number has no temporary name left.
struct TempPair {
  fs::path txt, html;
  bool txt_left = true, html_left = true;
  ~TempPair() {
    if (txt_left) unlink(txt.c_str());
    if (html_left) unlink(html.c_str());
  }
};

// The ticket's .html shows what was added to its .txt (the cut): its page is
// written again whole, under a temporary name, so a reader never finds half
// of it.
void AddToPreview(const fs::path& html, const Document& doc) {
  const std::string page = ReadIfThere(html);
  const std::string added = WithLinesAdded(page, doc);
  if (added == page) return;
  const fs::path temp = TempPathIn(html.parent_path());
  WriteNewFile(temp, added);
  std::error_code ec;
  fs::rename(temp, html, ec);
  if (ec) {
    unlink(temp.c_str());
    RaiseErrno(ec.value());
  }
}

bool OnlyCommands(const Document& doc) {
  return !doc.lines.empty() && std::all_of(doc.lines.begin(), doc.lines.end(),
                                           [](const PrintedLine& l) { return IsControlLine(l); });
}

}  // namespace

int64_t DocumentNumber(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return -1;
  std::string ext = Lower(name.substr(dot));
  if (ext != ".txt" && ext != ".html") return -1;
  std::string stem = name.substr(0, dot);
  if (stem.size() < kMinDigits || stem.size() > 18) return -1;
  for (char c : stem)
    if (c < '0' || c > '9') return -1;
  return std::stoll(stem);
}

int64_t HighestDocumentNumber(const fs::path& folder) {
  int64_t highest = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    highest = std::max(highest, DocumentNumber(it->path().filename().string()));
  }
  return highest;
}

std::string DirDestination::Check(std::chrono::milliseconds) const {
  fs::path folder = folder_;
  std::error_code ec;
  while (!fs::exists(folder, ec) && folder.has_relative_path()) folder = folder.parent_path();
  std::string problem = FolderWriteProblem(folder);
  return problem.empty() ? problem : folder.string() + ": " + problem;
}

// The document as a printer with this paper shows it: in characters its code
// page has, fitted to its columns. Without columns, as printed.
Document DirDestination::OnPaper(const Document& printed) const {
  if (paper_.columns <= 0) return printed;
  Document plain = printed;
  for (PrintedLine& line : plain.lines) {
    if (IsControlLine(line)) continue;
    for (std::string& item : line.items) item = PlainForCodePage(item, paper_.code_page);
  }
  return FitDocument(plain, paper_.columns);
}

// A paper cut arrives as a document of its own after the ticket it ends;
// it belongs at the foot of that ticket's text, not in a file of its own.
// A ticket that cannot be looked at is taken to be there: its append fails
// if it is not, and the cut is written again.
bool DirDestination::EndsLastTicket(const Document& doc) const {
  std::error_code ec;
  return OnlyCommands(doc) && last_number_ > 0 &&
         (fs::exists(folder_ / NumberedName(last_number_, ".txt"), ec) || ec);
}

void DirDestination::Deliver(const Document& printed) {
  for (int attempt = 0; attempt < kNumberAttempts; ++attempt) {
    const int64_t n = Reserve(printed);
    if (DeliverAs(n, printed)) return Release(n);
  }
  throw RuntimeError(kErrPathFileAccess, "No free document number in " + folder_.string());
}

// Numbers go on from this destination's last document. The folder is read
// for its highest number at the first document, and again after a number
// was found taken (another process prints here too, or files were put back).
int64_t DirDestination::Reserve(const Document& printed) {
  if (EndsLastTicket(OnPaper(printed))) return last_number_;
  if (last_number_ > 0 && !look_again_) return last_number_ + 1;
  look_again_ = false;
  return HighestDocumentNumber(folder_) + 1;
}

bool DirDestination::Holds(int64_t ref, const Document& printed) {
  const Document doc = OnPaper(printed);
  const std::string held = ReadIfThere(folder_ / NumberedName(ref, ".txt"));
  const std::string text = RenderText(doc);
  return OnlyCommands(doc) ? !held.empty() && EndsWith(held, text) : !held.empty() && held == text;
}

bool DirDestination::Taken() {
  look_again_ = true;
  return false;
}

// A failure names the folder, which is what an administrator mends.
bool DirDestination::DeliverAs(int64_t ref, const Document& printed) {
  try {
    return Write(ref, OnPaper(printed));
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(), e.description() + " in " + folder_.string());
  }
}

bool DirDestination::Write(int64_t ref, const Document& doc) {
  const fs::path txt = folder_ / NumberedName(ref, ".txt");
  const fs::path html = folder_ / NumberedName(ref, ".html");
  std::error_code ec;
  if (OnlyCommands(doc) && fs::exists(txt, ec)) {
    AddToPreview(html, doc);
    int fd = open(txt.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) RaiseErrno(errno);
    try {
      WriteAll(fd, RenderText(doc));
      if (fsync(fd) != 0) RaiseErrno(errno);
    } catch (...) {
      close(fd);
      throw;
    }
    close(fd);
    return true;
  }
  const std::string html_text = RenderHtml(doc);
  TempPair temp{TempPathIn(folder_), TempPathIn(folder_)};
  try {
    WriteNewFile(temp.txt, RenderText(doc));
  } catch (const RuntimeError& e) {
    // The folder is made when a document finds it missing.
    if (e.number() != kErrPathNotFound) throw;
    fs::create_directories(folder_, ec);
    if (ec) RaiseErrno(ec.value());
    WriteNewFile(temp.txt, RenderText(doc));
  }
  WriteNewFile(temp.html, html_text);
  // An .html of this very document is what an attempt cut short left.
  const bool html_there = ReadIfThere(html) == html_text;
  if (!html_there) {
    if (!PublishNew(temp.html, html)) return Taken();
    temp.html_left = false;
  }
  if (!PublishNew(temp.txt, txt)) {
    // Another writer holds this number's .txt: give the number up whole.
    if (!html_there) unlink(html.c_str());
    return Taken();
  }
  temp.txt_left = false;
  SyncFolder(folder_);
  return true;
}

}  // namespace korv
