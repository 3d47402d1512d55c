#pragma once
// The status lines of the running program: standard error, one line each,
// flushed so that they show while the program runs on.

#include <iostream>
#include <ostream>

#include "platform/screen/services.h"

namespace korv {

class StderrStatusLines : public StatusLines {
 public:
  explicit StderrStatusLines(std::ostream& out = std::cerr) : out_(out) {}
  void Say(const std::string& line) override { out_ << line << std::endl; }

 private:
  std::ostream& out_;
};

}  // namespace korv
