#include "platform/print/socket_link.h"

#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

// Closes the descriptor however the job ends.
class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

[[noreturn]] void Stopped() { RaisePrinterProblem("the station is shutting down"); }

// Bytes sent but not yet acknowledged by the printer.
int Unacknowledged(int fd) {
  int queued = 0;
  if (ioctl(fd, SIOCOUTQ, &queued) != 0) return 0;
  return queued;
}

// One connection attempt to one address; -1 with *err set when it fails.
int ConnectOne(const addrinfo* a, const Deadline& deadline, const std::atomic<bool>& stop,
               int* err) {
  Socket s(socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
  if (s.fd() < 0 || (connect(s.fd(), a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS)) {
    *err = errno;
    return -1;
  }
  WaitResult r = WaitForFd(s.fd(), POLLOUT, deadline, stop);
  if (r == WaitResult::kStopped) Stopped();
  if (r == WaitResult::kTimedOut) {
    *err = ETIMEDOUT;
    return -1;
  }
  socklen_t len = sizeof *err;
  if (getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, err, &len) != 0) *err = errno;
  return *err == 0 ? s.Release() : -1;
}

void WriteJob(int fd, std::string_view bytes, std::chrono::milliseconds within,
              const std::atomic<bool>& stop) {
  Deadline deadline(within);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR)
      RaisePrinterProblem(std::string("sending failed: ") + strerror(errno));
    WaitResult r = WaitForFd(fd, POLLOUT, deadline, stop);
    if (r == WaitResult::kStopped) Stopped();
    if (r == WaitResult::kTimedOut)
      RaisePrinterProblem("the printer stopped taking data (" + std::to_string(done) + " of " +
                          std::to_string(bytes.size()) + " bytes sent)");
  }
}

// After the half-close: reads (and drops) whatever status the printer sends
// until it closes, or until the wait is over.
void AwaitClose(int fd, std::chrono::milliseconds within, const std::atomic<bool>& stop) {
  Deadline deadline(within);
  char discard[512];
  while (true) {
    int queued = Unacknowledged(fd);  // a reset below empties the queue
    WaitResult r = WaitForFd(fd, POLLIN, deadline, stop);
    if (r == WaitResult::kStopped) Stopped();
    ssize_t n = r == WaitResult::kReady ? recv(fd, discard, sizeof discard, MSG_DONTWAIT) : 0;
    if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR))) continue;
    if (n == 0) queued = Unacknowledged(fd);  // closed by the printer, or waited long enough
    if (queued == 0) return;
    RaisePrinterProblem("the printer did not take the whole job (" + std::to_string(queued) +
                        " bytes unacknowledged)");
  }
}

}  // namespace

bool ParseSocketUri(const std::string& text, SocketAddress* out) {
  std::string rest = StartsWith(Lower(text), "socket://") ? text.substr(9) : text;
  while (!rest.empty() && rest.back() == '/') rest.pop_back();
  std::string port;
  if (!rest.empty() && rest[0] == '[') {
    size_t close = rest.find(']');
    if (close == std::string::npos) return false;
    out->host = rest.substr(1, close - 1);
    std::string after = rest.substr(close + 1);
    if (!after.empty() && after[0] != ':') return false;
    if (!after.empty()) port = after.substr(1);
  } else {
    size_t colon = rest.find(':');
    out->host = rest.substr(0, colon);
    if (colon != std::string::npos) port = rest.substr(colon + 1);
  }
  out->port = kRawPrintPort;
  if (out->host.empty()) return false;
  if (port.empty()) return true;
  if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
  out->port = std::stoi(port);
  return out->port > 0 && out->port < 65536;
}

int SocketLink::Connect(std::chrono::milliseconds within, const std::atomic<bool>& stop) const {
  // Name lookup cannot be bounded; a printer named by its address (as
  // restaurant printers usually are) needs none.
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string port = std::to_string(port_);
  if (int rc = getaddrinfo(host_.c_str(), port.c_str(), &hints, &found); rc != 0)
    RaisePrinterProblem("cannot find " + host_ + ": " + gai_strerror(rc));
  Deadline connect_by(within);
  int err = ETIMEDOUT;
  int fd = -1;
  try {
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next)
      fd = ConnectOne(a, connect_by, stop, &err);
  } catch (...) {
    freeaddrinfo(found);
    throw;
  }
  freeaddrinfo(found);
  if (fd < 0) RaisePrinterProblem(host_ + ":" + port + ": " + strerror(err));
  return fd;
}

std::string SocketLink::Check(std::chrono::milliseconds within) const {
  std::atomic<bool> never{false};
  try {
    Socket sock(Connect(within, never));
    return {};
  } catch (const RuntimeError& e) {
    return e.description();
  }
}

PrinterCondition SocketLink::Ask(std::chrono::milliseconds within) const {
  if (!ask_status_) return PrinterCondition::kUnknown;
  std::atomic<bool> never{false};
  try {
    Deadline deadline(within);
    Socket sock(Connect(within, never));
    return AskStatus(sock.fd(), true, deadline, never);
  } catch (const RuntimeError&) {
    return PrinterCondition::kUnknown;
  }
}

void SocketLink::Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) {
  int fd = Connect(timeouts_.connect, stop);
  Socket sock(fd);
  if (ask_status_) {
    attempt.before = AskStatus(fd, true, Deadline(timeouts_.status), stop);
    if (stop) Stopped();
    if (HoldsTickets(attempt.before))
      RaisePrinterProblem(std::string("it reports ") + ConditionText(attempt.before));
  }
  attempt.reached = true;
  WriteJob(fd, bytes, timeouts_.write, stop);
  // A late answer to an unanswered query would be taken for this one.
  if (attempt.before != PrinterCondition::kUnknown)
    attempt.after = AskStatus(fd, true, Deadline(timeouts_.status), stop);
  shutdown(fd, SHUT_WR);
  AwaitClose(fd, timeouts_.close_wait, stop);
}

}  // namespace korv
