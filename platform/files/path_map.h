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

#include <filesystem>
#include <string>
#include <string_view>

namespace korv {

class PathMap {
 public:
  explicit PathMap(std::filesystem::path root) : root_(std::move(root)) {}
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path Resolve(std::string_view windows_path) const;

 private:
  std::filesystem::path root_;
};

// The entry of `folder` named `name`, matched as above; empty when none.
std::string MatchEntryNoCase(const std::filesystem::path& folder, const std::string& name);

}  // namespace korv
