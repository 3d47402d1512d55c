#include "testing/smtp_sink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace korv::testing {
namespace {

constexpr int kWaitMs = 20000;  // a bound, never a delay: the client is local

int BoundLoopbackSocket(int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    throw std::runtime_error("bind");
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

bool WaitReadable(int fd, const std::atomic<bool>& stop) {
  for (int waited = 0; waited < kWaitMs && !stop; waited += 100) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) > 0) return true;
  }
  return false;
}

// Reads one line (without CR LF); false when the client went away.
bool ReadLine(int fd, std::string& buffer, std::string& line, const std::atomic<bool>& stop) {
  for (;;) {
    size_t end = buffer.find("\r\n");
    if (end != std::string::npos) {
      line = buffer.substr(0, end);
      buffer.erase(0, end + 2);
      return true;
    }
    if (!WaitReadable(fd, stop)) return false;
    char chunk[4096];
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) return false;
    buffer.append(chunk, n);
  }
}

void Reply(int fd, const std::string& text) {
  std::string line = text + "\r\n";
  if (write(fd, line.data(), line.size()) < 0) return;
}

std::string Upper4(const std::string& line) {
  std::string verb = line.substr(0, 4);
  for (char& c : verb) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return verb;
}

}  // namespace

SmtpSink::SmtpSink() {
  listen_fd_ = BoundLoopbackSocket(&port_);
  listen(listen_fd_, 1);
  thread_ = std::thread([this] { Serve(); });
}

SmtpSink::~SmtpSink() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  close(listen_fd_);
}

bool SmtpSink::WaitForMessage() {
  if (thread_.joinable()) thread_.join();
  return !data.empty();
}

void SmtpSink::Serve() {
  if (!WaitReadable(listen_fd_, stop_)) return;
  int fd = accept(listen_fd_, nullptr, nullptr);
  if (fd < 0) return;
  Converse(fd);
  close(fd);
}

void SmtpSink::Converse(int fd) {
  std::string buffer, line;
  Reply(fd, "220 sink ready");
  while (ReadLine(fd, buffer, line, stop_)) {
    const std::string verb = Upper4(line);
    if (verb == "EHLO" || verb == "HELO") {
      Reply(fd, "250 sink");
    } else if (verb == "MAIL") {
      mail_from = line.substr(line.find(':') + 1);
      Reply(fd, "250 OK");
    } else if (verb == "RCPT") {
      recipients.push_back(line.substr(line.find(':') + 1));
      Reply(fd, "250 OK");
    } else if (verb == "DATA") {
      Reply(fd, "354 go on");
      std::string text;
      while (ReadLine(fd, buffer, line, stop_) && line != ".")
        text += (line.rfind("..", 0) == 0 ? line.substr(1) : line) + "\r\n";
      data = text;
      Reply(fd, "250 OK queued");
    } else if (verb == "QUIT") {
      Reply(fd, "221 bye");
      return;
    } else {
      Reply(fd, "502 not here");
    }
  }
}

int UnusedLoopbackPort() {
  int port = 0;
  close(BoundLoopbackSocket(&port));  // never listened on: a connect is refused
  return port;
}

std::string DecodeBase64(const std::string& text) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int bits = 0, value = 0;
  for (char c : text) {
    size_t v = kAlphabet.find(c);
    if (v == std::string::npos) continue;  // line breaks and padding
    value = (value << 6) | static_cast<int>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return out;
}

}  // namespace korv::testing
