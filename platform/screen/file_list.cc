#include "platform/screen/file_list.h"

#include "common/runtime_error.h"

namespace korv {

void FileListBox::Refresh() {
  names_ = files_->List(path_, pattern_);
  Changed();
}

const std::string& FileListBox::List(int i) const {
  if (i < 0 || i >= ListCount()) throw RuntimeError(kErrInvalidCall);
  return names_[i];
}

}  // namespace korv
