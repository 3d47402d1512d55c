#include "common/runtime_error.h"

namespace korv {

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrInvalidCall:
      return "Invalid procedure call or argument";
    case kErrTypeMismatch:
      return "Type mismatch";
    case kErrBadFileName:
      return "Bad file name or number";
    case kErrFileNotFound:
      return "File not found";
    case kErrDeviceIO:
      return "Device I/O error";
    case kErrDiskFull:
      return "Disk full";
    case kErrInputPastEnd:
      return "Input past end of file";
    case kErrBadRecordNumber:
      return "Bad record number";
    case kErrPermissionDenied:
      return "Permission denied";
    case kErrPathFileAccess:
      return "Path/File access error";
    case kErrPathNotFound:
      return "Path not found";
    case kErrPrinter:
      return "Printer error";
    default:
      return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(description.empty() ? ErrorDescription(number) : description),
      number_(number),
      description_(description.empty() ? ErrorDescription(number) : std::move(description)) {}

std::string ExplainedError(const RuntimeError& e) {
  if (e.number() == kErrPermissionDenied)
    return "permission denied (error 70): another program holds its lock, or this user may not "
           "open it";
  return e.description() + " (error " + std::to_string(e.number()) + ")";
}

RuntimeError AsRuntimeError(const std::exception& e) {
  if (auto* r = dynamic_cast<const RuntimeError*>(&e)) return *r;
  return RuntimeError(kErrInvalidCall, e.what());
}

}  // namespace korv
