#include "platform/files/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

#include "common/runtime_error.h"
#include "common/val.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

// How long a lock waits for another holder before raising 70.
constexpr int kLockAttempts = 300;
constexpr auto kLockPause = std::chrono::milliseconds(10);

}  // namespace

std::string FolderWriteProblem(const fs::path& folder) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0)
    return errno == ENOENT ? "does not exist" : std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return "is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  return {};
}

[[noreturn]] void RaiseErrno(int err, bool reading) {
  switch (err) {
    case ENOENT:
      throw RuntimeError(reading ? kErrFileNotFound : kErrPathNotFound);
    case ENOTDIR:
      throw RuntimeError(kErrPathNotFound);
    case EACCES:
    case EPERM:
    case EAGAIN:
    case EROFS:
      throw RuntimeError(kErrPermissionDenied);
    case ENOSPC:
    case EDQUOT:
      throw RuntimeError(kErrDiskFull);
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL:
      throw RuntimeError(kErrPathFileAccess);
    default:
      throw RuntimeError(kErrDeviceIO);
  }
}

namespace {

// A whole-file lock covers every byte a file can hold; the claim byte lies
// beyond that range, so claims and whole-file locks never meet.
constexpr off_t kWholeFile = off_t{1} << 62;
constexpr off_t kClaimByte = kWholeFile;

bool TryLockRange(int fd, short type, off_t start, off_t length) {
  struct flock fl = {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

bool TryLock(int fd, short type) { return TryLockRange(fd, type, 0, kWholeFile); }

void WriteAllAt(int fd, std::string_view text, off_t offset, bool append) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = append ? write(fd, text.data() + done, text.size() - done)
                       : pwrite(fd, text.data() + done, text.size() - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno);
    }
    done += static_cast<size_t>(n);
  }
}

std::string ReadFd(int fd) {
  std::string out;
  char buf[65536];
  off_t off = 0;
  for (;;) {
    ssize_t n = pread(fd, buf, sizeof buf, off);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno, true);
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
    off += n;
  }
  return out;
}

// A regular file, or a link to one (as listings always counted them).
bool IsFileEntry(const fs::path& dir, const dirent& e) {
  if (e.d_type == DT_REG) return true;
  if (e.d_type != DT_LNK && e.d_type != DT_UNKNOWN) return false;
  struct stat st;
  return ::stat((dir / e.d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

DateTime ToLocal(std::time_t t) {
  std::tm tm = {};
  localtime_r(&t, &tm);
  return DateTime{Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
                  tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec};
}

}  // namespace

FileSystem::~FileSystem() { CloseAll(); }

FileSystem::OpenFile& FileSystem::Get(int file) {
  auto it = open_.find(file);
  if (it == open_.end()) throw RuntimeError(kErrBadFileName);
  return it->second;
}

void FileSystem::LockFd(int fd, bool writable, short type) {
  if (!writable && type == F_WRLCK) type = F_RDLCK;
  for (int i = 0; i < kLockAttempts; ++i) {
    if (TryLock(fd, type)) return;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) RaiseErrno(errno);
    std::this_thread::sleep_for(kLockPause);
  }
  throw RuntimeError(kErrPermissionDenied);
}

int FileSystem::Open(std::string_view path, OpenMode mode, int record_length) {
  fs::path host = map_.Resolve(path);
  if (Trim(path).empty()) throw RuntimeError(kErrBadFileName);
  int flags = O_RDWR | O_CLOEXEC;
  if (mode != OpenMode::kInput) flags |= O_CREAT;
  if (mode == OpenMode::kAppend) flags |= O_APPEND;
  bool writable = true;
  bool creates = (flags & O_CREAT) && ::access(host.c_str(), F_OK) != 0 && errno == ENOENT;
  auto before = creates ? map_.BeforeChange(host) : std::nullopt;
  int fd = ::open(host.c_str(), flags, 0666);
  if (fd < 0 && errno == EACCES && mode != OpenMode::kOutput && mode != OpenMode::kAppend) {
    fd = ::open(host.c_str(), (flags & ~(O_RDWR | O_CREAT)) | O_RDONLY);
    writable = false;
  }
  if (creates) map_.AfterChange(host, before, fd >= 0);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT && mode == OpenMode::kInput && fs::is_directory(host.parent_path()))
      throw RuntimeError(kErrFileNotFound);
    RaiseErrno(err, mode == OpenMode::kInput);
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw RuntimeError(kErrPathFileAccess);
  }
  if (mode == OpenMode::kOutput) {
    // Empty the file only while nobody else holds it, as the original
    // platform refuses to truncate a file another station has locked.
    try {
      LockFd(fd, true, F_WRLCK);
    } catch (...) {
      ::close(fd);
      throw;
    }
    int rc = ftruncate(fd, 0);
    int err = errno;
    TryLock(fd, F_UNLCK);
    if (rc != 0) {
      ::close(fd);
      RaiseErrno(err);
    }
  }
  int number = next_number_++;
  open_[number] = OpenFile{fd, mode, record_length, writable, std::nullopt};
  return number;
}

