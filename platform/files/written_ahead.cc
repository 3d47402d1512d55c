// Files written ahead of their name: the text goes to disk under a
// temporary name while the name is still being drawn, and takes the name
// once it is known.

#include <fcntl.h>
#include <unistd.h>

#include "common/run_together.h"
#include "platform/files/file_system.h"

namespace korv {

namespace fs = std::filesystem;

fs::path FileSystem::WriteAhead(std::string_view folder, std::string_view text) {
  return WriteTemp(map_->Resolve(folder), text, durable_ > 0);
}

// A file of that name already there (a stale file of a number come round
// again) keeps its identity and is rewritten in place, as WriteWhole does.
// One the pass found there is rewritten without first trying the name, and
// the temporary removed meanwhile: on a share the try would wait its round
// trips for nothing. The temporary is gone once it returns or raises.
void FileSystem::PlaceAhead(const fs::path& temp, std::string_view path, std::string_view text) {
  fs::path host;
  bool found = false;
  try {
    host = map_->Resolve(path, &found);
  } catch (...) {
    DropAhead(temp);
    throw;
  }
  if (found)
    return AllAtOnce({[&] { Replace(host, text, durable_ > 0); }, [&] { DropAhead(temp); }});
  if (!PublishTemp(temp, host, durable_ > 0)) Replace(host, text, durable_ > 0);
}

void FileSystem::DropAhead(const fs::path& temp) {
  const FileAt tmp = At(temp);
  ::unlinkat(tmp.dir, tmp.c_str(), 0);
}

}  // namespace korv
