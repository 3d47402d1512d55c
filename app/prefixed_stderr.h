#pragma once
// Every line the station writes to standard error begins with its name, so
// that a desktop session's log, or a journal that mixes programs, tells whose
// line it is: the boxes and status lines, the printers' reports, the single-
// copy guard's. A line that already begins with the name keeps it once.
//
// A line may begin with its priority's mark (platform/screen/
// journal_priority.h). When standard error is systemd's journal, every line
// begins with one, before the name ("<3>korv-delayed-send: ..."), and a line
// without its own is information; otherwise marks are dropped, so a terminal
// shows the lines as it always did.

#include <iostream>
#include <memory>
#include <streambuf>
#include <string>

namespace korv {

class PrefixedStderr {
 public:
  // From now on std::cerr's lines begin with prefix ("korv-delayed-send: ");
  // standard error is looked at once, here, to tell whether it is the journal.
  explicit PrefixedStderr(std::string prefix);
  // The same for the lines written to `stream`, whose file is open as fd.
  PrefixedStderr(std::string prefix, std::ostream& stream, int fd);
  // Writes a line left without its end, and gives the stream its own buffer
  // back.
  ~PrefixedStderr();
  PrefixedStderr(const PrefixedStderr&) = delete;
  PrefixedStderr& operator=(const PrefixedStderr&) = delete;

 private:
  std::ostream& stream_;
  std::streambuf* original_;
  std::unique_ptr<std::streambuf> prefixing_;
};

}  // namespace korv
