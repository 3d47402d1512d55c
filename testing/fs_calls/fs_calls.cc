#include "testing/fs_calls/fs_calls.h"

#include <dirent.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace korv::fs_calls {
namespace {

enum Kind {
  kOpen,
  kClose,
  kRead,
  kWrite,
  kTruncate,
  kSync,
  kRename,
  kLink,
  kUnlink,
  kMkdir,
  kStat,
  kLock,
  kList,
  kCopy,
  kAttr,
  kKinds
};

constexpr const char* kKindNames[kKinds] = {"open", "close",  "read", "write",  "truncate",
                                            "sync", "rename", "link", "unlink", "mkdir",
                                            "stat", "lock",   "list", "copy",   "attr"};

std::array<std::atomic<int64_t>, kKinds> counts{};
std::atomic<int64_t> total{0};
std::atomic<bool> counting{true};
std::atomic<bool> reporting{false};

int ErrnoNamed(const char* name) {
  if (strcmp(name, "ENOSPC") == 0) return ENOSPC;
  if (strcmp(name, "EACCES") == 0) return EACCES;
  if (strcmp(name, "EIO") == 0) return EIO;
  return atoi(name) > 0 ? atoi(name) : EIO;
}

struct Settings {
  int64_t kill_at = 0;
  int64_t fail_at = 0;
  bool fail_from_on = false;
  int fail_errno = EIO;
  const char* count_file = nullptr;
  const char* count_after = nullptr;
  time_t time_shift = 0;
};

const Settings& Env() {
  static const Settings settings = [] {
    Settings s;
    if (const char* v = getenv("KORV_FS_KILL_AT")) s.kill_at = atoll(v);
    if (const char* v = getenv("KORV_FS_TIME_SHIFT")) s.time_shift = atoll(v);
    if (const char* v = getenv("KORV_FS_FAIL_AT")) s.fail_at = atoll(v);
    if (const char* v = getenv("KORV_FS_FAIL_FROM_ON")) s.fail_from_on = atoi(v) == 1;
    if (const char* v = getenv("KORV_FS_FAIL_ERRNO")) s.fail_errno = ErrnoNamed(v);
    s.count_file = getenv("KORV_FS_COUNT_FILE");
    s.count_after = getenv("KORV_FS_COUNT_AFTER");
    if (s.count_after && *s.count_after) counting = false;
    return s;
  }();
  return settings;
}

// Counts the call; true when it is to fail (errno is then set).
bool Count(Kind kind) {
  const Settings& s = Env();
  if (!counting || reporting) return false;
  counts[kind].fetch_add(1);
  const int64_t n = total.fetch_add(1) + 1;
  if (n == s.kill_at) kill(getpid(), SIGKILL);
  if (s.fail_at == 0 || n < s.fail_at || (n > s.fail_at && !s.fail_from_on)) return false;
  if (getenv("KORV_FS_FAIL_SAY")) {
    char line[80];
    const int len = snprintf(line, sizeof line, "fs_calls: call %lld (%s) fails\n",
                             static_cast<long long>(n), kKindNames[kind]);
    reporting = true;
    if (write(2, line, static_cast<size_t>(len)) < 0) {
    }
    if (getenv("KORV_FS_FAIL_TRACE")) {
      void* frames[40];
      backtrace_symbols_fd(frames, backtrace(frames, 40), 2);
    }
    reporting = false;
  }
  errno = s.fail_errno;
  return true;
}

// An open of a path that names the start of what is counted starts counting.
bool CountOpen(const char* path) {
  const Settings& s = Env();
  if (!counting && !reporting && path && s.count_after && strstr(path, s.count_after))
    counting = true;
  return Count(kOpen);
}

// What the program says is counted, and never what fails.
bool CountWrite(int fd) { return Count(kWrite) && fd > 2; }

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

#define KORV_REAL(name) static const auto real = Real<decltype(&::name)>(#name)

bool IsLockCommand(int cmd) {
  return cmd == F_SETLK || cmd == F_SETLKW || cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW;
}

// Writes the counts to KORV_FS_COUNT_FILE when the program ends normally.
__attribute__((destructor)) void Report() {
  const char* path = Env().count_file;
  if (!path || !*path) return;
  reporting = true;
  FILE* out = fopen(path, "w");
  if (!out) return;
  for (int k = 0; k < kKinds; ++k)
    if (counts[k] > 0) fprintf(out, "%s %lld\n", kKindNames[k], static_cast<long long>(counts[k]));
  fprintf(out, "total %lld\n", static_cast<long long>(total.load()));
  fclose(out);
}

}  // namespace

