#include "platform/files/held_folders.h"

#include <unistd.h>

#include "platform/files/temp_files.h"

namespace fs = std::filesystem;

namespace korv {

HeldFolders::~HeldFolders() {
  for (const auto& [folder, fd] : held_) ::close(fd);
}

void HeldFolders::Hold() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++depth_;
}

void HeldFolders::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (depth_ == 0 || --depth_ > 0) return;
  for (const auto& [folder, fd] : held_) ::close(fd);
  held_.clear();
}

// A folder that cannot be opened is not remembered: it may be made later in
// the pass, and the call made with the whole path says why it fails.
int HeldFolders::HeldFd(const fs::path& folder) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (depth_ == 0 || folder.empty()) return -1;
  auto it = held_.find(folder.string());
  if (it != held_.end()) return it->second;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) held_.emplace(folder.string(), fd);
  return fd;
}

FileAt HeldFolders::At(const fs::path& host) const {
  if (!host.has_filename()) return FileAt{AT_FDCWD, host.string()};
  return At(host.parent_path(), host.filename().string());
}

FileAt HeldFolders::At(const fs::path& folder, const std::string& name) const {
  const int fd = HeldFd(folder);
  if (fd < 0) return FileAt{AT_FDCWD, (folder / name).string()};
  return FileAt{fd, name};
}

void HeldFolders::SyncFolder(const fs::path& folder) const {
  const int fd = HeldFd(folder);
  if (fd < 0) return korv::SyncFolder(folder);
  ::fsync(fd);
}

}  // namespace korv
