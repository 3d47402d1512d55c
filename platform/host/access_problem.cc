#include "platform/host/access_problem.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace korv {
namespace {

namespace fs = std::filesystem;

std::string UserName(uid_t uid) {
  if (const passwd* pw = getpwuid(uid)) return pw->pw_name;
  return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  if (const group* gr = getgrgid(gid)) return gr->gr_name;
  return std::to_string(gid);
}

bool InGroup(gid_t gid) {
  if (getegid() == gid) return true;
  int n = getgroups(0, nullptr);
  std::vector<gid_t> groups(n > 0 ? n : 0);
  if (n > 0) n = getgroups(n, groups.data());
  for (int i = 0; i < n; ++i)
    if (groups[i] == gid) return true;
  return false;
}

// The permission bits a use needs, as the owner's (0700 scale).
mode_t Needs(int want) {
  return ((want & R_OK) ? S_IRUSR : 0) | ((want & W_OK) ? S_IWUSR : 0) |
         ((want & X_OK) ? S_IXUSR : 0);
}

std::string Letters(int want) {
  return std::string((want & R_OK) ? "r" : "") + ((want & W_OK) ? "w" : "") +
         ((want & X_OK) ? "x" : "");
}

// "user U may not VERB PATH (owner O, group G, mode 0750); " and the fix.
std::string Denied(const fs::path& path, const struct stat& st, const std::string& verb, int want) {
  const std::string user = ProcessUserName();
  const std::string owner = UserName(st.st_uid);
  const std::string group = GroupName(st.st_gid);
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  std::string text = "cannot be used: user " + user + " may not " + verb + " " + path.string() +
                     " (owner " + owner + ", group " + group + ", mode " + mode + "); run as " +
                     owner + ", or ";
  const bool group_may = (st.st_mode & (Needs(want) >> 3)) == (Needs(want) >> 3);
  if (group_may && !InGroup(st.st_gid))
    return text + "add " + user + " to the group " + group + " (sudo adduser " + user + " " +
           group + ", then log in again)";
  if (!InGroup(st.st_gid))
    return text + "let the group " + group + " " + verb + " it (sudo chmod g+" + Letters(want) +
           " " + path.string() + ") and add " + user + " to that group";
  return text + "let the group " + group + " " + verb + " it (sudo chmod g+" + Letters(want) + " " +
         path.string() + ")";
}

// What a person calls the uses in `want` of a file or a folder.
std::string Verb(int want, bool folder) {
  std::string verb;
  const std::pair<int, const char*> uses[] = {{R_OK, folder ? "list" : "read"},
                                              {W_OK, folder ? "make files in" : "write"},
                                              {X_OK, "enter"}};
  for (const auto& [bit, name] : uses)
    if (want & bit) verb += (verb.empty() ? "" : " and ") + std::string(name);
  return verb;
}

// The problem of the uses `want` of a path that exists, naming only the
// uses refused; empty when all are allowed.
std::string UseProblem(const fs::path& path, int want, bool folder) {
  if (access(path.c_str(), want) == 0) return {};
  if (errno == EROFS) return "is on a read-only file system";
  int refused = 0;
  for (int bit : {R_OK, W_OK, X_OK})
    if ((want & bit) && access(path.c_str(), bit) != 0) refused |= bit;
  struct stat st;
  if (refused && (errno == EACCES || errno == EPERM) && stat(path.c_str(), &st) == 0)
    return Denied(path, st, Verb(refused, folder), refused);
  return std::strerror(errno);
}

}  // namespace

std::string MakeProblem(const fs::path& path) {
  std::error_code ec;
  fs::path there = fs::absolute(path, ec);
  if (ec) return ec.message();
  // Up to the nearest folder that is there, or that this user cannot tell
  // is there: AccessProblem then names the folder on the way that hides it.
  while (there.has_relative_path() && fs::status(there, ec).type() == fs::file_type::not_found)
    there = there.parent_path();
  std::string problem = AccessProblem(there, Access::kReadWrite);
  if (problem.empty() || there == fs::absolute(path, ec)) return problem;
  return "cannot be made: " + there.string() + " " + problem;
}

std::string ExplainedFileError(const RuntimeError& e, const fs::path& path, Access access) {
  if (e.number() == kErrPermissionDenied)
    if (std::string problem = AccessProblem(path, access); !problem.empty()) return problem;
  return ExplainedError(e);
}

std::string ProcessUserName() { return UserName(geteuid()); }

std::string AccessProblem(const fs::path& path, Access access) {
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec);
  if (ec) return ec.message();
  // Every folder on the way must let this user in; the first that does not
  // is the one to name.
  fs::path on_the_way = full.root_path();
  for (auto part = full.begin(); part != full.end(); ++part) {
    if (std::next(part) == full.end()) break;
    if (part != full.begin()) on_the_way /= *part;
    struct stat st;
    if (stat(on_the_way.c_str(), &st) != 0)
      return errno == ENOENT ? "does not exist (" + on_the_way.string() + " is missing)"
                             : std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "does not exist (" + on_the_way.string() + " is a file)";
    if (std::string problem = UseProblem(on_the_way, X_OK, true); !problem.empty()) return problem;
  }
  struct stat st;
  if (stat(full.c_str(), &st) != 0)
    return errno == ENOENT ? "does not exist" : std::strerror(errno);
  const bool folder = S_ISDIR(st.st_mode);
  const int want = (access == Access::kWrite ? 0 : R_OK) | (access == Access::kRead ? 0 : W_OK) |
                   (folder ? X_OK : 0);
  return UseProblem(full, want, folder);
}

}  // namespace korv
