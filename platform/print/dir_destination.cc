#include "platform/print/dir_destination.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/file_system.h"
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

std::atomic<int> temp_sequence{0};

// A document number from a file name, or -1 when the name is not one.
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

std::string NumberedName(int64_t n, const char* ext) {
  char buf[32];
  snprintf(buf, sizeof buf, "%0*lld%s", kMinDigits, static_cast<long long>(n), ext);
  return buf;
}

void WriteNewFile(const fs::path& path, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) RaiseErrno(errno);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      close(fd);
      RaiseErrno(err);
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) RaiseErrno(errno);
}

// Gives the finished temporary file its final name unless that name is
// taken; false when taken. A hard link claims the name atomically; where the
// folder's file system has no links, an existence test and a rename do.
bool Publish(const fs::path& temp, const fs::path& target) {
  if (link(temp.c_str(), target.c_str()) == 0) return true;
  int err = errno;
  if (err == EEXIST) return false;
  if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != ENOSYS) RaiseErrno(err);
  if (access(target.c_str(), F_OK) == 0) return false;
  if (rename(temp.c_str(), target.c_str()) != 0) RaiseErrno(errno);
  return true;
}

// The temporary files of one delivery, removed however it ends.
struct TempPair {
  fs::path txt, html;
  ~TempPair() {
    unlink(txt.c_str());
    unlink(html.c_str());
  }
};

// The document as a printer with this paper shows it: in characters its code
// page has, fitted to its columns.
Document OnPaper(const Document& doc, const PaperSetup& paper) {
  Document plain = doc;
  for (PrintedLine& line : plain.lines) {
    if (IsControlLine(line)) continue;
    for (std::string& item : line.items) item = PlainForCodePage(item, paper.code_page);
  }
  return FitDocument(plain, paper.columns);
}

}  // namespace

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

void DirDestination::Deliver(const Document& printed) {
  const Document doc = paper_.columns > 0 ? OnPaper(printed, paper_) : printed;
  // A paper cut arrives as a document of its own after the ticket it ends;
  // it belongs at the foot of that ticket's text, not in a file of its own.
  bool only_commands =
      !doc.lines.empty() && std::all_of(doc.lines.begin(), doc.lines.end(),
                                        [](const PrintedLine& l) { return IsControlLine(l); });
  if (only_commands && last_number_ > 0) {
    fs::path txt = folder_ / NumberedName(last_number_, ".txt");
    int fd = open(txt.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd >= 0) {
      std::string text = RenderText(doc);
      bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
      close(fd);
      if (ok) return;
    }
  }
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) RaiseErrno(ec.value());

  std::string temp_stem =
      ".korv-" + std::to_string(getpid()) + "-" + std::to_string(temp_sequence.fetch_add(1));
  TempPair temp{folder_ / (temp_stem + ".txt.tmp"), folder_ / (temp_stem + ".html.tmp")};
  WriteNewFile(temp.txt, RenderText(doc));
  WriteNewFile(temp.html, RenderHtml(doc));

  int64_t n = HighestDocumentNumber(folder_) + 1;
  for (int attempt = 0; attempt < kNumberAttempts; ++attempt, ++n) {
    fs::path html = folder_ / NumberedName(n, ".html");
    if (!Publish(temp.html, html)) continue;
    if (Publish(temp.txt, folder_ / NumberedName(n, ".txt"))) {
      last_number_ = n;
      return;
    }
    // Another writer holds this number's .txt: give the number up whole.
    if (access(temp.html.c_str(), F_OK) == 0) {
      unlink(html.c_str());
    } else if (rename(html.c_str(), temp.html.c_str()) != 0) {
      RaiseErrno(errno);
    }
  }
  throw RuntimeError(kErrPathFileAccess, "No free document number in " + folder_.string());
}

}  // namespace korv
