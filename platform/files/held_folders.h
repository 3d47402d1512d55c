#pragma once
// The folders a dispatch pass works in, held open while it lasts, so that a
// file is named from its folder's descriptor: on a share, a path walked from
// the root is looked at folder by folder, a round trip each, and a folder
// synced by its path is opened and closed around the sync. Outside a pass,
// and for a folder that cannot be opened, a path goes whole, as before.
//
// A folder held is the one found at the pass's first use of it; one that
// another station replaces during the pass is seen at the next pass, as the
// lookups ignoring case see it (path_map.h). Safe for use from several
// threads.

#include <fcntl.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace korv {

// A host file named for the *at calls.
struct FileAt {
  int dir = AT_FDCWD;
  std::string name;
  const char* c_str() const { return name.c_str(); }
};

class HeldFolders {
 public:
  HeldFolders() = default;
  ~HeldFolders();
  HeldFolders(const HeldFolders&) = delete;
  HeldFolders& operator=(const HeldFolders&) = delete;

  // A pass begins; passes nest. The last end closes the folders.
  void Hold();
  void Release();

  FileAt At(const std::filesystem::path& host) const;
  // The same for a file named in a folder, as a listing of it names it.
  FileAt At(const std::filesystem::path& folder, const std::string& name) const;
  // Makes the folder's entries durable (fsync); errors are ignored, as a
  // folder that cannot be synced is no worse than before.
  void SyncFolder(const std::filesystem::path& folder) const;

 private:
  int HeldFd(const std::filesystem::path& folder) const;  // -1 when not held

  mutable std::mutex mutex_;
  int depth_ = 0;
  mutable std::map<std::string, int> held_;
};

}  // namespace korv
