#pragma once
// The floor of a full read of the pending list: what no reader of the same
// headers under the same locks, one after the other, can go below.

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace korv::bench {

inline bool IsDelayedHeader(const char* name) {
  size_t n = strlen(name);
  return n > 5 && (name[0] == 'D' || name[0] == 'd') && (name[1] == 'S' || name[1] == 's') &&
         strcasecmp(name + n - 3, ".PH") == 0;
}

// One folder listing, then the open, lock, read, unlock and close of each
// header. Returns the bytes read.
inline size_t FloorRead(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* e = readdir(dir))
    if (IsDelayedHeader(e->d_name)) names.emplace_back(e->d_name);
  closedir(dir);
  size_t bytes = 0;
  char buf[4096];
  for (const std::string& name : names) {
    int fd = open((folder / name).c_str(), O_RDONLY | O_CLOEXEC);
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    fcntl(fd, F_OFD_SETLK, &lock);
    ssize_t got = read(fd, buf, sizeof buf);
    lock.l_type = F_UNLCK;
    fcntl(fd, F_OFD_SETLK, &lock);
    close(fd);
    bytes += got > 0 ? static_cast<size_t>(got) : 0;
  }
  return bytes;
}

}  // namespace korv::bench
