#pragma once
// A mail server for tests: listens on a loopback port, takes one SMTP
// conversation on a thread of its own and keeps what it was given. Every wait
// is bounded, so a test whose client never calls cannot hang.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace korv::testing {

class SmtpSink {
 public:
  SmtpSink();  // starts listening on 127.0.0.1 at a free port
  ~SmtpSink();
  SmtpSink(const SmtpSink&) = delete;
  SmtpSink& operator=(const SmtpSink&) = delete;

  int port() const { return port_; }
  std::string Url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
  // Waits (bounded) for the conversation to end; true when a message came.
  bool WaitForMessage();

  // Valid after WaitForMessage.
  std::string mail_from;                // MAIL FROM argument
  std::vector<std::string> recipients;  // RCPT TO arguments
  std::string data;                     // the message, dot-unstuffed, CR LF kept

 private:
  void Serve();
  void Converse(int fd);
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A loopback port on which nothing listens.
int UnusedLoopbackPort();

// Decodes base64 text, line breaks ignored.
std::string DecodeBase64(const std::string& text);

}  // namespace korv::testing
