#pragma once
// The file operations the procedures use, with the original platform's
// semantics, on Windows paths mapped by PathMap.
//
// Files are opened by number (as the procedures do), locked whole, read or
// written, unlocked and closed. Every failure raises RuntimeError with the
// platform's number: 52 bad file number, 53 file not found, 57 device I/O,
// 61 disk full, 62 input past end, 63 bad record number, 70 permission denied
// (a lock held by another process or station), 75 path/file access error,
// 76 path not found.
//
// Whole-file locks are open-file-description locks on the whole range: a
// second open of the same file, in this process or any other, cannot lock it
// while the first holds it, and closing some other descriptor of the file
// never drops the lock. A lock that is taken waits a short, bounded time for
// the holder before raising 70, so brief holds by other stations pass unseen.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "platform/files/path_map.h"

namespace korv {

enum class OpenMode {
  kInput,      // existing file, read fields from the start
  kOutput,     // created or emptied, then written
  kAppend,     // created when missing, written at the end
  kRandom,     // fixed-length records, created when missing
  kReadWrite,  // whole-content read and rewrite under one lock, created when missing
};

class FileSystem {
 public:
  explicit FileSystem(PathMap map) : map_(std::move(map)) {}
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  const PathMap& paths() const { return map_; }
  std::filesystem::path HostPath(std::string_view path) const { return map_.Resolve(path); }

  // Returns the new file's number. Opening for output empties the file only
  // when no other station holds a lock on it (else 70).
  int Open(std::string_view path, OpenMode mode, int record_length = 0);
  void Close(int file);
  void CloseAll();
  int OpenCount() const { return static_cast<int>(open_.size()); }

  void Lock(int file);
  void Unlock(int file);
  // A claim on the open file, apart from its whole-file lock: true when no
  // other open file holds a claim on it. Claims never wait and never keep a
  // whole-file lock (a reader) out. Closing the file drops the claim.
  bool Claim(int file);
  // A claim on one slot of the open file (slots are numbered by any 64-bit
  // key; two keys may share a slot): true when no other open file holds that
  // slot. Exclusive whatever the file's permissions: a file this process
  // could open only for reading raises 70, for a shared claim would let
  // every reader win. Like Claim, it never waits, never keeps a whole-file
  // lock out, and closing the file drops it.
  bool ClaimSlot(int file, uint64_t key);

  // Quoted-list reading (input files). The file's content is read at the
  // first field read, that is after the caller has locked it.
  std::string ReadField(int file);
  std::vector<std::string> ReadFields(int file, size_t n);
  bool Eof(int file);
  // Writing (output and append files).
  void WriteFields(int file, const std::vector<std::string>& fields);
  void WriteText(int file, std::string_view text);

  // Fixed-length records (random files); record numbers start at 1. A record
  // past the end, or cut short, reads as blanks.
  std::string GetRecord(int file, int64_t record);
  void PutRecord(int file, int64_t record, std::string_view bytes);
  int64_t Lof(int file);

  // Whole content (read-write and input files) and its replacement
  // (read-write files): the counters' read and write under one lock.
  std::string ReadAll(int file);
  void Rewrite(int file, std::string_view text);

  // True while the open file is still the file at path (not deleted, not
  // replaced by a new file of the same name).
  bool StillNamed(int file, std::string_view path);

  bool Exists(std::string_view path) const;  // a file (not a folder)
  bool FolderExists(std::string_view path) const;
  // Copies a file; an existing target is replaced whole (never left half).
  void Copy(std::string_view from, std::string_view to);
  // Creates the file with text, appearing whole at once; false (and nothing
  // changed) when a file of that name already exists.
  bool CreateWhole(std::string_view path, std::string_view text);
  void Kill(std::string_view path);
  DateTime FileDateTime(std::string_view path) const;
  int64_t FileLen(std::string_view path) const;
  // Names of the files in `folder` that match the wildcard pattern (* and ?,
  // any letter case), sorted as text without regard to case.
  std::vector<std::string> List(std::string_view folder, std::string_view pattern) const;
  // Creates a folder and the folders above it.
  void MakeFolders(std::string_view path);
  // Whole-file text of a file (no lock); 53 when missing.
  std::string ReadFileText(std::string_view path) const;

 private:
  struct OpenFile {
    int fd = -1;
    OpenMode mode;
    int record_length = 0;
    bool writable = true;
    std::optional<QuotedReader> reader;
  };
  OpenFile& Get(int file);
  void LockFd(int fd, bool writable, short type);

  PathMap map_;
  std::map<int, OpenFile> open_;
  int next_number_ = 1;
};

// Raises the RuntimeError of the platform's number for an errno value (53
// instead of 76 for a missing file when reading), for code outside this layer
// that touches host files itself.
[[noreturn]] void RaiseErrno(int err, bool reading = false);

// Why this process could not make, replace and remove files in a host
// folder: empty when it can, else "does not exist", "is not a folder" or the
// system's reason ("Permission denied", "Read-only file system").
std::string FolderWriteProblem(const std::filesystem::path& folder);

// True when name matches the wildcard pattern (* and ?), any letter case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace korv
