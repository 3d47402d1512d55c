// korv_latency_mount: a folder mounted again through FUSE, every request
// waiting a fixed time before it is answered, as a share across a network
// does. Names stay cached for a second and attributes not at all, as an SMB
// client keeps them, so each stat, open, read and close is a round trip.
// Whole-file locks are kept by this machine's kernel (no round trip): the
// stations under test all run here.
//
//   korv_latency_mount DELAY_US SOURCE MOUNTPOINT
//
// Runs in the foreground until the mount is unmounted (or the process is
// ended); many requests are served at once, as a share serves them. With
// KORV_SHARE_TRACE=FILE, each request that waits is written to FILE as it
// comes, with the time it came in seconds ("1234.567890 getattr
// /KORVAIN/PhoneOrders"), to see where a pass's round trips go.

#define FUSE_USE_VERSION 35
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

int source_fd = -1;
std::chrono::microseconds delay{0};

FILE* trace = nullptr;
std::mutex trace_lock;

// The request's round trip, then its path below the source folder.
const char* Wait(const char* request, const char* path) {
  if (trace) {
    std::lock_guard<std::mutex> hold(trace_lock);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(trace, "%.6f %s %s\n", std::chrono::duration<double>(now).count(), request, path);
  }
  if (delay.count() > 0) std::this_thread::sleep_for(delay);
  return path[1] ? path + 1 : ".";
}

int Result(int r) { return r < 0 ? -errno : r; }

void* Init(fuse_conn_info*, fuse_config* cfg) {
  cfg->entry_timeout = 1.0;
  cfg->negative_timeout = 0;
  cfg->attr_timeout = 0;
  cfg->use_ino = 1;
  return nullptr;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi) {
  const char* p = Wait("getattr", path);
  if (fi) return Result(fstat(static_cast<int>(fi->fh), st));
  return Result(fstatat(source_fd, p, st, AT_SYMLINK_NOFOLLOW));
}

int OpenDir(const char* path, fuse_file_info* fi) {
  int fd = openat(source_fd, Wait("opendir", path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int ReadDir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info* fi,
            fuse_readdir_flags) {
  Wait("readdir", path);
  int fd = dup(static_cast<int>(fi->fh));
  if (fd < 0) return -errno;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return -errno;
  }
  rewinddir(dir);
  while (dirent* e = readdir(dir)) {
    struct stat st = {};
    st.st_ino = e->d_ino;
    st.st_mode = static_cast<mode_t>(DTTOIF(e->d_type));
    if (fill(buf, e->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0))) break;
  }
  closedir(dir);
  return 0;
}

int ReleaseDir(const char*, fuse_file_info* fi) { return Result(close(static_cast<int>(fi->fh))); }

int FsyncDir(const char* path, int, fuse_file_info* fi) {
  Wait("fsyncdir", path);
  return Result(fsync(static_cast<int>(fi->fh)));
}

