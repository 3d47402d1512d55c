#include "platform/print/printer_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/runtime_error.h"

namespace korv {

int Deadline::SliceMs(int slice) const {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      end_ - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, slice));
}

WaitResult WaitForFd(int fd, short events, const Deadline& deadline, const std::atomic<bool>& stop,
                     short* revents) {
  while (true) {
    if (stop) return WaitResult::kStopped;
    if (deadline.Passed()) return WaitResult::kTimedOut;
    pollfd p{fd, events, 0};
    int n = poll(&p, 1, std::max(1, deadline.SliceMs()));
    if (n < 0 && errno != EINTR) return WaitResult::kReady;  // the next call reports why
    if (n > 0) {
      if (revents) *revents = p.revents;
      return WaitResult::kReady;
    }
  }
}

namespace {

// A socket's writes never raise SIGPIPE at a printer that went away.
ssize_t Put(int fd, bool socket, const char* bytes, size_t n) {
  return socket ? send(fd, bytes, n, MSG_NOSIGNAL) : write(fd, bytes, n);
}

bool PutAll(int fd, bool socket, std::string_view bytes, const Deadline& deadline,
            const std::atomic<bool>& stop) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = Put(fd, socket, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else if (WaitForFd(fd, POLLOUT, deadline, stop) != WaitResult::kReady) {
      return false;
    }
  }
  return true;
}

}  // namespace

PrinterCondition AskStatus(int fd, bool socket, const Deadline& deadline,
                           const std::atomic<bool>& stop) {
  if (!PutAll(fd, socket, kStatusQuery, deadline, stop)) return PrinterCondition::kUnknown;
  std::string answers;
  char buf[64];
  while (answers.size() < kStatusAnswers) {
    if (WaitForFd(fd, POLLIN, deadline, stop) != WaitResult::kReady) break;
    ssize_t n = read(fd, buf, sizeof buf);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    if (n > 0) TakeStatusAnswers(std::string_view(buf, static_cast<size_t>(n)), &answers);
  }
  return DecodeAnswers(answers);
}

void RaisePrinterProblem(const std::string& reason) {
  throw RuntimeError(kErrPrinter, "printer not available: " + reason);
}

}  // namespace korv
