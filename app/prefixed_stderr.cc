#include "app/prefixed_stderr.h"

#include <unistd.h>

#include <iostream>
#include <mutex>
#include <string_view>

#include "platform/screen/journal_priority.h"

namespace korv {
namespace {

// Collects each thread's text up to the end of a line, so that the printers'
// threads and the window's never interleave within a line, and writes the
// whole line with the prefix, and with its priority's mark for the journal.
class PrefixingBuffer : public std::streambuf {
 public:
  PrefixingBuffer(std::streambuf* out, std::string prefix, bool journal)
      : out_(out), prefix_(std::move(prefix)), journal_(journal) {}
  ~PrefixingBuffer() override {
    std::string& pending = Pending();
    if (!pending.empty()) Emit(pending + "\n");
    pending.clear();  // the thread's, not this buffer's: a later buffer starts clean
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
  void Emit(std::string_view line) {
    const size_t mark_length = PriorityMarkLength(line);
    std::string text;
    if (journal_)
      text = mark_length ? std::string(line.substr(0, mark_length)) : PriorityMark(Priority::kInfo);
    line.remove_prefix(mark_length);
    if (line.substr(0, prefix_.size()) != prefix_) text += prefix_;
    text += line;
    std::lock_guard<std::mutex> hold(mutex_);
    out_->sputn(text.data(), std::streamsize(text.size()));
    out_->pubsync();
  }

  std::streambuf* out_;
  const std::string prefix_;
  const bool journal_;
  std::mutex mutex_;
};

}  // namespace

PrefixedStderr::PrefixedStderr(std::string prefix)
    : PrefixedStderr(std::move(prefix), std::cerr, STDERR_FILENO) {}

PrefixedStderr::PrefixedStderr(std::string prefix, std::ostream& stream, int fd)
    : stream_(stream),
      original_(stream.rdbuf()),
      prefixing_(
          std::make_unique<PrefixingBuffer>(original_, std::move(prefix), IsJournalStream(fd))) {
  stream_.rdbuf(prefixing_.get());
}

PrefixedStderr::~PrefixedStderr() {
  stream_.rdbuf(original_);
  prefixing_.reset();
}

}  // namespace korv
