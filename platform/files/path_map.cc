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

// A look that fails for another reason than absence (a share's passing I/O
// error, a refused permission) is made once more; when that fails too,
// *known is cleared, so that nobody takes the answer for "not there".
bool Absent(int err) { return err == ENOENT || err == ENOTDIR; }

bool ExistsExactly(const fs::path& path, bool* known) {
  struct stat st;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (::stat(path.c_str(), &st) == 0) return true;
    if (Absent(errno)) return false;
  }
  *known = false;
  return false;
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

std::optional<ChangeStamp> FolderStamp(const fs::path& folder, bool* known = nullptr) {
  struct stat st;
  int looked = ::stat(folder.c_str(), &st);
  if (looked != 0 && !Absent(errno)) looked = ::stat(folder.c_str(), &st);
  if (looked != 0 && !Absent(errno) && known) *known = false;
  if (looked != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return MakeChangeStamp(st, kStampTickNs);
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

// The exact name when the folder holds it, else the first entry equal to it
// ignoring case; empty when none. Pairs sort by lower-cased name, then by
// name.
std::string FirstMatch(const std::set<std::pair<std::string, std::string>>& names,
                       const std::string& name) {
  std::string want = Lower(name);
  if (names.count({want, name})) return name;
  auto found = names.lower_bound({want, std::string()});
  if (found == names.end() || found->first != want) return {};
  return found->second;
}

}  // namespace

const PathMap::Index* PathMap::PassIndex(const fs::path& folder) const {
  if (pass_depth_ == 0) return nullptr;
  auto it = indexes_.find(folder.native());
  return it != indexes_.end() && it->second.in_pass ? &it->second : nullptr;
}

void PathMap::StoreIndex(const fs::path& folder, Index index) const {
  if (!indexes_.contains(folder.native()) && indexes_.size() >= kMaxIndexes) indexes_.clear();
  indexes_.insert_or_assign(folder.native(), std::move(index));
}

std::string PathMap::MatchNoCase(const fs::path& folder, const std::string& name,
                                 bool* known) const {
  std::optional<ChangeStamp> now = FolderStamp(folder, known);
  if (!now) return {};
  auto clock = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  auto it = indexes_.find(folder.native());
  if (it == indexes_.end() || !it->second.stamp_known || !it->second.stamp.Same(*now) ||
      !it->second.settled || clock - it->second.read_at >= kRereadAfter) {
    // A stamp this station's own change made is as settled as it gets: only
    // another change in that very tick could hide behind it.
    bool ours = it != indexes_.end() && it->second.own_stamp && it->second.stamp_known &&
                it->second.stamp.Same(*now);
    Index fresh{*now, true, ours || now->settled, false, pass_depth_ > 0, clock, {}};
    if (!ReadNames(folder, fresh.names) && !ReadNames(folder, fresh.names)) {
      indexes_.erase(folder.native());
      *known = false;
      return {};
    }
    StoreIndex(folder, std::move(fresh));
    it = indexes_.find(folder.native());
  }
  it->second.in_pass = pass_depth_ > 0;
  return FirstMatch(it->second.names, name);
}

std::string PathMap::Lookup(const fs::path& folder, const std::string& name) const {
  std::pair<std::string, std::string> asked{Lower(name), name};
  {
    std::lock_guard lock(mutex_);
    if (pass_depth_ > 0) {
      auto& found = found_[folder.native()];
      if (auto it = found.find(asked); it != found.end()) return it->second;
      if (const Index* index = PassIndex(folder))
        return found.emplace(asked, FirstMatch(index->names, name)).first->second;
    }
  }
  bool known = true;
  std::string hit = ExistsExactly(folder / name, &known) ? name : MatchNoCase(folder, name, &known);
  std::lock_guard lock(mutex_);
  if (pass_depth_ > 0 && known) found_[folder.native()].insert_or_assign(std::move(asked), hit);
  return hit;
}

void PathMap::ForgetFound(const fs::path& entry) const {
  found_.erase(entry.native());
  auto in_folder = found_.find(entry.parent_path().native());
  if (in_folder == found_.end()) return;
  std::string lower = Lower(entry.filename().string());
  auto& found = in_folder->second;
  found.erase(found.lower_bound({lower, std::string()}),
              found.lower_bound({lower + '\0', std::string()}));
}

PathMap::Change PathMap::BeforeChange(const fs::path& entry) const {
  fs::path folder = entry.parent_path();
  {
    std::lock_guard lock(mutex_);
    auto it = indexes_.find(folder.native());
    if (it == indexes_.end()) return {};
    // Within the pass the index is kept by this station's changes alone.
    if (PassIndex(folder)) return {true, std::nullopt};
  }
  return {true, FolderStamp(folder)};
}

void PathMap::AfterChange(const fs::path& entry, const Change& before, bool exists) const {
  fs::path folder = entry.parent_path();
  std::optional<ChangeStamp> after;
  if (before.indexed && before.before) after = FolderStamp(folder);
  std::lock_guard lock(mutex_);
  ForgetFound(entry);
  if (!before.indexed) return;
  auto it = indexes_.find(folder.native());
  if (it == indexes_.end()) return;
  Index& index = it->second;
  if (before.before) {
    // An index that was already behind stays so, and is reread at the next need.
    if (!index.stamp_known || !index.stamp.Same(*before.before)) return;
    if (!after) {
      indexes_.erase(it);
      return;
    }
    if (after->Same(*before.before)) return;  // nothing was made or removed
    index.stamp = *after;
    index.own_stamp = true;
  } else {
    // Taken without stamps: after the pass the index is read again before use.
    index.stamp_known = false;
  }
  std::string name = entry.filename().string();
  std::pair<std::string, std::string> key{Lower(name), name};
  if (exists)
    index.names.insert(std::move(key));
  else
    index.names.erase(key);
}

void PathMap::BeginPass() const {
  std::lock_guard lock(mutex_);
  if (pass_depth_++ > 0) return;
  ++pass_serial_;
  found_.clear();
  for (auto& [folder, index] : indexes_) index.in_pass = false;
}

void PathMap::EndPass() const {
  std::lock_guard lock(mutex_);
  if (pass_depth_ == 0 || --pass_depth_ > 0) return;
  found_.clear();
  for (auto& [folder, index] : indexes_) index.in_pass = false;
}

uint64_t PathMap::Pass() const {
  std::lock_guard lock(mutex_);
  return pass_depth_ > 0 ? pass_serial_ : 0;
}

bool PathMap::WantsNames(const fs::path& folder) const {
  std::lock_guard lock(mutex_);
  if (PassIndex(folder)) return false;
  return pass_depth_ > 0 || indexes_.contains(folder.native());
}

std::optional<std::vector<std::string>> PathMap::PassNames(
    const fs::path& folder, const std::function<bool(std::string_view)>& wanted) const {
  std::lock_guard lock(mutex_);
  const Index* index = PassIndex(folder);
  if (!index) return std::nullopt;
  std::vector<std::string> names;
  for (const auto& [lower, name] : index->names)
    if (wanted(name)) names.push_back(name);
  return names;
}

void PathMap::TakeNames(const fs::path& folder, const struct stat& st,
                        std::vector<std::pair<std::string, std::string>> names) const {
  ChangeStamp stamp = MakeChangeStamp(st, kStampTickNs);
  Index index{stamp, true, stamp.settled, false, false, std::chrono::steady_clock::now(), {}};
  // Sorted, the names go into the index in one linear run: a folder of
  // orders holds tens of thousands.
  index.names = Names(std::make_move_iterator(names.begin()), std::make_move_iterator(names.end()));
  std::lock_guard lock(mutex_);
  index.in_pass = pass_depth_ > 0;
  StoreIndex(folder, std::move(index));
}

PathMap::PathMap(fs::path root) : root_(std::move(root)) {
  std::error_code ec;
  if (!root_.empty() && root_.is_relative()) {
    fs::path absolute = fs::absolute(root_, ec);
    if (!ec) root_ = std::move(absolute);
  }
}

fs::path PathMap::Resolve(std::string_view windows_path, bool* found) const {
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
  bool last_found = false;
  for (const std::string& comp : Components(rest)) {
    last_found = false;
    if (matching) {
      std::string entry = Lookup(out, comp);
      if (!entry.empty()) {
        out /= entry;
        last_found = true;
        continue;
      }
      matching = false;  // nothing below a missing folder can exist
    }
    out /= comp;
  }
  if (found) *found = last_found;  // a host path is not looked at: not known to be there
  return out;
}

}  // namespace korv
