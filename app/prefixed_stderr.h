#pragma once
// Every line the station writes to standard error begins with its name, so
// that a desktop session's log, or a journal that mixes programs, tells whose
// line it is: the boxes and status lines, the printers' reports, the single-
// copy guard's. A line that already begins with the name keeps it once.

#include <memory>
#include <streambuf>
#include <string>

namespace korv {

class PrefixedStderr {
 public:
  // From now on std::cerr's lines begin with prefix ("korv-delayed-send: ").
  explicit PrefixedStderr(std::string prefix);
  // Writes a line left without its end, and gives std::cerr its own buffer
  // back.
  ~PrefixedStderr();
  PrefixedStderr(const PrefixedStderr&) = delete;
  PrefixedStderr& operator=(const PrefixedStderr&) = delete;

 private:
  std::streambuf* original_;
  std::unique_ptr<std::streambuf> prefixing_;
};

}  // namespace korv
