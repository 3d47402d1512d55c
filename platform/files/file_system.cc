#include "platform/files/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <numeric>
#include <thread>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/temp_files.h"

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
off_t SlotByte(uint64_t key) { return kClaimByte + static_cast<off_t>(key >> 2); }

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

// A file's content as a stamp holds it.
uint64_t Digest(std::string_view bytes) {
  uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : bytes) digest = (digest ^ c) * 1099511628211ull;
  return digest;
}

// The whole content of the file, whose size was `expected` when it was
// opened (negative: not known). A read asks for one byte more than that, so a
// file still of that size is read in one call: a read that comes back short
// once the expected bytes are in has met the end. A file that grew or shrank
// meanwhile is read on until a read returns nothing. size_held: the size was
// taken under a lock this process holds, so no station that keeps to the
// locks changes it meanwhile: exactly that much is asked for, since on a
// share a read reaching past the size the client knows first asks the
// server for the size again.
std::string ReadFd(int fd, int64_t expected, bool size_held = false) {
  constexpr size_t kChunk = 65536;
  std::string out;
  size_t want = expected < 0 ? kChunk : static_cast<size_t>(expected) + (size_held ? 0 : 1);
  for (;;) {
    if (size_held && static_cast<int64_t>(out.size()) >= expected) break;
    size_t at = out.size();
    out.resize(at + want);
    ssize_t n = pread(fd, out.data() + at, want, static_cast<off_t>(at));
    if (n < 0) {
      out.resize(at);
      if (errno == EINTR) continue;
      RaiseErrno(errno, true);
    }
    out.resize(at + static_cast<size_t>(n));
    if (n == 0) break;
    if (expected >= 0 && static_cast<size_t>(n) < want &&
        static_cast<int64_t>(out.size()) >= expected)
      break;
    want = kChunk;
  }
  return out;
}

// A regular file (following a link), from one look at it.
bool IsFileAt(const FileAt& file) {
  struct stat st;
  return ::fstatat(file.dir, file.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode);
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

namespace {

// The whole-file lock, waited for a short, bounded time; 70 when it stays held.
void WaitForLock(int fd, short type) {
  for (int i = 0; i < kLockAttempts; ++i) {
    if (TryLock(fd, type)) return;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) RaiseErrno(errno);
    std::this_thread::sleep_for(kLockPause);
  }
  throw RuntimeError(kErrPermissionDenied);
}

}  // namespace

void FileSystem::LockFd(int fd, bool writable, short type) {
  WaitForLock(fd, !writable && type == F_WRLCK ? F_RDLCK : type);
}

std::string ReadLockedFile(const FileAt& file, ChangeStamp* stamp) {
  int fd = ::openat(file.dir, file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno, true);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }  // the lock goes with it
  } closer{fd};
  struct stat st;
  if (fstat(fd, &st) != 0) RaiseErrno(errno, true);
  if (S_ISDIR(st.st_mode)) throw RuntimeError(kErrPathFileAccess);
  *stamp = MakeChangeStamp(st, kChangeStampTickNs);
  WaitForLock(fd, F_RDLCK);
  return ReadFd(fd, st.st_size);
}