std::map<std::string, int64_t> Counts() {
  std::map<std::string, int64_t> out;
  for (int k = 0; k < kKinds; ++k)
    if (counts[k] > 0) out[kKindNames[k]] = counts[k];
  return out;
}

int64_t Total() { return total; }

void Reset() {
  for (auto& c : counts) c = 0;
  total = 0;
  counting = true;
}

}  // namespace korv::fs_calls

using korv::fs_calls::Count;
using korv::fs_calls::CountOpen;
using korv::fs_calls::CountWrite;
using korv::fs_calls::IsLockCommand;
using korv::fs_calls::Real;
namespace k = korv::fs_calls;

// The interposed calls: each counts, then does what the C library does.
// Mode arguments of open are read only when the flags ask for them, as the
// C library does.
extern "C" {

#define KORV_OPEN_MODE(flags)            \
  mode_t mode = 0;                       \
  if ((flags) & (O_CREAT | O_TMPFILE)) { \
    va_list ap;                          \
    va_start(ap, flags);                 \
    mode = va_arg(ap, mode_t);           \
    va_end(ap);                          \
  }

int open(const char* path, int flags, ...) {
  KORV_OPEN_MODE(flags);
  KORV_REAL(open);
  if (CountOpen(path)) return -1;
  return real(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
  KORV_OPEN_MODE(flags);
  KORV_REAL(open64);
  if (CountOpen(path)) return -1;
  return real(path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
  KORV_OPEN_MODE(flags);
  KORV_REAL(openat);
  if (CountOpen(path)) return -1;
  return real(dir, path, flags, mode);
}
int openat64(int dir, const char* path, int flags, ...) {
  KORV_OPEN_MODE(flags);
  KORV_REAL(openat64);
  if (CountOpen(path)) return -1;
  return real(dir, path, flags, mode);
}
int creat(const char* path, mode_t mode) {
  KORV_REAL(creat);
  if (CountOpen(path)) return -1;
  return real(path, mode);
}
FILE* fopen(const char* path, const char* how) {
  KORV_REAL(fopen);
  if (CountOpen(path)) return nullptr;
  return real(path, how);
}
FILE* fopen64(const char* path, const char* how) {
  KORV_REAL(fopen64);
  if (CountOpen(path)) return nullptr;
  return real(path, how);
}

// A failed close still closes, as the kernel's does.
int close(int fd) {
  KORV_REAL(close);
  if (Count(k::kClose)) {
    const int err = errno;
    real(fd);
    errno = err;
    return -1;
  }
  return real(fd);
}

ssize_t read(int fd, void* buf, size_t n) {
  KORV_REAL(read);
  if (Count(k::kRead)) return -1;
  return real(fd, buf, n);
}
ssize_t pread(int fd, void* buf, size_t n, off_t at) {
  KORV_REAL(pread);
  if (Count(k::kRead)) return -1;
  return real(fd, buf, n, at);
}
ssize_t pread64(int fd, void* buf, size_t n, off64_t at) {
  KORV_REAL(pread64);
  if (Count(k::kRead)) return -1;
  return real(fd, buf, n, at);
}

ssize_t write(int fd, const void* buf, size_t n) {
  KORV_REAL(write);
  if (CountWrite(fd)) return -1;
  return real(fd, buf, n);
}
ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
  KORV_REAL(pwrite);
  if (CountWrite(fd)) return -1;
  return real(fd, buf, n, at);
}
ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t at) {
  KORV_REAL(pwrite64);
  if (CountWrite(fd)) return -1;
  return real(fd, buf, n, at);
}
ssize_t writev(int fd, const struct iovec* iov, int n) {
  KORV_REAL(writev);
  if (CountWrite(fd)) return -1;
  return real(fd, iov, n);
}

int ftruncate(int fd, off_t length) {
  KORV_REAL(ftruncate);
  if (Count(k::kTruncate)) return -1;
  return real(fd, length);
}
int ftruncate64(int fd, off64_t length) {
  KORV_REAL(ftruncate64);
  if (Count(k::kTruncate)) return -1;
  return real(fd, length);
}
int truncate(const char* path, off_t length) {
  KORV_REAL(truncate);
  if (Count(k::kTruncate)) return -1;
  return real(path, length);
}

int fsync(int fd) {
  KORV_REAL(fsync);
  if (Count(k::kSync)) return -1;
  return real(fd);
}
int fdatasync(int fd) {
  KORV_REAL(fdatasync);
  if (Count(k::kSync)) return -1;
  return real(fd);
}

int rename(const char* from, const char* to) {
  KORV_REAL(rename);
  if (Count(k::kRename)) return -1;
  return real(from, to);
}
int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  KORV_REAL(renameat);
  if (Count(k::kRename)) return -1;
  return real(from_dir, from, to_dir, to);
}
int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  KORV_REAL(renameat2);
  if (Count(k::kRename)) return -1;
  return real(from_dir, from, to_dir, to, flags);
}

