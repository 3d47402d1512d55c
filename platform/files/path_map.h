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
//
// A pass (BeginPass to EndPass: one dispatch pass of the station) keeps what
// the lookups found: each component is looked up once, and an index read or
// checked in the pass serves the rest of it without its stamp being taken
// again. On a share every stat is a round trip, and a pass resolves the same
// few dozen paths again and again. What another station changes during the
// pass is seen by lookups ignoring case at the next pass; this station's own
// changes are seen at once. Outside a pass every lookup looks again.

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/files/change_stamp.h"

namespace korv {

class PathMap {
 public:
  // What BeforeChange saw of the entry's folder, for AfterChange.
  struct Change {
    bool indexed = false;               // the folder has an index to keep current
    std::optional<ChangeStamp> before;  // its stamp, when the index is kept by stamps
  };

  // A relative root is made absolute here, once: resolved against the
  // working folder at every call, it would cost each file a look more.
  explicit PathMap(std::filesystem::path root);
  // A copy starts without indexes of its own, outside any pass.
  PathMap(const PathMap& other) : root_(other.root_) {}
  PathMap& operator=(const PathMap&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // found, when given: whether the last component named an existing entry
  // (in a pass, as the pass found it; false for a host path, which is used
  // as it is without a look).
  std::filesystem::path Resolve(std::string_view windows_path, bool* found = nullptr) const;

  Change BeforeChange(const std::filesystem::path& entry) const;
  // exists: whether the entry is there after the change (or failed attempt).
  void AfterChange(const std::filesystem::path& entry, const Change& before, bool exists) const;

  // Passes nest; the outermost EndPass forgets what the pass found.
  void BeginPass() const;
  void EndPass() const;
  // A number of its own for each outermost pass; 0 outside any pass.
  uint64_t Pass() const;

  // A listing of a whole folder can stand in for the index's own reading:
  // true when the folder's index is due to be read again.
  bool WantsNames(const std::filesystem::path& folder) const;
  // The entry names of the folder that wanted takes, as this pass's index of
  // it holds them, in its order (lower-cased, then as stored); none when the
  // pass has no index of the folder.
  std::optional<std::vector<std::string>> PassNames(
      const std::filesystem::path& folder,
      const std::function<bool(std::string_view)>& wanted) const;
  // Every entry name of the folder as (lower-cased, as stored), in that
  // order, read after the stat st of it was taken.
  void TakeNames(const std::filesystem::path& folder, const struct stat& st,
                 std::vector<std::pair<std::string, std::string>> names) const;

 private:
  using Names = std::set<std::pair<std::string, std::string>>;  // (lower-cased, as stored)
  struct Index {
    ChangeStamp stamp;
    bool stamp_known;  // false once a change in a pass was taken without stamps
    bool settled;      // read after the stamp's clock tick was over
    bool own_stamp;    // the stamp is that of this station's last own change
    bool in_pass;      // read or checked in the current pass
    std::chrono::steady_clock::time_point read_at;
    Names names;
  };
  // The entry of folder matching name, the exact name first, then ignoring
  // case; empty when none.
  std::string Lookup(const std::filesystem::path& folder, const std::string& name) const;
  // *known is cleared when the folder could not be looked at.
  std::string MatchNoCase(const std::filesystem::path& folder, const std::string& name,
                          bool* known) const;
  // The index of folder when it may serve as it is (mutex_ held); null when
  // it must be read or checked.
  const Index* PassIndex(const std::filesystem::path& folder) const;
  void StoreIndex(const std::filesystem::path& folder, Index index) const;
  void ForgetFound(const std::filesystem::path& entry) const;  // mutex_ held

  std::filesystem::path root_;
  mutable std::mutex mutex_;                                // spooler threads resolve paths too
  mutable std::unordered_map<std::string, Index> indexes_;  // by host folder
  mutable int pass_depth_ = 0;
  mutable uint64_t pass_serial_ = 0;
  // In a pass: by host folder, (lower-cased, as asked) -> the entry found,
  // empty for none.
  mutable std::unordered_map<std::string,
                             std::map<std::pair<std::string, std::string>, std::string>>
      found_;
};

}  // namespace korv
