#include "platform/print/device_link.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korv {
namespace {

[[noreturn]] void Fail(const std::string& path, int err) {
  RaisePrinterProblem(path + ": " + strerror(err));
}

}  // namespace

std::string DeviceLink::Check(std::chrono::milliseconds) const {
  int fd = open(path_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_APPEND | O_CLOEXEC);
  if (fd < 0) return path_ + ": " + strerror(errno);
  close(fd);
  return {};
}

void DeviceLink::Send(std::string_view bytes, const std::atomic<bool>& stop) {
  int fd = open(path_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_APPEND | O_CLOEXEC);
  if (fd < 0) Fail(path_, errno);
  Deadline deadline(write_timeout_);
  size_t done = 0;
  int err = 0;
  while (done < bytes.size() && err == 0) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      err = errno;
    } else if (WaitResult r = WaitForFd(fd, POLLOUT, deadline, stop); r != WaitResult::kReady) {
      err = r == WaitResult::kTimedOut ? ETIMEDOUT : ECANCELED;
    }
  }
  if (close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
  if (err != 0) Fail(path_, err);
}

}  // namespace korv
