#include "platform/files/path_map.h"

#include <algorithm>
#include <cctype>
#include <system_error>
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
    if (c == '/') flush();
    else cur += c;
  }
  flush();
  return out;
}

}  // namespace

std::string MatchEntryNoCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(folder / name, ec)) return name;
  std::string want = Lower(name);
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (Lower(entry) == want) matches.push_back(entry);
  }
  if (matches.empty()) return {};
  return *std::min_element(matches.begin(), matches.end());
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
      std::string found = MatchEntryNoCase(out, comp);
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
