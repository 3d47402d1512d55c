#include "platform/host/system_host.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>

#include "platform/screen/journal_priority.h"

namespace korv {
namespace {

bool LockWhole(int fd) {
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

void WritePid(int fd) {
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // The id is a courtesy to the administrator; the lock is what counts.
  }
}

std::string Strip(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

RunningCopy FindRunningCopy(const std::filesystem::path& lock_file) {
  RunningCopy found;
  int fd = open(lock_file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) found.problem = lock_file.string() + ": " + std::strerror(errno);
    return found;
  }
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) {
    found.problem = lock_file.string() + ": " + std::strerror(errno);
  } else if (fl.l_type != F_UNLCK) {
    found.running = true;
    char pid[32] = {};
    if (pread(fd, pid, sizeof pid - 1, 0) > 0) found.pid = Strip(pid);
  }
  close(fd);
  return found;
}

SystemHost::~SystemHost() {
  if (fd_ >= 0) close(fd_);
}

std::optional<std::string> SystemHost::ComputerName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
  std::string host(name);
  return host.substr(0, host.find('.'));
}

bool SystemHost::PreviousInstance() {
  if (fd_ >= 0) return false;
  std::error_code ec;
  std::filesystem::create_directories(lock_file_.parent_path(), ec);
  int fd = open(lock_file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    int err = errno;
    if (err == EACCES && FindRunningCopy(lock_file_).running) return true;
    SayCannotGuard("cannot make the lock file " + lock_file_.string() + ": " + std::strerror(err));
    return false;
  }
  if (!LockWhole(fd)) {
    int err = errno;
    close(fd);
    if (err == EAGAIN || err == EACCES) return true;
    SayCannotGuard("cannot lock " + lock_file_.string() + ": " + std::strerror(err));
    return false;
  }
  WritePid(fd);
  fd_ = fd;
  return false;
}

// The station runs on without the guard: a warning, not an error.
void SystemHost::SayCannotGuard(const std::string& why) const {
  std::cerr << (priority_marks_ ? PriorityMark(Priority::kWarning) : std::string()) << why
            << "; a second copy would not be noticed" << std::endl;
}

}  // namespace korv