std::optional<ChangeStamp> ChangeStampAt(const FileAt& file) {
  struct stat st;
  if (::fstatat(file.dir, file.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return MakeChangeStamp(st, kChangeStampTickNs);
}

int FileSystem::Open(std::string_view path, OpenMode mode, int record_length) {
  if (Trim(path).empty()) throw RuntimeError(kErrBadFileName);
  int flags = O_RDWR | O_CLOEXEC;
  const bool existing = mode == OpenMode::kInput || mode == OpenMode::kUpdate;
  if (!existing) flags |= O_CREAT;
  bool found = false;
  fs::path host = map_->Resolve(path, (flags & O_CREAT) ? &found : nullptr);
  if (mode == OpenMode::kAppend) flags |= O_APPEND;
  bool writable = true;
  // Only a name not known to be there can be made by the open; its folder's
  // index then learns it.
  bool creates = (flags & O_CREAT) && !found;
  auto before = creates ? map_->BeforeChange(host) : PathMap::Change{};
  const FileAt at = At(host);
  int fd = ::openat(at.dir, at.c_str(), flags, 0666);
  if (fd < 0 && errno == EACCES && mode != OpenMode::kOutput && mode != OpenMode::kAppend) {
    fd = ::openat(at.dir, at.c_str(), (flags & ~(O_RDWR | O_CREAT)) | O_RDONLY);
    writable = false;
  }
  if (creates) map_->AfterChange(host, before, fd >= 0);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT && existing && fs::is_directory(host.parent_path()))
      throw RuntimeError(kErrFileNotFound);
    RaiseErrno(err, mode == OpenMode::kInput);
  }
  // What is opened to be read gets its stamp and size. A folder never opens
  // for writing; opened read-only it is refused here.
  // A stamp that could not be taken is an error, never a stamp of zeros.
  struct stat st = {};
  if (existing || mode == OpenMode::kReadWrite || !writable) {
    const int looked = fstat(fd, &st) == 0 ? 0 : errno;
    if (looked != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      if (looked != 0) RaiseErrno(looked, mode == OpenMode::kInput);
      throw RuntimeError(kErrPathFileAccess);
    }
  }
  if (mode == OpenMode::kOutput) {
    // The original platform refuses to open for output a file another
    // station has locked; the file itself is rewritten only as it is written.
    try {
      LockFd(fd, true, F_WRLCK);
    } catch (...) {
      ::close(fd);
      throw;
    }
    // The lock is kept for the writing that follows: the writer's own Lock
    // then costs no second round trip.
  }
  int number = next_number_++;
  OpenFile f{fd, mode, record_length, writable, std::nullopt};
  f.opened = MakeChangeStamp(st, kChangeStampTickNs);
  f.locked = f.held_by_open = mode == OpenMode::kOutput;
  f.uncut = mode == OpenMode::kOutput;  // opened and not written: empty, as "created or emptied"
  f.dirty = f.uncut;
  if (creates) f.made_in = host.parent_path();
  open_[number] = std::move(f);
  return number;
}

void FileSystem::CutOutput(OpenFile& f) {
  if (ftruncate(f.fd, f.written) != 0) RaiseErrno(errno);
  f.uncut = false;
}

void FileSystem::FinishOutput(OpenFile& f) {
  if (!f.uncut) return;
  try {
    if (!f.locked) LockFd(f.fd, true, F_WRLCK);
    CutOutput(f);
  } catch (const std::exception&) {
    // Another station holds the file: it keeps what it holds.
  }
}

// A failed fsync is not raised: the close must not fail a caller whose
// write did not, and the send's journal has not yet marked the step done.
void FileSystem::Settle(OpenFile& f) {
  if (!durable_ || !f.dirty) return;
  fsync(f.fd);
  f.dirty = false;
  if (!f.made_in.empty() && !names_synced_later_) folders_->SyncFolder(f.made_in);
}

void FileSystem::Close(int file) {
  auto it = open_.find(file);
  if (it == open_.end()) return;
  FinishOutput(it->second);
  Settle(it->second);
  ::close(it->second.fd);  // also drops the lock of this open file
  open_.erase(it);
}

void FileSystem::CloseAll() {
  for (auto& [number, f] : open_) {
    FinishOutput(f);
    Settle(f);
    ::close(f.fd);
  }
  open_.clear();
}

void FileSystem::Lock(int file) {
  OpenFile& f = Get(file);
  f.held_by_open = false;  // the caller's from now on
  if (f.locked) return;
  LockFd(f.fd, f.writable, F_WRLCK);
  f.locked = true;
}

bool FileSystem::LockIfFree(int file) {
  OpenFile& f = Get(file);
  f.held_by_open = false;  // the caller's from now on
  if (f.locked) return true;
  if (!TryLock(f.fd, f.writable ? F_WRLCK : F_RDLCK)) {
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) RaiseErrno(errno);
    return false;
  }
  f.locked = true;
  return true;
}