void FileSystem::Close(int file) {
  auto it = open_.find(file);
  if (it == open_.end()) return;
  ::close(it->second.fd);  // also drops the lock of this open file
  open_.erase(it);
}

void FileSystem::CloseAll() {
  for (auto& [number, f] : open_) ::close(f.fd);
  open_.clear();
}

void FileSystem::Lock(int file) {
  OpenFile& f = Get(file);
  LockFd(f.fd, f.writable, F_WRLCK);
}

bool FileSystem::Claim(int file) {
  OpenFile& f = Get(file);
  return TryLockRange(f.fd, f.writable ? F_WRLCK : F_RDLCK, kClaimByte, 1);
}

bool FileSystem::ClaimSlot(int file, uint64_t key) {
  OpenFile& f = Get(file);
  if (!f.writable) throw RuntimeError(kErrPermissionDenied);
  return TryLockRange(f.fd, F_WRLCK, kClaimByte + static_cast<off_t>(key >> 2), 1);
}

void FileSystem::Unlock(int file) {
  OpenFile& f = Get(file);
  TryLock(f.fd, F_UNLCK);
}

std::string FileSystem::ReadField(int file) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kInput) throw RuntimeError(kErrBadFileName);
  if (!f.reader) f.reader.emplace(ReadFd(f.fd));
  return f.reader->ReadField();
}

std::vector<std::string> FileSystem::ReadFields(int file, size_t n) {
  std::vector<std::string> out;
  for (size_t i = 0; i < n; ++i) out.push_back(ReadField(file));
  return out;
}

bool FileSystem::Eof(int file) {
  OpenFile& f = Get(file);
  if (!f.reader) f.reader.emplace(ReadFd(f.fd));
  return f.reader->AtEnd();
}

void FileSystem::WriteFields(int file, const std::vector<std::string>& fields) {
  WriteText(file, QuotedLine(fields));
}

void FileSystem::WriteText(int file, std::string_view text) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kOutput && f.mode != OpenMode::kAppend)
    throw RuntimeError(kErrBadFileName);
  WriteAllAt(f.fd, text, 0, true);
}

std::string FileSystem::GetRecord(int file, int64_t record) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kRandom || f.record_length <= 0) throw RuntimeError(kErrBadFileName);
  if (record < 1) throw RuntimeError(kErrBadRecordNumber);
  std::string buf(f.record_length, ' ');
  off_t off = static_cast<off_t>((record - 1) * f.record_length);
  size_t got = 0;
  while (got < buf.size()) {
    ssize_t n = pread(f.fd, buf.data() + got, buf.size() - got, off + got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseErrno(errno, true);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  std::fill(buf.begin() + got, buf.end(), ' ');
  return buf;
}

void FileSystem::PutRecord(int file, int64_t record, std::string_view bytes) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kRandom || f.record_length <= 0) throw RuntimeError(kErrBadFileName);
  if (record < 1) throw RuntimeError(kErrBadRecordNumber);
  if (!f.writable) throw RuntimeError(kErrPermissionDenied);
  std::string rec = PadRight(bytes, f.record_length);
  WriteAllAt(f.fd, rec, static_cast<off_t>((record - 1) * f.record_length), false);
}

int64_t FileSystem::Lof(int file) {
  struct stat st;
  if (fstat(Get(file).fd, &st) != 0) RaiseErrno(errno);
  return st.st_size;
}

std::string FileSystem::ReadAll(int file) { return ReadFd(Get(file).fd); }

void FileSystem::Rewrite(int file, std::string_view text) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kReadWrite || !f.writable) throw RuntimeError(kErrBadFileName);
  if (ftruncate(f.fd, 0) != 0) RaiseErrno(errno);
  WriteAllAt(f.fd, text, 0, false);
}

bool FileSystem::StillNamed(int file, std::string_view path) {
  struct stat open_st, path_st;
  if (fstat(Get(file).fd, &open_st) != 0) return false;
  if (::stat(map_.Resolve(path).c_str(), &path_st) != 0) return false;
  return open_st.st_ino == path_st.st_ino && open_st.st_dev == path_st.st_dev;
}

bool FileSystem::Exists(std::string_view path) const {
  std::error_code ec;
  return !Trim(path).empty() && fs::is_regular_file(map_.Resolve(path), ec);
}

