#include "testing/tcp_test_printer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace korv::testing {
namespace {

constexpr int kSliceMs = 20;

int ListenOn(int port, int* bound_port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 8) != 0) {
    close(fd);
    throw std::runtime_error("test printer cannot listen on port " + std::to_string(port));
  }
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *bound_port = ntohs(a.sin_port);
  return fd;
}

// False when stop was set or `fd` shows nothing for ten seconds.
bool Readable(int fd, const std::atomic<bool>& stop) {
  for (int waited = 0; waited < 10000 && !stop; waited += kSliceMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kSliceMs) > 0) return true;
  }
  return false;
}

// The answer a printer in `state` gives to DLE EOT n (1, 2 or 4).
char Answer(TcpTestPrinter::State state, char n) {
  using State = TcpTestPrinter::State;
  const bool no_paper = state == State::kPaperEnd || state == State::kTakesWithoutPaper;
  const bool offline = no_paper || state == State::kCoverOpen || state == State::kOffline;
  int bits = 0;
  if (n == 1 && offline) bits = 0x08;
  if (n == 2 && no_paper) bits = 0x20;
  if (n == 2 && state == State::kCoverOpen) bits = 0x04;
  if (n == 4 && no_paper) bits = 0x6C;
  if (n == 4 && state == State::kPaperNearEnd) bits = 0x0C;
  return static_cast<char>(0x12 | bits);
}

}  // namespace

TcpTestPrinter::TcpTestPrinter(Mode mode, int port) : mode_(mode) {
  listen_fd_ = ListenOn(port, &port_);
  thread_ = std::thread([this] { Serve(); });
}

TcpTestPrinter::~TcpTestPrinter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
  for (int fd : held_open_) close(fd);
  close(listen_fd_);
}

void TcpTestPrinter::Serve() {
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, kSliceMs) <= 0) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++connections_;
    }
    changed_.notify_all();
    if (mode_ == Mode::kNeverReads) {
      held_open_.push_back(fd);
      continue;
    }
    std::string job =
        mode_ == Mode::kStopsInTheFirstJob && connections_ == 1 ? StopInJob(fd) : ReadJob(fd);
    close(fd);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!job.empty() && state_ != State::kTakesWithoutPaper) jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
  }
}

std::string TcpTestPrinter::Printed(int fd, const char* bytes, size_t n, std::string* partial) {
  std::string in = *partial + std::string(bytes, n);
  partial->clear();
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\x10' || (i + 1 < in.size() && in[i + 1] != '\x04')) {
      out.push_back(in[i]);
    } else if (i + 2 >= in.size()) {
      *partial = in.substr(i);
      break;
    } else {
      std::unique_lock<std::mutex> lock(mutex_);
      ++queries_;
      const State state = state_;
      lock.unlock();
      const char answer = Answer(state, in[i + 2]);
      if (state != State::kNoAnswer) send(fd, &answer, 1, MSG_NOSIGNAL);
      i += 2;
    }
  }
  return out;
}

std::string TcpTestPrinter::ReadJob(int fd) {
  std::string job, partial;
  char buf[65536];
  while (Readable(fd, stop_)) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    job += Printed(fd, buf, static_cast<size_t>(n), &partial);
  }
  return job;
}

void TcpTestPrinter::SetState(State state) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_ = state;
}

int TcpTestPrinter::Queries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queries_;
}

std::string TcpTestPrinter::StopInJob(int fd) {
  constexpr size_t kTaken = 8;
  std::string job, partial;
  char buf[kTaken];
  while (job.size() < kTaken && Readable(fd, stop_)) {
    ssize_t n = read(fd, buf, kTaken - job.size());
    if (n <= 0) break;
    job += Printed(fd, buf, static_cast<size_t>(n), &partial);
  }
  std::unique_lock<std::mutex> lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
  changed_.wait_for(lock, std::chrono::seconds(30), [&] { return resumed_ || stop_.load(); });
  return job;
}

bool TcpTestPrinter::WaitForStop(std::chrono::milliseconds within) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, within, [&] { return stopped_; });
}

void TcpTestPrinter::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    resumed_ = true;
  }
  changed_.notify_all();
}

bool TcpTestPrinter::WaitForJobs(size_t count, std::chrono::milliseconds within) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, within, [&] { return jobs_.size() >= count; });
}

bool TcpTestPrinter::WaitForConnections(int count, std::chrono::milliseconds within) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, within, [&] { return connections_ >= count; });
}

std::vector<std::string> TcpTestPrinter::Jobs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return jobs_;
}

}  // namespace korv::testing
