#include "platform/print/print_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/runtime_error.h"
#include "platform/files/file_system.h"
#include "platform/files/temp_files.h"

namespace fs = std::filesystem;

namespace korv {
namespace {

constexpr int kMinDigits = 6;
constexpr const char* kJobExtension = ".job";
constexpr const char* kStagedExtension = ".stage";
constexpr const char* kMarkExtension = ".sending";
constexpr const char* kMovingExtension = ".moving";

// The number of a job file's name (with that extension); -1 when the name
// is not one.
int64_t JobNumber(const std::string& name, const std::string& extension = kJobExtension) {
  size_t dot = name.size() - std::min(name.size(), extension.size());
  if (name.substr(dot) != extension) return -1;
  std::string stem = name.substr(0, dot);
  if (stem.size() < kMinDigits || stem.size() > 18) return -1;
  if (stem.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoll(stem);
}

std::string JobName(int64_t n, const char* extension = kJobExtension) {
  char buf[32];
  snprintf(buf, sizeof buf, "%0*lld%s", kMinDigits, static_cast<long long>(n), extension);
  return buf;
}

bool SameBytes(const fs::path& path, std::string_view bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream held;
  held << in.rdbuf();
  return held.str() == bytes;
}

}  // namespace

std::vector<SpoolJob> PrintSpool::Jobs() const {
  std::vector<SpoolJob> jobs;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    int64_t n = JobNumber(it->path().filename().string());
    if (n >= 0) jobs.push_back({n, it->path(), access(Path(n, kMarkExtension).c_str(), F_OK) == 0});
  }
  std::sort(jobs.begin(), jobs.end(),
            [](const SpoolJob& a, const SpoolJob& b) { return a.number < b.number; });
  return jobs;
}

fs::path PrintSpool::Path(int64_t n, const char* extension) const {
  return folder_ / JobName(n, extension);
}

void PrintSpool::Number() {
  if (next_ != 0) return;
  next_ = 1;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    next_ = std::max({next_, JobNumber(name) + 1, JobNumber(name, kStagedExtension) + 1,
                      JobNumber(name, kMovingExtension) + 1});
  }
}

int64_t PrintSpool::Reserve() {
  std::lock_guard<std::mutex> lock(numbering_);
  Number();
  return next_++;
}

bool PrintSpool::Holds(int64_t n, std::string_view bytes) const {
  return SameBytes(Path(n, kStagedExtension), bytes) || SameBytes(Path(n, kJobExtension), bytes);
}

bool PrintSpool::Stage(int64_t n, std::string_view bytes) {
  std::lock_guard<std::mutex> lock(numbering_);
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) RaiseErrno(ec.value());
  Number();
  next_ = std::max(next_, n + 1);
  if (fs::exists(Path(n, kJobExtension), ec)) return false;
  fs::path temp = TempPathIn(folder_);
  WriteNewFile(temp, bytes);
  bool staged = false;
  try {
    staged = PublishNew(temp, Path(n, kStagedExtension));
  } catch (...) {
    unlink(temp.c_str());
    throw;
  }
  if (!staged) unlink(temp.c_str());
  SyncFolder(folder_);
  return staged;
}

std::optional<SpoolJob> PrintSpool::Release(int64_t n) {
  SpoolJob job{n, Path(n, kJobExtension)};
  const fs::path staged = Path(n, kStagedExtension);
  if (access(staged.c_str(), F_OK) == 0) {
    if (rename(staged.c_str(), job.path.c_str()) != 0) RaiseErrno(errno);
    SyncFolder(folder_);
  }
  if (access(job.path.c_str(), F_OK) != 0) return std::nullopt;
  return job;
}

SpoolJob PrintSpool::Add(std::string_view bytes) {
  std::lock_guard<std::mutex> lock(numbering_);
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) RaiseErrno(ec.value());
  Number();
  SpoolJob job{next_, folder_ / JobName(next_)};
  fs::path temp = TempPathIn(folder_);
  WriteNewFile(temp, bytes);
  if (rename(temp.c_str(), job.path.c_str()) != 0) {
    int err = errno;
    unlink(temp.c_str());
    RaiseErrno(err);
  }
  SyncFolder(folder_);
  ++next_;
  return job;
}

std::string PrintSpool::Read(const SpoolJob& job) const {
  std::ifstream in(job.path, std::ios::binary);
  if (!in) throw RuntimeError(kErrFileNotFound, job.path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void PrintSpool::Remove(const SpoolJob& job) {
  if (unlink(job.path.c_str()) != 0 && errno != ENOENT) RaiseErrno(errno);
  if (job.marked) unlink(Path(job.number, kMarkExtension).c_str());
  SyncFolder(folder_);
}

void PrintSpool::Mark(SpoolJob& job) {
  const fs::path mark = Path(job.number, kMarkExtension);
  if (!job.marked && access(mark.c_str(), F_OK) != 0) {
    WriteNewFile(mark, {});
    SyncFolder(folder_);
  }
  job.marked = true;
}

void PrintSpool::Unmark(SpoolJob& job) {
  if (!job.marked) return;
  // A mark left behind only heads the ticket with a question it need not ask.
  unlink(Path(job.number, kMarkExtension).c_str());
  job.marked = false;
}

bool PrintSpool::SetAside(const SpoolJob& job) {
  if (rename(job.path.c_str(), Path(job.number, kMovingExtension).c_str()) == 0) {
    SyncFolder(folder_);
    return true;
  }
  if (errno != ENOENT) RaiseErrno(errno);
  return false;
}

void PrintSpool::PutBack(const SpoolJob& job) {
  if (rename(Path(job.number, kMovingExtension).c_str(), job.path.c_str()) != 0) RaiseErrno(errno);
}

void PrintSpool::Moved(const SpoolJob& job) {
  unlink(Path(job.number, kMovingExtension).c_str());
  unlink(Path(job.number, kMarkExtension).c_str());
}

void PrintSpool::RemoveUnfinished() {
  ClearDeadTemporaries(folder_);
  std::error_code ec;
  std::vector<fs::path> names;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path());
  for (const fs::path& path : names) {
    const std::string name = path.filename().string();
    if (int64_t n = JobNumber(name, kMovingExtension); n >= 0) {
      SpoolJob job{n, Path(n, kJobExtension)};
      try {
        Mark(job);
        rename(path.c_str(), job.path.c_str());
      } catch (const std::exception&) {
        // Set aside it waits, unsent, for a start that can mark it.
      }
    } else if (int64_t m = JobNumber(name, kMarkExtension);
               m >= 0 && access(Path(m, kJobExtension).c_str(), F_OK) != 0 &&
               access(Path(m, kMovingExtension).c_str(), F_OK) != 0) {
      unlink(path.c_str());
    }
  }
  SyncFolder(folder_);
}

std::string SpoolFolderName(std::string_view device_name) {
  std::string out;
  bool gap = false;
  for (char c : device_name) {
    if (isalnum(static_cast<unsigned char>(c))) {
      if (gap && !out.empty()) out += '-';
      out += static_cast<char>(tolower(static_cast<unsigned char>(c)));
      gap = false;
    } else {
      gap = true;
    }
  }
  return out.empty() ? "printer" : out;
}

}  // namespace korv
