#pragma once
// The status lines of the running program: standard error, one line each,
// flushed so that they show while the program runs on. A line never carries
// a raw control byte (a customer name or a file's text may hold one): the
// terminal or the journal shows it escaped.

#include <iostream>
#include <ostream>

#include "common/val.h"
#include "platform/screen/services.h"

namespace korv {

class StderrStatusLines : public StatusLines {
 public:
  explicit StderrStatusLines(std::ostream& out = std::cerr) : out_(out) {}
  void Say(const std::string& line) override { out_ << Printable(line) << std::endl; }

 private:
  std::ostream& out_;
};

}  // namespace korv
