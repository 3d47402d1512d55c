#include "platform/files/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/files/file_system.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

constexpr std::string_view kPrefix = ".korv-";
constexpr std::string_view kSuffix = ".korvtmp";
// An older program's temporary this long unchanged was left by a process
// that died: a live one names its temporary within a moment.
constexpr std::time_t kLegacyAgeSeconds = 3600;

std::atomic<long> sequence{0};

// The host part of the names: the computer's name without its domain and
// without the characters a file name on a share cannot hold.
const std::string& HostTag() {
  static const std::string tag = [] {
    char buf[256] = {};
    gethostname(buf, sizeof buf - 1);
    std::string name = buf;
    name = name.substr(0, name.find('.'));
    for (char& c : name)
      if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) c = '_';
    return name.empty() ? std::string("host") : name;
  }();
  return tag;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The pid of one of this host's temporaries; 0 for any other name.
pid_t OwnTemporaryPid(std::string_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix || !EndsWith(name, kSuffix)) return 0;
  std::string_view middle =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  size_t seq_dash = middle.rfind('-');
  if (seq_dash == std::string_view::npos || seq_dash == 0) return 0;
  size_t pid_dash = middle.rfind('-', seq_dash - 1);
  if (pid_dash == std::string_view::npos) return 0;
  if (middle.substr(0, pid_dash) != HostTag()) return 0;
  std::string pid(middle.substr(pid_dash + 1, seq_dash - pid_dash - 1));
  if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid.size() > 9)
    return 0;
  return static_cast<pid_t>(std::stol(pid));
}

bool Runs(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

bool IsLegacyTemporary(std::string_view name) {
  auto starts = [&](std::string_view p) { return name.substr(0, p.size()) == p; };
  return starts(".korv-copy-") || starts(".korv-new-") || starts(".writing-") ||
         (starts(kPrefix) && EndsWith(name, ".tmp"));
}

bool UnchangedFor(const fs::path& path, std::time_t seconds) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && std::time(nullptr) - st.st_mtime >= seconds;
}

}  // namespace

fs::path TempPathIn(const fs::path& folder) {
  return folder / (std::string(kPrefix) + HostTag() + "-" + std::to_string(getpid()) + "-" +
                   std::to_string(sequence.fetch_add(1)) + std::string(kSuffix));
}

// Every temporary's name begins with a dot, so the thousands of orders in
// PhoneOrders\ cost this sweep no more than their listing.
int ClearDeadTemporaries(const fs::path& folder) {
  int removed = 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name.size() < 2 || name[0] != '.') continue;
    const pid_t pid = OwnTemporaryPid(name);
    const bool dead = pid > 0 ? !Runs(pid)
                              : IsLegacyTemporary(name) &&
                                    UnchangedFor(folder / std::string(name), kLegacyAgeSeconds);
    if (dead && ::unlinkat(dirfd(dir), e->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

bool PublishNew(const fs::path& temp, const fs::path& target) {
  return PublishNew(FileAt{AT_FDCWD, temp.string()}, FileAt{AT_FDCWD, target.string()});
}

bool PublishNew(const FileAt& temp, const FileAt& target) {
  // One call where the file system renames without replacing; the
  // temporary's name is then gone with it.
  if (renameat2(temp.dir, temp.c_str(), target.dir, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
    RaiseErrno(errno);
  if (linkat(temp.dir, temp.c_str(), target.dir, target.c_str(), 0) == 0) {
    unlinkat(temp.dir, temp.c_str(), 0);
    return true;
  }
  int err = errno;
  if (err == EEXIST) return false;
  if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != ENOSYS) RaiseErrno(err);
  if (faccessat(target.dir, target.c_str(), F_OK, 0) == 0) return false;
  if (renameat(temp.dir, temp.c_str(), target.dir, target.c_str()) != 0) RaiseErrno(errno);
  return true;
}

void WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseErrno(errno);
    done += static_cast<size_t>(n);
  }
}

void WriteNewFile(const fs::path& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) RaiseErrno(errno);
  try {
    WriteAll(fd, bytes);
    if (fsync(fd) != 0) RaiseErrno(errno);
  } catch (...) {
    close(fd);
    unlink(path.c_str());
    throw;
  }
  if (close(fd) != 0) {
    int err = errno;
    unlink(path.c_str());
    RaiseErrno(err);
  }
}

void SyncFolder(const fs::path& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace korv
