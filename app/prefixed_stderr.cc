#include "app/prefixed_stderr.h"

#include <iostream>
#include <mutex>
#include <string_view>

namespace korv {
namespace {

// Collects each thread's text up to the end of a line, so that the printers'
// threads and the window's never interleave within a line, and writes the
// whole line with the prefix.
class PrefixingBuffer : public std::streambuf {
 public:
  PrefixingBuffer(std::streambuf* out, std::string prefix)
      : out_(out), prefix_(std::move(prefix)) {}
  ~PrefixingBuffer() override {
    if (!Pending().empty()) Emit(Pending() + "\n");
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    Put(std::string_view(&ch, 1));
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    Put(std::string_view(text, static_cast<size_t>(n)));
    return n;
  }

 private:
  static std::string& Pending() {
    thread_local std::string pending;
    return pending;
  }
  void Put(std::string_view text) {
    std::string& pending = Pending();
    pending += text;
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      Emit(pending.substr(0, end + 1));
      pending.erase(0, end + 1);
    }
  }
  void Emit(const std::string& line) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (line.rfind(prefix_, 0) != 0) out_->sputn(prefix_.data(), std::streamsize(prefix_.size()));
    out_->sputn(line.data(), std::streamsize(line.size()));
    out_->pubsync();
  }

  std::streambuf* out_;
  std::string prefix_;
  std::mutex mutex_;
};

}  // namespace

PrefixedStderr::PrefixedStderr(std::string prefix)
    : original_(std::cerr.rdbuf()),
      prefixing_(std::make_unique<PrefixingBuffer>(original_, std::move(prefix))) {
  std::cerr.rdbuf(prefixing_.get());
}

PrefixedStderr::~PrefixedStderr() {
  std::cerr.rdbuf(original_);
  prefixing_.reset();
}

}  // namespace korv
