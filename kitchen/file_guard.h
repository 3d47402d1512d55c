#pragma once
// A file a kitchen procedure opens: the guard closes it on every way out of
// the procedure, so a draw or a write that fails never keeps a shared file
// open and locked against the other stations. The error itself still goes to
// the caller, as the procedure's failure rule says.

#include "platform/files/file_system.h"

namespace korv {

class FileGuard {
 public:
  FileGuard(FileSystem& files, int number) : files_(files), number_(number) {}
  ~FileGuard() { files_.Close(number_); }
  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;
  int number() const { return number_; }

 private:
  FileSystem& files_;
  int number_;
};

}  // namespace korv