int link(const char* from, const char* to) {
  KORV_REAL(link);
  if (Count(k::kLink)) return -1;
  return real(from, to);
}
int linkat(int from_dir, const char* from, int to_dir, const char* to, int flags) {
  KORV_REAL(linkat);
  if (Count(k::kLink)) return -1;
  return real(from_dir, from, to_dir, to, flags);
}

int unlink(const char* path) {
  KORV_REAL(unlink);
  if (Count(k::kUnlink)) return -1;
  return real(path);
}
int unlinkat(int dir, const char* path, int flags) {
  KORV_REAL(unlinkat);
  if (Count(k::kUnlink)) return -1;
  return real(dir, path, flags);
}
int remove(const char* path) {
  KORV_REAL(remove);
  if (Count(k::kUnlink)) return -1;
  return real(path);
}
int rmdir(const char* path) {
  KORV_REAL(rmdir);
  if (Count(k::kUnlink)) return -1;
  return real(path);
}

int mkdir(const char* path, mode_t mode) {
  KORV_REAL(mkdir);
  if (Count(k::kMkdir)) return -1;
  return real(path, mode);
}
int mkdirat(int dir, const char* path, mode_t mode) {
  KORV_REAL(mkdirat);
  if (Count(k::kMkdir)) return -1;
  return real(dir, path, mode);
}

int stat(const char* path, struct stat* st) {
  KORV_REAL(stat);
  if (Count(k::kStat)) return -1;
  return real(path, st);
}
int stat64(const char* path, struct stat64* st) {
  KORV_REAL(stat64);
  if (Count(k::kStat)) return -1;
  return real(path, st);
}
int lstat(const char* path, struct stat* st) {
  KORV_REAL(lstat);
  if (Count(k::kStat)) return -1;
  return real(path, st);
}
int lstat64(const char* path, struct stat64* st) {
  KORV_REAL(lstat64);
  if (Count(k::kStat)) return -1;
  return real(path, st);
}
int fstat(int fd, struct stat* st) {
  KORV_REAL(fstat);
  if (Count(k::kStat)) return -1;
  return real(fd, st);
}
int fstat64(int fd, struct stat64* st) {
  KORV_REAL(fstat64);
  if (Count(k::kStat)) return -1;
  return real(fd, st);
}
int fstatat(int dir, const char* path, struct stat* st, int flags) {
  KORV_REAL(fstatat);
  if (Count(k::kStat)) return -1;
  return real(dir, path, st, flags);
}
int fstatat64(int dir, const char* path, struct stat64* st, int flags) {
  KORV_REAL(fstatat64);
  if (Count(k::kStat)) return -1;
  return real(dir, path, st, flags);
}
int access(const char* path, int how) {
  KORV_REAL(access);
  if (Count(k::kStat)) return -1;
  return real(path, how);
}
int faccessat(int dir, const char* path, int how, int flags) {
  KORV_REAL(faccessat);
  if (Count(k::kStat)) return -1;
  return real(dir, path, how, flags);
}

