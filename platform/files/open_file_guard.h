#pragma once
// A file a procedure has opened, closed on every way out of that procedure:
// a read or write that fails never keeps a shared file open and locked
// against the other stations. The error itself still travels on, as the
// procedure's failure rule says. File numbers are never reused, so a guard
// whose file a CloseAll already closed closes nothing else.

#include "platform/files/file_system.h"

namespace korv {

class OpenFileGuard {
 public:
  OpenFileGuard(FileSystem& files, int number) : files_(files), number_(number) {}
  ~OpenFileGuard() { files_.Close(number_); }
  OpenFileGuard(const OpenFileGuard&) = delete;
  OpenFileGuard& operator=(const OpenFileGuard&) = delete;
  int number() const { return number_; }

 private:
  FileSystem& files_;
  int number_;
};

}  // namespace korv
