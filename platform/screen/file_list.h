#pragma once
// The folder file list element: a folder, a wildcard pattern, and the names of
// the matching files in ascending order compared without regard to case.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/screen/elements.h"

namespace korv {

class FileListBox : public Element {
 public:
  explicit FileListBox(FileSystem& files) : files_(&files) {}
  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Pattern() const { return pattern_; }
  void SetPattern(std::string pattern) { pattern_ = std::move(pattern); }
  // Re-reads the folder; a missing folder lists nothing. A folder whose
  // change stamp is the same as at a listing made moments ago keeps it.
  void Refresh();
  // Takes out the name of a file this program found gone, without listing
  // the folder again (on a share a listing of thousands of names is hundreds
  // of round trips); the next Refresh lists the folder anew.
  void Forget(const std::string& name);
  int ListCount() const { return static_cast<int>(names_.size()); }
  const std::string& List(int i) const;  // error 5 outside the list

 private:
  struct Stamp {
    dev_t dev;
    ino_t ino;
    time_t mtime;
    long mtime_ns;
    long ctime_ns;
    bool operator==(const Stamp&) const = default;
  };
  bool FolderUnchanged();

  FileSystem* files_;
  Stamp stamp_{};
  bool stamp_valid_ = false;
  std::string listed_path_, listed_pattern_;
  std::chrono::steady_clock::time_point listed_at_;
  std::string path_;
  std::string pattern_ = "*.*";
  std::vector<std::string> names_;
};

}  // namespace korv
