#pragma once
// A file a procedure has opened, closed on every way out of that procedure:
// a read or write that fails never keeps a shared file open and locked
// against the other stations. The error itself still travels on, as the
// procedure's failure rule says. File numbers are never reused, so a guard
// whose file a CloseAll already closed closes nothing else.

#include <string>
#include <string_view>

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

// Closes every open file, then opens path in mode (output or append),
// writes text under a whole-file lock and closes it, which ends the lock:
// the one way the procedures write a whole text file or an entry. Errors
// reach the caller with nothing left open.
inline void WriteLockedText(FileSystem& files, const std::string& path, OpenMode mode,
                            std::string_view text) {
  files.CloseAll();
  int file = files.Open(path, mode);
  OpenFileGuard guard(files, file);
  files.Lock(file);
  files.WriteText(file, text);
  // The guard's close lets the lock go; an unlock before it would only add
  // a round trip to the share.
}

}  // namespace korv
