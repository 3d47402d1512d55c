#include "platform/files/path_map.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <ctime>
#include <vector>

#include "common/val.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

std::vector<std::string> Components(std::string_view rest) {
  std::vector<std::string> out;
  std::string cur;
  auto flush = [&] {
    if (cur == "..") {
      if (!out.empty()) out.pop_back();
    } else if (!cur.empty() && cur != ".") {
      out.push_back(cur);
    }
    cur.clear();
  };
  for (char c : rest) {
    if (c == '/')
      flush();
    else
      cur += c;
  }
  flush();
  return out;
}

bool ExistsExactly(const fs::path& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// A folder is reread at least this often even while its stamp stays the
// same, which bounds what a lagging or coarse stamp can hide.
constexpr auto kRereadAfter = std::chrono::seconds(2);
// Entries changed within one clock tick share a stamp, so an index read while
// the folder's last change is this recent serves once and is reread at the
// next need (a share's clock running ahead counts as recent too).
constexpr int64_t kStampTickNs = 100'000'000;
// More indexed folders than a station uses means paths from elsewhere.
constexpr size_t kMaxIndexes = 64;

std::optional<PathMap::FolderStamp> StampOf(const fs::path& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return PathMap::FolderStamp{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
}

bool Settled(const PathMap::FolderStamp& stamp) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  int64_t age_ns = (int64_t{now.tv_sec} - stamp.mtime.tv_sec) * 1'000'000'000 +
                   (now.tv_nsec - stamp.mtime.tv_nsec);
  return age_ns >= kStampTickNs;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Every entry of the folder as (lower-cased, as stored); false when unreadable.
// readdir, not directory_iterator: this runs over folders of thousands.
bool ReadNames(const fs::path& folder, std::set<std::pair<std::string, std::string>>& names) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (const dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (name != "." && name != "..") names.emplace(Lower(name), name);
  }
  ::closedir(dir);
  return true;
}

}  // namespace

bool PathMap::FolderStamp::operator==(const FolderStamp& o) const {
  return dev == o.dev && ino == o.ino && SameTime(mtime, o.mtime) && SameTime(ctime, o.ctime);
}

std::string PathMap::MatchNoCase(const fs::path& folder, const std::string& name) const {
  std::optional<FolderStamp> now = StampOf(folder);
  if (!now) return {};
  auto clock = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  auto it = indexes_.find(folder.native());
  if (it == indexes_.end() || !(it->second.stamp == *now) || !it->second.settled ||
      clock - it->second.read_at >= kRereadAfter) {
    if (it == indexes_.end() && indexes_.size() >= kMaxIndexes) indexes_.clear();
    // A stamp this station's own change made is as settled as it gets: only
    // another change in that very tick could hide behind it.
    bool ours = it != indexes_.end() && it->second.own_stamp && it->second.stamp == *now;
    Index fresh{*now, ours || Settled(*now), false, clock, {}};
    if (!ReadNames(folder, fresh.names)) {
      indexes_.erase(folder.native());
      return {};
    }
    it = indexes_.insert_or_assign(folder.native(), std::move(fresh)).first;
  }
  // Pairs sort by lower-cased name, then by name: the first is the one wanted.
  std::string want = Lower(name);
  auto found = it->second.names.lower_bound({want, std::string()});
  if (found == it->second.names.end() || found->first != want) return {};
  return found->second;
}

std::optional<PathMap::FolderStamp> PathMap::BeforeChange(const fs::path& entry) const {
  fs::path folder = entry.parent_path();
  {
    std::lock_guard lock(mutex_);
    if (!indexes_.contains(folder.native())) return std::nullopt;
  }
  return StampOf(folder);
}

void PathMap::AfterChange(const fs::path& entry, const std::optional<FolderStamp>& before,
                          bool exists) const {
  if (!before) return;
  fs::path folder = entry.parent_path();
  std::optional<FolderStamp> after = StampOf(folder);
  std::lock_guard lock(mutex_);
  auto it = indexes_.find(folder.native());
  // An index that was already behind stays so, and is reread at the next need.
  if (it == indexes_.end() || !(it->second.stamp == *before)) return;
  if (!after) {
    indexes_.erase(it);
    return;
  }
  std::string name = entry.filename().string();
  std::pair<std::string, std::string> key{Lower(name), name};
  if (exists)
    it->second.names.insert(std::move(key));
  else
    it->second.names.erase(key);
  it->second.stamp = *after;
  it->second.own_stamp = true;
}

fs::path PathMap::Resolve(std::string_view windows_path) const {
  std::string p(windows_path);
  std::replace(p.begin(), p.end(), '\\', '/');
  fs::path base;
  std::string rest;
  bool match_case = true;
  if (p.size() >= 2 && p[0] == '/' && p[1] == '/') {
    base = root_ / "unc";
    rest = p.substr(2);
  } else if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    base = root_ / std::string(1, static_cast<char>(std::tolower(p[0])));
    rest = p.substr(2);
  } else if (!p.empty() && p[0] == '/') {
    base = "/";
    rest = p;
    match_case = false;
  } else {
    base = fs::current_path();
    rest = p;
  }
  fs::path out = base;
  bool matching = match_case;
  for (const std::string& comp : Components(rest)) {
    if (matching) {
      std::string found = ExistsExactly(out / comp) ? comp : MatchNoCase(out, comp);
      if (!found.empty()) {
        out /= found;
        continue;
      }
      matching = false;  // nothing below a missing folder can exist
    }
    out /= comp;
  }
  return out;
}

}  // namespace korv
