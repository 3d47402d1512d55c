#include "platform/host/system_host.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>

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

}  // namespace

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
    std::cerr << "cannot make the lock file " << lock_file_.string() << ": " << std::strerror(errno)
              << "; a second copy would not be noticed" << std::endl;
    return false;
  }
  if (!LockWhole(fd)) {
    int err = errno;
    close(fd);
    if (err == EAGAIN || err == EACCES) return true;
    std::cerr << "cannot lock " << lock_file_.string() << ": " << std::strerror(err)
              << "; a second copy would not be noticed" << std::endl;
    return false;
  }
  WritePid(fd);
  fd_ = fd;
  return false;
}

}  // namespace korv
