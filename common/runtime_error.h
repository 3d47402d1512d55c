#pragma once
// Run-time errors carry the platform's error numbers, because the procedures
// test them by number (62 while another station rewrites a file, 70 for a lock
// held elsewhere) and the kitchen send shows the number in its message title.

#include <stdexcept>
#include <string>

namespace korv {

enum ErrorNumber : int {
  kErrInvalidCall = 5,
  kErrTypeMismatch = 13,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrDeviceIO = 57,
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrBadRecordNumber = 63,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrPrinter = 482,
};

// The platform's own description of an error number ("Permission denied").
std::string ErrorDescription(int number);

class RuntimeError : public std::runtime_error {
 public:
  // Uses the platform's description when none is given.
  explicit RuntimeError(int number, std::string description = {});
  int number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

// The error as a person reads it in a message: its description and number,
// and for 70 what usually causes it.
std::string ExplainedError(const RuntimeError& e);

// Any exception that escapes a step becomes a run-time error: a standard
// library failure inside a procedure is what the platform would have raised as
// error 5, so the step policies treat it the same way.
RuntimeError AsRuntimeError(const std::exception& e);

}  // namespace korv