bool FileSystem::Claim(int file) {
  OpenFile& f = Get(file);
  return TryLockRange(f.fd, f.writable ? F_WRLCK : F_RDLCK, kClaimByte, 1);
}

bool FileSystem::ClaimSlot(int file, uint64_t key) {
  OpenFile& f = Get(file);
  if (!f.writable) throw RuntimeError(kErrPermissionDenied);
  return TryLockRange(f.fd, F_WRLCK, SlotByte(key), 1);
}

void FileSystem::ReleaseSlot(int file, uint64_t key) {
  TryLockRange(Get(file).fd, F_UNLCK, SlotByte(key), 1);
}

void FileSystem::Unlock(int file) {
  OpenFile& f = Get(file);
  if (f.uncut && f.locked) {
    try {
      CutOutput(f);
    } catch (...) {
      TryLock(f.fd, F_UNLCK);
      f.locked = false;
      f.locked_size = -1;
      throw;
    }
  }
  TryLock(f.fd, F_UNLCK);
  f.locked = f.held_by_open = false;
  f.locked_size = -1;
}

void FileSystem::StartReading(OpenFile& f) {
  if (f.reader) return;
  std::string text = ReadFd(f.fd, f.opened.size);
  f.read = FileStamp{f.opened.dev, f.opened.ino, static_cast<int64_t>(text.size()), Digest(text)};
  f.reader.emplace(std::move(text));
}

std::optional<FileRead> FileSystem::WhatWasRead(int file) {
  const OpenFile& f = Get(file);
  if (!f.read) return std::nullopt;
  return FileRead{f.reader->text(), *f.read};
}

std::string FileSystem::ReadField(int file) {
  OpenFile& f = Get(file);
  if (f.mode != OpenMode::kInput) throw RuntimeError(kErrBadFileName);
  StartReading(f);
  return f.reader->ReadField();
}

std::vector<std::string> FileSystem::ReadFields(int file, size_t n) {
  std::vector<std::string> out;
  for (size_t i = 0; i < n; ++i) out.push_back(ReadField(file));
  return out;
}

bool FileSystem::Eof(int file) {
  OpenFile& f = Get(file);
  StartReading(f);
  return f.reader->AtEnd();
}

void FileSystem::WriteFields(int file, const std::vector<std::string>& fields) {
  WriteText(file, QuotedLine(fields));
}

void FileSystem::WriteText(int file, std::string_view text) {
  OpenFile& f = Get(file);
  f.dirty = true;
  if (f.mode == OpenMode::kAppend) return WriteAllAt(f.fd, text, 0, true);
  if (f.mode != OpenMode::kOutput) throw RuntimeError(kErrBadFileName);
  // Without the caller's lock the text is cut at once, under the lock the
  // open still holds or a brief one.
  const bool callers = f.locked && !f.held_by_open;
  const bool brief = !f.locked;
  if (brief) LockFd(f.fd, true, F_WRLCK);
  try {
    WriteAllAt(f.fd, text, f.written, false);
    f.written += static_cast<int64_t>(text.size());
    f.uncut = true;
    if (!callers) CutOutput(f);
  } catch (...) {
    // The file stays as the failed write left it. Cut to the text written
    // before the failure, it would lose the old text, often all of it: a
    // phone order's lines that the send resumed later reads again.
    f.uncut = false;
    if (brief) TryLock(f.fd, F_UNLCK);
    throw;
  }
  if (brief) TryLock(f.fd, F_UNLCK);
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
  f.dirty = true;
  WriteAllAt(f.fd, rec, static_cast<off_t>((record - 1) * f.record_length), false);
}

int64_t FileSystem::Lof(int file) {
  struct stat st;
  if (fstat(Get(file).fd, &st) != 0) RaiseErrno(errno);
  return st.st_size;
}