int Open(const char* path, fuse_file_info* fi) {
  int fd = openat(source_fd, Wait("open", path), fi->flags | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
  int fd = openat(source_fd, Wait("create", path), fi->flags | O_CREAT | O_CLOEXEC, mode);
  if (fd < 0) return -errno;
  fi->fh = static_cast<uint64_t>(fd);
  return 0;
}

int Read(const char* path, char* buf, size_t size, off_t at, fuse_file_info* fi) {
  Wait("read", path);
  return Result(static_cast<int>(pread(static_cast<int>(fi->fh), buf, size, at)));
}

int Write(const char* path, const char* buf, size_t size, off_t at, fuse_file_info* fi) {
  Wait("write", path);
  return Result(static_cast<int>(pwrite(static_cast<int>(fi->fh), buf, size, at)));
}

int Flush(const char* path, fuse_file_info*) {
  Wait("flush", path);
  return 0;
}

int Release(const char*, fuse_file_info* fi) { return Result(close(static_cast<int>(fi->fh))); }

int Fsync(const char* path, int data_only, fuse_file_info* fi) {
  Wait("fsync", path);
  int fd = static_cast<int>(fi->fh);
  return Result(data_only ? fdatasync(fd) : fsync(fd));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
  const char* p = Wait("truncate", path);
  if (fi) return Result(ftruncate(static_cast<int>(fi->fh), size));
  int fd = openat(source_fd, p, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  int r = Result(ftruncate(fd, size));
  close(fd);
  return r;
}

int Unlink(const char* path) { return Result(unlinkat(source_fd, Wait("unlink", path), 0)); }
int Rmdir(const char* path) {
  return Result(unlinkat(source_fd, Wait("rmdir", path), AT_REMOVEDIR));
}
int Mkdir(const char* path, mode_t mode) {
  return Result(mkdirat(source_fd, Wait("mkdir", path), mode));
}

int Rename(const char* from, const char* to, unsigned int flags) {
  const char* f = Wait("rename", from);
  return Result(renameat2(source_fd, f, source_fd, to[1] ? to + 1 : ".", flags));
}

int Link(const char* from, const char* to) {
  const char* f = Wait("link", from);
  return Result(linkat(source_fd, f, source_fd, to[1] ? to + 1 : ".", 0));
}

int Symlink(const char* target, const char* path) {
  return Result(symlinkat(target, source_fd, Wait("symlink", path)));
}

int ReadLink(const char* path, char* buf, size_t size) {
  ssize_t n = readlinkat(source_fd, Wait("readlink", path), buf, size - 1);
  if (n < 0) return -errno;
  buf[n] = '\0';
  return 0;
}

int Chmod(const char* path, mode_t mode, fuse_file_info* fi) {
  const char* p = Wait("chmod", path);
  if (fi) return Result(fchmod(static_cast<int>(fi->fh), mode));
  return Result(fchmodat(source_fd, p, mode, 0));
}

int Chown(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi) {
  const char* p = Wait("chown", path);
  if (fi) return Result(fchown(static_cast<int>(fi->fh), uid, gid));
  return Result(fchownat(source_fd, p, uid, gid, AT_SYMLINK_NOFOLLOW));
}

int Utimens(const char* path, const timespec tv[2], fuse_file_info* fi) {
  const char* p = Wait("utimens", path);
  if (fi) return Result(futimens(static_cast<int>(fi->fh), tv));
  return Result(utimensat(source_fd, p, tv, AT_SYMLINK_NOFOLLOW));
}

int StatFs(const char* path, struct statvfs* st) {
  Wait("statfs", path);
  return Result(fstatvfs(source_fd, st));
}

int Access(const char* path, int mask) {
  return Result(faccessat(source_fd, Wait("access", path), mask, 0));
}

fuse_operations Operations() {
  fuse_operations ops = {};
  ops.init = Init;
  ops.getattr = GetAttr;
  ops.opendir = OpenDir;
  ops.readdir = ReadDir;
  ops.releasedir = ReleaseDir;
  ops.fsyncdir = FsyncDir;
  ops.open = Open;
  ops.create = Create;
  ops.read = Read;
  ops.write = Write;
  ops.flush = Flush;
  ops.release = Release;
  ops.fsync = Fsync;
  ops.truncate = Truncate;
  ops.unlink = Unlink;
  ops.rmdir = Rmdir;
  ops.mkdir = Mkdir;
  ops.rename = Rename;
  ops.link = Link;
  ops.symlink = Symlink;
  ops.readlink = ReadLink;
  ops.chmod = Chmod;
  ops.chown = Chown;
  ops.utimens = Utimens;
  ops.statfs = StatFs;
  ops.access = Access;
  return ops;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: korv_latency_mount DELAY_US SOURCE MOUNTPOINT\n");
    return 2;
  }
  delay = std::chrono::microseconds(std::strtol(argv[1], nullptr, 10));
  source_fd = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (source_fd < 0) {
    std::perror(argv[2]);
    return 1;
  }
  if (const char* t = std::getenv("KORV_SHARE_TRACE")) {
    trace = std::fopen(t, "w");
    if (trace) setvbuf(trace, nullptr, _IOLBF, 0);
  }
  umask(0);
  // A share answers many requests at once: up to 64 here, as many as the
  // stations under test keep in flight.
  std::string prog = argv[0];
  std::string mountpoint = argv[3];
  std::string f = "-f", o = "-o",
              opts = "fsname=korv-latency,default_permissions,max_threads=64,max_idle_threads=64";
  char* args[] = {prog.data(), mountpoint.data(), f.data(), o.data(), opts.data(), nullptr};
  fuse_operations ops = Operations();
  return fuse_main(5, args, &ops, nullptr);
}
