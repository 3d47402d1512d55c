#include "platform/files/change_stamp.h"

namespace korv {
namespace {

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

int64_t NsBefore(const timespec& now, const timespec& t) {
  return (int64_t{now.tv_sec} - t.tv_sec) * 1'000'000'000 + (now.tv_nsec - t.tv_nsec);
}

}  // namespace

bool ChangeStamp::Same(const ChangeStamp& o) const {
  return dev == o.dev && ino == o.ino && size == o.size && SameTime(mtime, o.mtime) &&
         SameTime(ctime, o.ctime);
}

DateTime ChangeStamp::ModifiedAt() const {
  std::tm tm = {};
  const std::time_t t = mtime.tv_sec;
  localtime_r(&t, &tm);
  return DateTime{Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
                  tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec};
}

ChangeStamp MakeChangeStamp(const struct stat& st, int64_t tick_ns) {
  ChangeStamp s;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtime = st.st_mtim;
  s.ctime = st.st_ctim;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  // Every change moves the change time, which no one can set back (a
  // modification time can be given any value); one ahead of this station's
  // clock counts as recent too.
  s.settled = NsBefore(now, s.ctime) >= tick_ns;
  return s;
}

}  // namespace korv
