#include "platform/files/kept_files.h"

#include <optional>

#include "common/runtime_error.h"
#include "platform/files/open_file_guard.h"

namespace korv {

std::string ReadWholeLocked(FileSystem& files, const std::string& path, ChangeStamp* stamp) {
  files.CloseAll();
  // For input: a missing file raises 53 and is never made.
  int file = files.Open(path, OpenMode::kInput);
  OpenFileGuard guard(files, file);
  if (stamp) *stamp = files.ChangeStampOf(file);
  files.Lock(file);
  return files.ReadAll(file);  // the guard's close lets the lock go
}

std::string KeptFiles::Content(FileSystem& files, const std::string& path) {
  const uint64_t pass = files.Pass();
  Kept& kept = kept_[path];
  if (pass != 0 && kept.looked_in == pass) {
    if (!kept.exists) throw RuntimeError(kErrFileNotFound);
    return kept.content;
  }
  std::optional<ChangeStamp> now = files.ChangeStampOf(path);
  if (!now) {
    kept = Kept{false, {}, {}, pass};
    throw RuntimeError(kErrFileNotFound);
  }
  if (!kept.exists || !kept.stamp.StillHolds(*now)) {
    ChangeStamp stamp;
    std::string content = ReadWholeLocked(files, path, &stamp);  // kept as it was if this fails
    kept = Kept{true, stamp, std::move(content), 0};
  }
  kept.looked_in = pass;
  return kept.content;
}

}  // namespace korv
