#pragma once
// What shows that a file or folder may have changed since it was last looked
// at, from one stat: its identity (device and inode: a file replaced under
// the same name is another file), its size, and its modification and change
// times to the nanosecond. The change time moves with every write and with
// every change of the modification time, so a copy that keeps an old
// modification time still shows.
//
// Two writes within one tick of the file system's clock leave the same
// times, and a share may keep coarser times (two seconds on some) or run its
// clock ahead of this station's. So a stamp taken while its times are that
// recent is not yet settled: a reader that keeps what it read must look at
// the file again next time even when the stamp is the same.

#include <sys/stat.h>

#include <cstdint>
#include <ctime>

#include "common/date_time.h"

namespace korv {

struct ChangeStamp {
  uint64_t dev = 0;
  uint64_t ino = 0;
  int64_t size = 0;
  timespec mtime{};
  timespec ctime{};
  bool settled = false;  // its change time lay a tick before the moment it was taken

  // Same identity, size and times (whether settled or not).
  bool Same(const ChangeStamp& other) const;
  // True when what was read under this stamp is still what the file holds:
  // settled, and the file's stamp now is the same.
  bool StillHolds(const ChangeStamp& now) const { return settled && Same(now); }
  // The modification time on this station's local clock, to the second.
  DateTime ModifiedAt() const;
};

// The stamp of a stat taken just now; settled when its change time lies at
// least tick_ns before now.
ChangeStamp MakeChangeStamp(const struct stat& st, int64_t tick_ns);

// The tick of the files the program reads and keeps: two seconds covers the
// coarsest time a share keeps and a share's clock running a little ahead.
constexpr int64_t kChangeStampTickNs = 2'000'000'000;

}  // namespace korv
