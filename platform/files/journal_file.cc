#include "platform/files/journal_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/runtime_error.h"
#include "platform/files/file_system.h"
#include "platform/files/temp_files.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

constexpr int kErrFileAlreadyExists = 58;

void WriteLine(int fd, std::string_view line, bool sync = true) {
  WriteAll(fd, std::string(line) + '\n');
  if (sync && fsync(fd) != 0) RaiseErrno(errno);
}

// A whole-file lock held for the life of the open file: the journal of a
// send under way is never taken over by another process.
bool Hold(int fd) {
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

std::string ReadAllOf(const fs::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno, true);
  std::string text;
  char buf[16384];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return text;
}

}  // namespace

// The file appears under its name whole and already held, so no other
// process ever finds it empty or takes it for one no process writes.
JournalFile JournalFile::Create(const fs::path& path, std::string_view first_line) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) RaiseErrno(ec.value());
  const fs::path temp = TempPathIn(path.parent_path());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) RaiseErrno(errno);
  JournalFile file(temp, fd);
  try {
    if (!Hold(fd)) RaiseErrno(errno);
    WriteLine(fd, first_line);
    if (!PublishNew(temp, path)) throw RuntimeError(kErrFileAlreadyExists, "File already exists");
  } catch (...) {
    file.Remove();
    throw;
  }
  SyncFolder(path.parent_path());
  file.path_ = path;
  return file;
}

JournalFile JournalFile::Reopen(const fs::path& path) {
  int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno, true);
  JournalFile file(path, fd);
  if (!Hold(fd)) throw RuntimeError(kErrPermissionDenied, "In use by another process");
  const std::string text = ReadAllOf(path);
  const size_t whole = text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1;
  if (whole < text.size() && ftruncate(fd, static_cast<off_t>(whole)) != 0) RaiseErrno(errno);
  return file;
}

JournalFile::JournalFile(JournalFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
  other.fd_ = -1;
}

JournalFile::~JournalFile() {
  if (fd_ >= 0) close(fd_);
}

void JournalFile::Append(std::string_view line) {
  if (fd_ < 0) throw RuntimeError(kErrBadFileName);
  WriteLine(fd_, line);
}

void JournalFile::AppendLazily(std::string_view line) {
  if (fd_ < 0) throw RuntimeError(kErrBadFileName);
  WriteLine(fd_, line, false);
}

void JournalFile::Remove() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (unlink(path_.c_str()) != 0 && errno != ENOENT) RaiseErrno(errno);
}

std::vector<std::string> ReadJournalLines(const fs::path& path) {
  const std::string text = ReadAllOf(path);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace korv
