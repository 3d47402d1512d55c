#include "platform/files/files_at_once.h"

#include <memory>

#include "common/run_together.h"

namespace korv {

void FilesAtOnce(FileSystem& station, const std::vector<std::function<void(FileSystem&)>>& pieces) {
  std::vector<std::unique_ptr<FileSystem>> beside;
  std::vector<std::function<void()>> work;
  for (size_t i = 0; i < pieces.size(); ++i) {
    FileSystem* files = &station;
    if (i > 0) {
      beside.push_back(std::make_unique<FileSystem>(FileSystem::SameStation{}, station));
      files = beside.back().get();
    }
    work.push_back([&piece = pieces[i], files] { piece(*files); });
  }
  AllAtOnce(work);
}

}  // namespace korv