std::string FileSystem::ReadAll(int file) {
  OpenFile& f = Get(file);
  std::string text = ReadFd(f.fd, f.opened.size);
  if (f.locked) f.locked_size = static_cast<int64_t>(text.size());
  return text;
}

// Over the old text, then cut: a reader caught in between finds the new
// text with at most the old one's tail, never an empty counter. A text no
// shorter than the one read under the same lock needs no cut, which on a
// share is a round trip.
void FileSystem::Rewrite(int file, std::string_view text) {
  OpenFile& f = Get(file);
  if ((f.mode != OpenMode::kReadWrite && f.mode != OpenMode::kUpdate) || !f.writable)
    throw RuntimeError(kErrBadFileName);
  f.dirty = true;
  const auto size = static_cast<int64_t>(text.size());
  const bool longer_before = !f.locked || f.locked_size < 0 || f.locked_size > size;
  f.locked_size = -1;  // unknown should the write or the cut fail
  WriteAllAt(f.fd, text, 0, false);
  if (longer_before && ftruncate(f.fd, static_cast<off_t>(size)) != 0) RaiseErrno(errno);
  if (f.locked) f.locked_size = size;
}

void FileSystem::Flush(int file) {
  OpenFile& f = Get(file);
  if (fsync(f.fd) != 0) RaiseErrno(errno);
  f.dirty = false;
}

bool FileSystem::StillNamed(int file, std::string_view path) {
  // The identity taken when the file was opened for reading serves; a file
  // opened to be written is looked at now.
  ChangeStamp opened = Get(file).opened;
  if (opened.ino == 0) {
    struct stat open_st;
    if (fstat(Get(file).fd, &open_st) != 0) return false;
    opened = MakeChangeStamp(open_st, kChangeStampTickNs);
  }
  struct stat path_st;
  const FileAt at = At(map_->Resolve(path));
  if (::fstatat(at.dir, at.c_str(), &path_st, 0) != 0) return false;
  return opened.ino == path_st.st_ino && opened.dev == path_st.st_dev;
}

const ChangeStamp& FileSystem::ChangeStampOf(int file) { return Get(file).opened; }

std::optional<ChangeStamp> FileSystem::ChangeStampOf(std::string_view path) const {
  if (Trim(path).empty()) return std::nullopt;
  return ChangeStampAt(At(map_->Resolve(path)));
}

bool FileSystem::Exists(std::string_view path) const {
  return !Trim(path).empty() && IsFileAt(At(map_->Resolve(path)));
}

bool FileSystem::Present(std::string_view path) const {
  if (map_->Pass() == 0) return Exists(path);
  bool found = false;
  map_->Resolve(path, &found);
  return found;
}

bool FileSystem::FolderExists(std::string_view path) const {
  std::error_code ec;
  return fs::is_directory(map_->Resolve(path), ec);
}

void FileSystem::Copy(std::string_view from, std::string_view to) {
  fs::path src = map_->Resolve(from);
  fs::path dst = map_->Resolve(to);
  std::string text;
  try {
    text = ReadHostText(At(src));
  } catch (const RuntimeError&) {
    // Looked into only once the read failed: no file there (a folder is
    // none), or another failure. A missing target folder fails the write.
    if (!IsFileAt(At(src))) throw RuntimeError(kErrFileNotFound);
    throw;
  }
  Replace(dst, text, true);
}

bool FileSystem::CreateWhole(std::string_view path, std::string_view text) {
  fs::path dst = map_->Resolve(path);
  std::error_code ec;
  if (!fs::is_directory(dst.parent_path(), ec)) throw RuntimeError(kErrPathNotFound);
  return CreateAt(dst, text, true);
}

bool FileSystem::CreateAt(const fs::path& dst, std::string_view text, bool durable) {
  return PublishTemp(WriteTemp(dst.parent_path(), text, durable), dst, durable);
}

