#pragma once
// The folder file list element: a folder, a wildcard pattern, and the names of
// the matching files in ascending order compared without regard to case.

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
  // Re-reads the folder; a missing folder lists nothing.
  void Refresh();
  int ListCount() const { return static_cast<int>(names_.size()); }
  const std::string& List(int i) const;  // error 5 outside the list

 private:
  FileSystem* files_;
  std::string path_;
  std::string pattern_ = "*.*";
  std::vector<std::string> names_;
};

}  // namespace korv
