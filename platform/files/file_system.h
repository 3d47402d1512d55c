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
// never drops the lock; closing the file that holds it ends it, as an unlock
// would. A lock that is taken waits a short, bounded time for the holder
// before raising 70, so brief holds by other stations pass unseen.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "platform/files/change_stamp.h"
#include "platform/files/held_folders.h"
#include "platform/files/path_map.h"

namespace korv {

// A file's identity and content: its device and inode, its length and a
// digest of its bytes (not its time stamps, which a share's attribute cache
// may show late). As text "dev:ino:size:digest".
struct FileStamp {
  uint64_t dev = 0;
  uint64_t ino = 0;
  int64_t size = 0;
  uint64_t digest = 0;
  bool operator==(const FileStamp& o) const = default;
  std::string Text() const;
  static std::optional<FileStamp> FromText(std::string_view text);
};

// What was read from a file: its whole text and the stamp of that text.
struct FileRead {
  std::string text;
  FileStamp stamp;
};

enum class OpenMode {
  kInput,      // existing file, read fields from the start
  kOutput,     // created, or rewritten in place (see WriteText)
  kAppend,     // created when missing, written at the end
  kRandom,     // fixed-length records, created when missing
  kReadWrite,  // whole-content read and rewrite under one lock, created when missing
  kUpdate,     // the same for an existing file: 53 when it is missing
};

class FileSystem {
 public:
  explicit FileSystem(PathMap map) : map_(std::make_shared<PathMap>(map)) {}
  // A second file layer of the same station, for work beside the station's
  // own: a claim whose files outlive the send's CloseAll, or a file of a send
  // written at the same time as another. It keeps open files of its own, and
  // shares the station's names (its path map, and so the pass's lookups and
  // this station's changes) and the folders its pass holds; it writes
  // durably when the station does at its making.
  struct SameStation {};
  FileSystem(SameStation, const FileSystem& station)
      : map_(station.map_), folders_(station.folders_), durable_(station.durable_) {}
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  const PathMap& paths() const { return *map_; }
  std::filesystem::path HostPath(std::string_view path) const { return map_->Resolve(path); }

  // One dispatch pass of the station: names resolved in it are kept until
  // it ends (PathMap). Passes nest.
  // Its folders are held open for it (held_folders.h).
  void BeginPass() {
    map_->BeginPass();
    folders_->Hold();
  }
  void EndPass() {
    folders_->Release();
    map_->EndPass();
  }
  // Where a host file is named from, in this pass.
  FileAt At(const std::filesystem::path& host) const { return folders_->At(host); }
  FileAt At(const std::filesystem::path& folder, const std::string& name) const {
    return folders_->At(folder, name);
  }
  uint64_t Pass() const { return map_->Pass(); }  // 0 outside a pass

  // While durable (DurableWrites), a file written through this layer is on
  // disk when it is closed, and so is its name when the open may have made
  // it: a send's journal marks a step done only after its files would
  // survive a power cut, at one fsync a file instead of a look back at each.
  void BeginDurable() { ++durable_; }
  void EndDurable() { --durable_; }
  // While held (NamesSyncedLater), a durable file that takes a new name
  // through this layer leaves its folder's sync to the caller (SyncNames),
  // so that files made at once in one folder share one sync: on a share the
  // folder's syncs and renames wait for each other.
  void BeginNamesSyncedLater() { ++names_synced_later_; }
  void EndNamesSyncedLater() { --names_synced_later_; }

  // Returns the new file's number. Opening for output raises 70 when another
  // station holds a lock on the file, changes nothing yet, and leaves the
  // file locked for the writing that follows.
  int Open(std::string_view path, OpenMode mode, int record_length = 0);
  // Closing (and unlocking) an output file cuts it to the text written.
  void Close(int file);
  void CloseAll();
  int OpenCount() const { return static_cast<int>(open_.size()); }

  void Lock(int file);
  // The whole-file lock without the wait: false at once while another open
  // file holds it. For a caller that waits longer itself, letting window
  // events run between its attempts.
  bool LockIfFree(int file);
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
  // Lets that slot go, the file staying open for the next claim.
  void ReleaseSlot(int file, uint64_t key);

  // Quoted-list reading (input files). The file's content is read at the
  // first field read, that is after the caller has locked it.
  std::string ReadField(int file);
  std::vector<std::string> ReadFields(int file, size_t n);
  bool Eof(int file);
  // What was read from the input file, with its stamp (Stamp's, from the
  // read already done, so it names exactly the text the caller got); empty
  // before the first read.
  std::optional<FileRead> WhatWasRead(int file);
  // Writing (output and append files). An output file is rewritten in
  // place: its text goes over the old bytes from the start, and the file is
  // cut to the text's length when it is unlocked or closed, so another
  // station, which locks the file and keeps its identity, finds the old text
  // or the new, never an empty file. A write without the caller's lock takes
  // the whole-file lock for itself (70 when another station holds it) and
  // cuts at once. After a write that failed the file is no longer cut: it
  // keeps the old bytes the new ones did not reach.
  void WriteFields(int file, const std::vector<std::string>& fields);
  void WriteText(int file, std::string_view text);

