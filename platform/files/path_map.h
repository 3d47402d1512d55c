#pragma once
// Windows paths of the station mapped onto this machine's files under one
// root folder R:
//   X:\rest              -> R/x/rest (drive letter lower-cased)
//   \\server\share\rest  -> R/unc/server/share/rest
//   /host/path           -> used as it is
//   relative\path        -> relative to the working directory
// Backslashes become slashes; a doubled separator names the same folder; ".."
// never climbs above the drive or share. Every component that exists is
// matched without regard to letter case, as Windows does: the exact name
// wins, otherwise the first entry (in name order) that matches ignoring case;
// a component that matches nothing is used as written.
//
// Matching ignoring case reads the folder once into an index kept while the
// folder's stamp (device, inode, change and modification times) stays the
// same, and at most a couple of seconds since a share's stamps may lag; an
// index read within the clock tick of the folder's last change is reread at
// the next need, as a later change in that tick would keep the stamp. Safe
// for use from several threads.
//
// This program's own changes keep an index current without rereading the
// folder: BeforeChange(entry) just before creating, replacing or removing a
// host entry, AfterChange(entry, before, exists) after it. The index takes the
// change only when its stamp equals the one taken before, else it is reread at
// the next need.
// Safe: another station's change between the two stats (or in the same clock
// tick) is missed only by lookups ignoring case, until the next reread.

#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace korv {

class PathMap {
 public:
  struct FolderStamp {
    dev_t dev;
    ino_t ino;
    timespec mtime, ctime;
    bool operator==(const FolderStamp& o) const;
  };

  explicit PathMap(std::filesystem::path root) : root_(std::move(root)) {}
  // A copy starts without indexes of its own.
  PathMap(const PathMap& other) : root_(other.root_) {}
  PathMap& operator=(const PathMap&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path Resolve(std::string_view windows_path) const;

  // Empty when the entry's folder has no index (nothing to keep current).
  std::optional<FolderStamp> BeforeChange(const std::filesystem::path& entry) const;
  // exists: whether the entry is there after the change (or failed attempt).
  void AfterChange(const std::filesystem::path& entry, const std::optional<FolderStamp>& before,
                   bool exists) const;

 private:
  struct Index {
    FolderStamp stamp;
    bool settled;    // read after the stamp's clock tick was over
    bool own_stamp;  // the stamp is that of this station's last own change
    std::chrono::steady_clock::time_point read_at;
    std::set<std::pair<std::string, std::string>> names;  // (lower-cased, as stored)
  };
  // The entry of folder matching name ignoring case; empty when none.
  std::string MatchNoCase(const std::filesystem::path& folder, const std::string& name) const;

  std::filesystem::path root_;
  mutable std::mutex mutex_;                                // spooler threads resolve paths too
  mutable std::unordered_map<std::string, Index> indexes_;  // by host folder
};

}  // namespace korv