fs::path FileSystem::WriteTemp(const fs::path& folder, std::string_view text, bool durable) {
  const fs::path temp = TempPathIn(folder);
  const FileAt tmp = At(temp);
  int fd = ::openat(tmp.dir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) RaiseErrno(errno);
  try {
    WriteAllAt(fd, text, 0, false);
    if (durable && fsync(fd) != 0) RaiseErrno(errno);
  } catch (...) {
    ::close(fd);
    ::unlinkat(tmp.dir, tmp.c_str(), 0);
    throw;
  }
  ::close(fd);
  return temp;
}

// The name is claimed only when it is free, so the file appears whole and
// never replaces one another station made meanwhile. The temporary is gone
// whatever the outcome.
bool FileSystem::PublishTemp(const fs::path& temp, const fs::path& dst, bool durable) {
  const FileAt tmp = At(temp);
  auto before = map_->BeforeChange(dst);
  bool made = false;
  try {
    made = PublishNew(tmp, At(dst));
  } catch (...) {
    ::unlinkat(tmp.dir, tmp.c_str(), 0);
    map_->AfterChange(dst, before, true);
    throw;
  }
  if (!made) ::unlinkat(tmp.dir, tmp.c_str(), 0);  // a published temporary's name is gone
  map_->AfterChange(dst, before, true);
  if (made && durable && !names_synced_later_) folders_->SyncFolder(dst.parent_path());
  return made;
}

// A missing folder fails the write itself with 76, as a look first would.
void FileSystem::WriteWhole(std::string_view path, std::string_view text) {
  Replace(map_->Resolve(path), text, durable_ > 0);
}