  // Fixed-length records (random files); record numbers start at 1. A record
  // past the end, or cut short, reads as blanks.
  std::string GetRecord(int file, int64_t record);
  void PutRecord(int file, int64_t record, std::string_view bytes);
  int64_t Lof(int file);

  // Whole content (read-write and input files) and its replacement
  // (read-write files): the counters' read and write under one lock. The new
  // text goes over the old, then the file is cut to its length.
  std::string ReadAll(int file);
  void Rewrite(int file, std::string_view text);
  // Puts what was written to the open file on disk (fsync): a counter's new
  // value survives a power cut.
  void Flush(int file);

  // True while the open file is still the file at path (not deleted, not
  // replaced by a new file of the same name).
  bool StillNamed(int file, std::string_view path);
  // The change stamp of a file open for input or read-write, taken when it
  // was opened: before anything was read from it, so a change made while it
  // was read shows as a change. (Files opened to be written get none.)
  const ChangeStamp& ChangeStampOf(int file);

  bool Exists(std::string_view path) const;  // a file (not a folder)
  // Whether an optional file that only switches something on (the sound of
  // a send) is there: in a pass, as the pass first found its name, since a
  // pass asks again and again; outside a pass, Exists.
  bool Present(std::string_view path) const;
  bool FolderExists(std::string_view path) const;
  // Copies a file, on disk before it returns. A new target appears whole; an
  // existing one is rewritten in place under its whole-file lock (70 when
  // another station holds it), keeping its identity.
  void Copy(std::string_view from, std::string_view to);
  // Creates the file with text, appearing whole at once and on disk before
  // it returns; false (and nothing changed) when a file of that name already
  // exists.
  bool CreateWhole(std::string_view path, std::string_view text);
  // The file holds text: a new file appears whole, an existing one is
  // rewritten in place under a brief whole-file lock (70 when another
  // station holds it).
  void WriteWhole(std::string_view path, std::string_view text);
  // A text to be written whole under a name not yet settled (one drawn
  // meanwhile), written ahead under a temporary name in folder, on disk
  // while durable: on a share its round trips then overlap the draw.
  // PlaceAhead(temp, path, text) then does what WriteWhole(path, text) does,
  // a new file taking the temporary's name without writing again, and
  // leaves no temporary; DropAhead removes one never placed
  // (written_ahead.cc).
  std::filesystem::path WriteAhead(std::string_view folder, std::string_view text);
  void PlaceAhead(const std::filesystem::path& temp, std::string_view path, std::string_view text);
  void DropAhead(const std::filesystem::path& temp);
  // Puts the names in a file's folder on disk (fsync of the folder): its
  // removal, or the names taken while NamesSyncedLater. A file written here
  // is put on disk as it is closed.
  void SyncNames(std::string_view path);
  // Which file a path names now, and what it holds: two stamps differ when
  // the file was replaced, rewritten or made anew. Empty when there is no
  // such file (or it cannot be read).
  std::optional<FileStamp> Stamp(std::string_view path) const;
  // The same, where only a missing file gives no stamp: a file that cannot
  // be looked at (no permission, an I/O error) raises, so that it is never
  // taken for one that is gone or changed.
  std::optional<FileStamp> StampIfAny(std::string_view path) const;
  void Kill(std::string_view path);
  // Deletes the file at path while it is still the file of that stamp,
  // under its whole-file lock (waited for as a write waits; 70 when it stays
  // held): a station rewriting it at that moment finishes first, and its
  // changed file is kept. False when there is no such file or it has
  // changed; a file that cannot be looked at raises.
  bool KillIfStamped(std::string_view path, const FileStamp& stamp);
  // Begins a file afresh and keeps what it held: the file is given the
  // second name `kept` (a hard link, so what a writer appends meanwhile is
  // kept too), then a new empty file with its permissions takes its name by a
  // rename, so path names a whole file at every moment. False, with nothing
  // changed, when a file named kept exists. Raises 53 when there is no file
  // at path, and the layer's errors (a file system without hard links among
  // them) with nothing changed.
  bool StartAfresh(std::string_view path, std::string_view kept);
  // The change stamp of the file at path, from one look at it (no read, as
  // Stamp does); empty when there is no such file (or it is a folder).
  std::optional<ChangeStamp> ChangeStampOf(std::string_view path) const;
  DateTime FileDateTime(std::string_view path) const;
  int64_t FileLen(std::string_view path) const;
  // Names of the files in `folder` that match the wildcard pattern (* and ?,
  // any letter case), sorted as text without regard to case. A missing
  // folder holds none; one that cannot be read raises.
  std::vector<std::string> List(std::string_view folder, std::string_view pattern) const;
  // The same, as the current pass knows the folder: from the names its
  // listing read and this station's changes since, where the pass listed
  // the folder already (a folder of orders takes tens of thousands of
  // names to list again); else as List. Files another station made since
  // that listing are not among them. Each name that matches is looked at
  // (the names say nothing of what they are): for a pattern that matches few.
  std::vector<std::string> ListKnown(std::string_view folder, std::string_view pattern) const;
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
    bool locked = false;              // holds its whole-file lock
    bool held_by_open = false;        // that lock is the open's, not yet the caller's
    int64_t written = 0;              // output files: where the next text goes
    bool uncut = false;               // output files: old bytes may lie past `written`
    ChangeStamp opened{};             // as opened (files opened to be read)
    std::optional<FileStamp> read{};  // the stamp of what was read (input files)
    bool dirty = false;               // written since it was opened or flushed
    int64_t locked_size = -1;         // its length while locked, when read or written whole
    std::filesystem::path made_in{};  // its folder, when the open may have made it
  };
  OpenFile& Get(int file);
  void LockFd(int fd, bool writable, short type);
  // Cuts an output file to its written text; the caller holds the lock.
  static void CutOutput(OpenFile& f);
  // Reads an input file's whole text for its fields, once.
  static void StartReading(OpenFile& f);
  // Before a file is closed while durable: what was written, on disk.
  void Settle(OpenFile& f);
  // Before a file is closed: an output file's cut, under a brief lock when
  // the caller holds none. Never raises.
  void FinishOutput(OpenFile& f);
  bool CreateAt(const std::filesystem::path& host, std::string_view text, bool durable);
  // CreateAt in two: the text whole under a temporary name in folder, then
  // that name given up for host's when host's is free.
  std::filesystem::path WriteTemp(const std::filesystem::path& folder, std::string_view text,
                                  bool durable);
  bool PublishTemp(const std::filesystem::path& temp, const std::filesystem::path& host,
                   bool durable);
  void Replace(const std::filesystem::path& host, std::string_view text, bool durable);
  static std::string ReadHostText(const FileAt& file);
  std::optional<FileStamp> StampOf(std::string_view path, bool strict) const;

