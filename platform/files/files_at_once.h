#pragma once
// File work of one station in pieces that do not depend on each other, all
// under way at once: on a share each file waits its round trips, so files
// written one after another wait the sum.

#include <functional>
#include <vector>

#include "platform/files/file_system.h"

namespace korv {

// Runs the pieces as AllAtOnce does (common/run_together.h): the first on
// the calling thread with the station's own file layer, each other one with
// a file layer of its own beside it (FileSystem::SameStation), made for the
// call. Returns when all have ended; then the first failure, in the order
// given, is thrown again.
void FilesAtOnce(FileSystem& station, const std::vector<std::function<void(FileSystem&)>>& pieces);

}  // namespace korv
