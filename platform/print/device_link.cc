#include "platform/print/device_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
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

int DeviceLink::Open(bool* asks) const {
  constexpr int kFlags = O_NOCTTY | O_NONBLOCK | O_APPEND | O_CLOEXEC;
  struct stat st {};
  *asks = ask_status_ && stat(path_.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
  int fd = *asks ? open(path_.c_str(), O_RDWR | kFlags) : -1;
  if (fd >= 0 && isatty(fd)) {
    // A serial line hands its input over by lines, and the answers have
    // no line ends: every ticket would wait out the query.
    close(fd);
    fd = -1;
  }
  if (fd < 0) {
    *asks = false;  // a port that only takes data cannot answer
    fd = open(path_.c_str(), O_WRONLY | kFlags);
  }
  if (fd < 0) Fail(path_, errno);
  return fd;
}

PrinterCondition DeviceLink::Ask(std::chrono::milliseconds within) const {
  bool asks = false;
  int fd = -1;
  try {
    fd = Open(&asks);
  } catch (const std::exception&) {
    return PrinterCondition::kUnknown;
  }
  std::atomic<bool> never{false};
  PrinterCondition condition =
      asks ? AskStatus(fd, false, Deadline(within), never) : PrinterCondition::kUnknown;
  close(fd);
  return condition;
}

void DeviceLink::Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) {
  bool asks = false;
  int fd = Open(&asks);
  if (asks) {
    attempt.before = AskStatus(fd, false, Deadline(std::chrono::seconds(2)), stop);
    if (HoldsTickets(attempt.before)) {
      close(fd);
      RaisePrinterProblem(std::string("it reports ") + ConditionText(attempt.before));
    }
  }
  attempt.reached = true;
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
  if (err == 0 && attempt.before != PrinterCondition::kUnknown)
    attempt.after = AskStatus(fd, false, Deadline(std::chrono::seconds(2)), stop);
  if (close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
  if (err != 0) Fail(path_, err);
}

}  // namespace korv