// A new file appears whole; an existing one keeps its identity and the other
// stations' hold on it, and is rewritten under its lock.
// The open itself tells whether the file is there: on a share a look first
// is one more round trip.
void FileSystem::Replace(const fs::path& host, std::string_view text, bool durable) {
  const FileAt at = At(host);
  int fd = ::openat(at.dir, at.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
    if (CreateAt(host, text, durable)) return;
    fd = ::openat(at.dir, at.c_str(), O_RDWR | O_CLOEXEC);  // made meanwhile by another station
  }
  if (fd < 0) RaiseErrno(errno);
  try {
    LockFd(fd, true, F_WRLCK);
    WriteAllAt(fd, text, 0, false);
    if (ftruncate(fd, static_cast<off_t>(text.size())) != 0) RaiseErrno(errno);
    if (durable && fsync(fd) != 0) RaiseErrno(errno);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
}

void FileSystem::SyncNames(std::string_view path) {
  folders_->SyncFolder(map_->Resolve(path).parent_path());
}

std::optional<FileStamp> FileSystem::Stamp(std::string_view path) const {
  try {
    return StampOf(path, false);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

std::optional<FileStamp> FileSystem::StampIfAny(std::string_view path) const {
  return StampOf(path, true);
}

// strict: only a missing file (or a folder) is no stamp; any other failure
// to look is raised.
std::optional<FileStamp> FileSystem::StampOf(std::string_view path, bool strict) const {
  if (Trim(path).empty()) return std::nullopt;
  const FileAt at = At(map_->Resolve(path));
  int fd = ::openat(at.dir, at.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (!strict || errno == ENOENT || errno == ENOTDIR || errno == EISDIR) return std::nullopt;
    RaiseErrno(errno, true);
  }
  struct stat st;
  std::string bytes;
  int err = fstat(fd, &st) == 0 ? 0 : errno;
  const bool regular = err == 0 && S_ISREG(st.st_mode);
  if (regular) {
    try {
      bytes = ReadFd(fd, st.st_size);
    } catch (const RuntimeError&) {
      err = EIO;
    }
  }
  ::close(fd);
  if (strict && err != 0) RaiseErrno(err, true);
  if (!regular || err != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                   static_cast<int64_t>(bytes.size()), Digest(bytes)};
}

std::string FileStamp::Text() const {
  return std::to_string(dev) + ":" + std::to_string(ino) + ":" + std::to_string(size) + ":" +
         std::to_string(digest);
}

std::optional<FileStamp> FileStamp::FromText(std::string_view text) {
  unsigned long long dev, ino, digest;
  long long size;
  std::string t(text);
  if (std::sscanf(t.c_str(), "%llu:%llu:%lld:%llu", &dev, &ino, &size, &digest) != 4)
    return std::nullopt;
  return FileStamp{dev, ino, size, digest};
}

void FileSystem::Kill(std::string_view path) {
  fs::path p = map_->Resolve(path);
  auto before = map_->BeforeChange(p);
  const FileAt at = At(p);
  bool removed = ::unlinkat(at.dir, at.c_str(), 0) == 0;
  int err = errno;
  map_->AfterChange(p, before, !removed && err != ENOENT && err != ENOTDIR);
  if (removed) return;
  // Why it failed is looked into only when it has: no file of that name (a
  // folder is none), or one this station may not remove.
  if (err == ENOENT || err == ENOTDIR || !IsFileAt(at)) throw RuntimeError(kErrFileNotFound);
  throw RuntimeError(kErrPermissionDenied);
}

bool FileSystem::KillIfStamped(std::string_view path, const FileStamp& stamp) {
  const fs::path host = map_->Resolve(path);
  bool writable = true;
  const FileAt at = At(host);
  int fd = ::openat(at.dir, at.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) {
    fd = ::openat(at.dir, at.c_str(), O_RDONLY | O_CLOEXEC);
    writable = false;
  }
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR || errno == EISDIR) return false;
    RaiseErrno(errno, true);
  }
  // The lock is dropped with the file, after the name is gone.
  std::unique_ptr<int, void (*)(int*)> closing(&fd, [](int* f) { ::close(*f); });
  LockFd(fd, writable, F_WRLCK);
  struct stat st;
  if (fstat(fd, &st) != 0) RaiseErrno(errno, true);
  if (!S_ISREG(st.st_mode)) return false;
  const std::string bytes = ReadFd(fd, st.st_size, true);
  const FileStamp now{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                      static_cast<int64_t>(bytes.size()), Digest(bytes)};
  if (now != stamp) return false;
  try {
    Kill(path);
  } catch (const RuntimeError& e) {
    if (e.number() != kErrFileNotFound) throw;
    return false;
  }
  return true;
}

bool FileSystem::StartAfresh(std::string_view path, std::string_view kept) {
  const fs::path host = map_->Resolve(path);
  const fs::path copy = map_->Resolve(kept);
  auto before = map_->BeforeChange(copy);
  const bool linked = ::link(host.c_str(), copy.c_str()) == 0;
  const int err = errno;
  map_->AfterChange(copy, before, linked || err == EEXIST);
  if (!linked && err == EEXIST) return false;
  if (!linked) RaiseErrno(err, true);
  const fs::path empty = TempPathIn(host.parent_path());
  try {
    WriteNewFile(empty, "");
    struct stat st;
    if (::stat(copy.c_str(), &st) == 0) ::chmod(empty.c_str(), st.st_mode & 07777);
    before = map_->BeforeChange(host);
    const bool renamed = ::rename(empty.c_str(), host.c_str()) == 0;
    const int rename_err = errno;
    map_->AfterChange(host, before, true);
    if (!renamed) RaiseErrno(rename_err);
  } catch (...) {
    // The file keeps its one name, as it was.
    ::unlink(empty.c_str());
    before = map_->BeforeChange(copy);
    ::unlink(copy.c_str());
    map_->AfterChange(copy, before, false);
    throw;
  }
  SyncFolder(host.parent_path());
  return true;
}

DateTime FileSystem::FileDateTime(std::string_view path) const {
  struct stat st;
  const FileAt at = At(map_->Resolve(path));
  if (::fstatat(at.dir, at.c_str(), &st, 0) != 0) throw RuntimeError(kErrFileNotFound);
  return ToLocal(st.st_mtime);
}

int64_t FileSystem::FileLen(std::string_view path) const {
  struct stat st;
  const FileAt at = At(map_->Resolve(path));
  if (::fstatat(at.dir, at.c_str(), &st, 0) != 0) throw RuntimeError(kErrFileNotFound);
  return st.st_size;
}

namespace {

// A folder's entry as read, with its lower-cased name.
struct ListedEntry {
  std::string lower, name;
  bool listed;  // matches the listing's pattern
};

// The entries' order by lower-cased name, then by name. Indexes are sorted,
// not the entries: a folder of orders holds tens of thousands, and moving
// four bytes costs less than moving two strings.
std::vector<uint32_t> SortedOrder(const std::vector<ListedEntry>& entries) {
  std::vector<uint32_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const ListedEntry& x = entries[a];
    const ListedEntry& y = entries[b];
    if (int c = x.lower.compare(y.lower)) return c < 0;
    return x.name < y.name;
  });
  return order;
}

}  // namespace