bool FileSystem::FolderExists(std::string_view path) const {
  std::error_code ec;
  return fs::is_directory(map_.Resolve(path), ec);
}

void FileSystem::Copy(std::string_view from, std::string_view to) {
  fs::path src = map_.Resolve(from);
  fs::path dst = map_.Resolve(to);
  std::error_code ec;
  if (!fs::is_regular_file(src, ec)) throw RuntimeError(kErrFileNotFound);
  if (!fs::is_directory(dst.parent_path(), ec)) throw RuntimeError(kErrPathNotFound);
  // Written beside the target and renamed over it, so a reader never sees a
  // half-copied file and a failed copy leaves the old target as it was.
  fs::path tmp = dst.parent_path() /
                 (".korv-copy-" + std::to_string(getpid()) + "-" + dst.filename().string());
  // A failed copy reports nothing: the folder changed, so its index is reread.
  auto before = map_.BeforeChange(dst);
  if (!fs::copy_file(src, tmp, fs::copy_options::overwrite_existing, ec)) {
    fs::remove(tmp, ec);
    throw RuntimeError(kErrPathFileAccess);
  }
  fs::rename(tmp, dst, ec);
  if (ec) {
    fs::remove(tmp, ec);
    throw RuntimeError(kErrPathFileAccess);
  }
  map_.AfterChange(dst, before, true);
}

bool FileSystem::CreateWhole(std::string_view path, std::string_view text) {
  fs::path dst = map_.Resolve(path);
  std::error_code ec;
  if (!fs::is_directory(dst.parent_path(), ec)) throw RuntimeError(kErrPathNotFound);
  fs::path tmp =
      dst.parent_path() / (".korv-new-" + std::to_string(getpid()) + "-" + dst.filename().string());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) RaiseErrno(errno);
  try {
    WriteAllAt(fd, text, 0, false);
  } catch (...) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  ::close(fd);
  // A link claims the name only when it is free, so the file appears whole
  // and never replaces one another station made meanwhile.
  auto before = map_.BeforeChange(dst);
  bool made = ::link(tmp.c_str(), dst.c_str()) == 0;
  int err = errno;
  ::unlink(tmp.c_str());
  map_.AfterChange(dst, before, true);
  if (!made && err != EEXIST) RaiseErrno(err);
  return made;
}

void FileSystem::Kill(std::string_view path) {
  fs::path p = map_.Resolve(path);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) throw RuntimeError(kErrFileNotFound);
  auto before = map_.BeforeChange(p);
  bool removed = ::unlink(p.c_str()) == 0;
  map_.AfterChange(p, before, !removed);
  if (!removed) throw RuntimeError(kErrPermissionDenied);
}

DateTime FileSystem::FileDateTime(std::string_view path) const {
  struct stat st;
  if (::stat(map_.Resolve(path).c_str(), &st) != 0) throw RuntimeError(kErrFileNotFound);
  return ToLocal(st.st_mtime);
}

int64_t FileSystem::FileLen(std::string_view path) const {
  struct stat st;
  if (::stat(map_.Resolve(path).c_str(), &st) != 0) throw RuntimeError(kErrFileNotFound);
  return st.st_size;
}

std::vector<std::string> FileSystem::List(std::string_view folder, std::string_view pattern) const {
  fs::path dir = map_.Resolve(folder.empty() ? std::string_view(".") : folder);
  // readdir and one lower-casing per name: folders here hold thousands.
  std::vector<std::pair<std::string, std::string>> keyed;  // (lower-cased, as stored)
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      std::string_view name = e->d_name;
      if (WildcardMatch(pattern, name) && IsFileEntry(dir, *e))
        keyed.emplace_back(Lower(name), name);
    }
    ::closedir(d);
  }
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::string> names;
  names.reserve(keyed.size());
  for (auto& [lower, name] : keyed) names.push_back(std::move(name));
  return names;
}

void FileSystem::MakeFolders(std::string_view path) {
  fs::path host = map_.Resolve(path);
  // Only the topmost new folder is an entry of a folder that may be indexed.
  fs::path top = host;
  std::error_code ec, made;
  while (top.has_relative_path() && !fs::exists(top.parent_path(), ec)) top = top.parent_path();
  auto before = map_.BeforeChange(top);
  fs::create_directories(host, made);
  map_.AfterChange(top, before, fs::is_directory(top, ec));
  if (made) RaiseErrno(made.value());
}

std::string FileSystem::ReadFileText(std::string_view path) const {
  int fd = ::open(map_.Resolve(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno, true);
  try {
    std::string text = ReadFd(fd);
    ::close(fd);
    return text;
  } catch (...) {
    ::close(fd);
    throw;
  }
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Iterative match with backtracking to the last star: linear in practice.
  size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || low(pattern[p]) == low(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace korv
