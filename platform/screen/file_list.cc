#include "platform/screen/file_list.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/runtime_error.h"

namespace korv {
namespace {

// A listing is reused only this long, so a folder on a network share whose
// change stamp lags behind still shows new files within moments.
constexpr auto kReuseFor = std::chrono::seconds(2);

}  // namespace

bool FileListBox::FolderUnchanged() {
  struct stat st;
  if (::stat(files_->HostPath(path_).c_str(), &st) != 0) {
    stamp_valid_ = false;
    return false;
  }
  Stamp now{st.st_dev, st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_nsec};
  bool same = stamp_valid_ && now == stamp_ && listed_path_ == path_ &&
              listed_pattern_ == pattern_ &&
              std::chrono::steady_clock::now() - listed_at_ < kReuseFor;
  stamp_ = now;
  stamp_valid_ = true;
  return same;
}

void FileListBox::Refresh() {
  // A folder whose entries have not changed since the last listing lists the
  // same names: the dispatch pass refreshes several times in a row.
  if (FolderUnchanged()) return;
  names_ = files_->List(path_, pattern_);
  listed_path_ = path_;
  listed_pattern_ = pattern_;
  listed_at_ = std::chrono::steady_clock::now();
  Changed();
}

void FileListBox::Forget(const std::string& name) {
  auto it = std::find(names_.begin(), names_.end(), name);
  if (it == names_.end()) return;
  names_.erase(it);
  stamp_valid_ = false;
  Changed();
}

const std::string& FileListBox::List(int i) const {
  if (i < 0 || i >= ListCount()) throw RuntimeError(kErrInvalidCall);
  return names_[i];
}

}  // namespace korv