std::vector<std::string> FileSystem::List(std::string_view folder, std::string_view pattern) const {
  fs::path dir = map_->Resolve(folder.empty() ? std::string_view(".") : folder);
  // readdir and one lower-casing per name: folders here hold thousands.
  std::vector<ListedEntry> entries;
  struct stat st;
  bool feed = false;
  if (DIR* d = ::opendir(dir.c_str())) {
    // The same listing serves the lookups ignoring case when their index of
    // the folder is due, so the folder is not read twice.
    feed = map_->WantsNames(dir) && fstat(dirfd(d), &st) == 0;
    while (const dirent* e = ::readdir(d)) {
      std::string_view name = e->d_name;
      const bool listed = WildcardMatch(pattern, name) && IsFileEntry(dir, *e);
      if (listed || (feed && name != "." && name != ".."))
        entries.push_back({Lower(name), std::string(name), listed});
    }
    ::closedir(d);
  } else if (errno != ENOENT && errno != ENOTDIR) {
    // A folder that is there but cannot be read is not an empty one.
    RaiseErrno(errno);
  }
  const std::vector<uint32_t> order = SortedOrder(entries);
  std::vector<std::string> names;
  for (uint32_t i : order)
    if (entries[i].listed) names.push_back(entries[i].name);
  if (feed) {
    std::vector<std::pair<std::string, std::string>> sorted;
    sorted.reserve(entries.size());
    for (uint32_t i : order)
      sorted.emplace_back(std::move(entries[i].lower), std::move(entries[i].name));
    map_->TakeNames(dir, st, std::move(sorted));
  }
  return names;
}

std::vector<std::string> FileSystem::ListKnown(std::string_view folder,
                                               std::string_view pattern) const {
  const fs::path dir = map_->Resolve(folder.empty() ? std::string_view(".") : folder);
  std::optional<std::vector<std::string>> names =
      map_->PassNames(dir, [&](std::string_view name) { return WildcardMatch(pattern, name); });
  if (!names) return List(folder, pattern);
  // The index knows names only: what matches is looked at, and only files listed.
  std::erase_if(*names, [&](const std::string& name) {
    struct stat st;
    const FileAt at = At(dir, name);
    return ::fstatat(at.dir, at.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode);
  });
  return *std::move(names);
}

void FileSystem::MakeFolders(std::string_view path) {
  fs::path host = map_->Resolve(path);
  // Only the topmost new folder is an entry of a folder that may be indexed.
  fs::path top = host;
  std::error_code ec, made;
  while (top.has_relative_path() && !fs::exists(top.parent_path(), ec)) top = top.parent_path();
  auto before = map_->BeforeChange(top);
  fs::create_directories(host, made);
  map_->AfterChange(top, before, fs::is_directory(top, ec));
  if (made) RaiseErrno(made.value());
}

std::string FileSystem::ReadFileText(std::string_view path) const {
  return ReadHostText(At(map_->Resolve(path)));
}

std::string FileSystem::ReadHostText(const FileAt& file) {
  int fd = ::openat(file.dir, file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseErrno(errno, true);
  try {
    std::string text = ReadFd(fd, -1);
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