// fcntl's third argument is an int or a pointer; passing it on as a pointer
// carries either on this platform's calling convention.
int fcntl(int fd, int cmd, ...) {
  va_list ap;
  va_start(ap, cmd);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  KORV_REAL(fcntl);
  if (IsLockCommand(cmd) && Count(k::kLock)) return -1;
  return real(fd, cmd, arg);
}
int fcntl64(int fd, int cmd, ...) {
  va_list ap;
  va_start(ap, cmd);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  KORV_REAL(fcntl64);
  if (IsLockCommand(cmd) && Count(k::kLock)) return -1;
  return real(fd, cmd, arg);
}

DIR* opendir(const char* path) {
  KORV_REAL(opendir);
  if (Count(k::kList)) return nullptr;
  return real(path);
}
DIR* fdopendir(int fd) {
  KORV_REAL(fdopendir);
  if (Count(k::kList)) return nullptr;
  return real(fd);
}

// Not a file-system call: the clock the station program reads its time of
// day from, shifted when asked.
time_t time(time_t* out) {
  KORV_REAL(time);
  const time_t now = real(nullptr) + korv::fs_calls::Env().time_shift;
  if (out) *out = now;
  return now;
}

// A file's permissions, owner or times set (std::filesystem::copy_file sets
// the copy's permissions): one more round trip on a share.
int chmod(const char* path, mode_t mode) {
  KORV_REAL(chmod);
  if (Count(k::kAttr)) return -1;
  return real(path, mode);
}
int fchmod(int fd, mode_t mode) {
  KORV_REAL(fchmod);
  if (Count(k::kAttr)) return -1;
  return real(fd, mode);
}
int fchmodat(int dir, const char* path, mode_t mode, int flags) {
  KORV_REAL(fchmodat);
  if (Count(k::kAttr)) return -1;
  return real(dir, path, mode, flags);
}
int chown(const char* path, uid_t owner, gid_t group) {
  KORV_REAL(chown);
  if (Count(k::kAttr)) return -1;
  return real(path, owner, group);
}
int fchown(int fd, uid_t owner, gid_t group) {
  KORV_REAL(fchown);
  if (Count(k::kAttr)) return -1;
  return real(fd, owner, group);
}
int utimensat(int dir, const char* path, const struct timespec times[2], int flags) {
  KORV_REAL(utimensat);
  if (Count(k::kAttr)) return -1;
  return real(dir, path, times, flags);
}
int futimens(int fd, const struct timespec times[2]) {
  KORV_REAL(futimens);
  if (Count(k::kAttr)) return -1;
  return real(fd, times);
}

ssize_t sendfile(int to, int from, off_t* at, size_t n) {
  KORV_REAL(sendfile);
  if (Count(k::kCopy)) return -1;
  return real(to, from, at, n);
}
ssize_t sendfile64(int to, int from, off64_t* at, size_t n) {
  KORV_REAL(sendfile64);
  if (Count(k::kCopy)) return -1;
  return real(to, from, at, n);
}
ssize_t copy_file_range(int from, off64_t* from_at, int to, off64_t* to_at, size_t n,
                        unsigned flags) {
  KORV_REAL(copy_file_range);
  if (Count(k::kCopy)) return -1;
  return real(from, from_at, to, to_at, n, flags);
}

}  // extern "C"
