#pragma once
// Small shared files that a station reads over and over and that seldom
// change (the configuration and the menu button files the order engine reads
// at every start-up, that is for every order sent). Each is read whole under
// a whole-file lock and kept with the stamp it was read under; it is read
// again only when its stamp no longer holds, which costs one stat instead of
// a locked read. Within a pass (FileSystem::BeginPass) a file is looked at
// once: a change made while the pass runs is taken at the next pass.

#include <cstdint>
#include <map>
#include <string>

#include "platform/files/file_system.h"

namespace korv {

// Closes every open file, reads the whole file at path under a whole-file
// lock and closes it. Raises 53 for a missing file (never made), 70 for a
// lock held elsewhere, with no file left open. stamp, when given, receives
// the file's stamp from before it was read.
std::string ReadWholeLocked(FileSystem& files, const std::string& path,
                            ChangeStamp* stamp = nullptr);

class KeptFiles {
 public:
  // The content of the file at path, as ReadWholeLocked gives it and with
  // its errors (53 when there is no such file).
  std::string Content(FileSystem& files, const std::string& path);

 private:
  struct Kept {
    bool exists = false;
    ChangeStamp stamp;
    std::string content;
    uint64_t looked_in = 0;  // the pass it was last looked at in
  };
  std::map<std::string, Kept> kept_;
};

}  // namespace korv
