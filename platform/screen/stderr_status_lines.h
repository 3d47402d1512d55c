#pragma once
// The status lines of the running program: standard error, one line each,
// flushed so that they show while the program runs on. A line never carries
// a raw control byte (a customer name or a file's text may hold one): the
// terminal or the journal shows it escaped. With priority marks, each line
// begins with its priority's mark (journal_priority.h), for a stream that
// reads them: the station program's standard error.

#include <iostream>
#include <ostream>

#include "common/val.h"
#include "platform/screen/journal_priority.h"
#include "platform/screen/services.h"

namespace korv {

class StderrStatusLines : public StatusLines {
 public:
  explicit StderrStatusLines(std::ostream& out = std::cerr, bool priority_marks = false)
      : out_(out), priority_marks_(priority_marks) {}
  void Say(const std::string& line, Priority priority = Priority::kInfo) override {
    out_ << (priority_marks_ ? PriorityMark(priority) : std::string()) << Printable(line)
         << std::endl;
  }

 private:
  std::ostream& out_;
  const bool priority_marks_;
};

}  // namespace korv