  std::shared_ptr<PathMap> map_;
  std::shared_ptr<HeldFolders> folders_ = std::make_shared<HeldFolders>();
  std::map<int, OpenFile> open_;
  int next_number_ = 1;
  int durable_ = 0;
  int names_synced_later_ = 0;
};

// A state of the file layer (begun and ended by the two members) for the
// length of a scope.
template <void (FileSystem::*Begin)(), void (FileSystem::*End)()>
class FileScope {
 public:
  explicit FileScope(FileSystem& files) : files_(files) { (files_.*Begin)(); }
  ~FileScope() { (files_.*End)(); }
  FileScope(const FileScope&) = delete;
  FileScope& operator=(const FileScope&) = delete;

 private:
  FileSystem& files_;
};

// A pass of the file layer.
using FilePass = FileScope<&FileSystem::BeginPass, &FileSystem::EndPass>;
// The file layer durable.
using DurableWrites = FileScope<&FileSystem::BeginDurable, &FileSystem::EndDurable>;
// New names left for the caller to put on disk.
using NamesSyncedLater =
    FileScope<&FileSystem::BeginNamesSyncedLater, &FileSystem::EndNamesSyncedLater>;

// Raises the RuntimeError of the platform's number for an errno value (53
// instead of 76 for a missing file when reading), for code outside this layer
// that touches host files itself.
[[noreturn]] void RaiseErrno(int err, bool reading = false);

// Why this process could not make, replace and remove files in a host
// folder: empty when it can, else "does not exist", "is not a folder" or the
// system's reason ("Permission denied", "Read-only file system").
std::string FolderWriteProblem(const std::filesystem::path& folder);

// For readers on several threads at once (each call stands alone: no file
// number, nothing kept open), as the pending headers are read on a share,
// where each request waits a round trip and the server answers many at a
// time:
// - a host file read whole under a shared whole-file lock, waited for as
//   Lock waits; stamp: the file as opened, before it was read. Raises as an
//   open for input and its lock do (53 for a missing file, 75 for a folder,
//   70 while a writer keeps its lock);
// - the change stamp of a host file from one look at it; empty when there
//   is no such file (or it is a folder).
std::string ReadLockedFile(const FileAt& file, ChangeStamp* stamp);
std::optional<ChangeStamp> ChangeStampAt(const FileAt& file);

// True when name matches the wildcard pattern (* and ?), any letter case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace korv
