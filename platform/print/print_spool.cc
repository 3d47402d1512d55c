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

namespace fs = std::filesystem;

namespace korv {
namespace {

constexpr int kMinDigits = 6;
constexpr const char* kJobExtension = ".job";
constexpr const char* kTempPrefix = ".writing-";

// The number of a job file's name; -1 when the name is not one.
int64_t JobNumber(const std::string& name) {
  size_t dot = name.size() - std::min(name.size(), std::string(kJobExtension).size());
  if (name.substr(dot) != kJobExtension) return -1;
  std::string stem = name.substr(0, dot);
  if (stem.size() < kMinDigits || stem.size() > 18) return -1;
  if (stem.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoll(stem);
}

std::string JobName(int64_t n) {
  char buf[32];
  snprintf(buf, sizeof buf, "%0*lld%s", kMinDigits, static_cast<long long>(n), kJobExtension);
  return buf;
}

void WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseErrno(errno);
    done += static_cast<size_t>(n);
  }
}

// Writes and flushes a new file; removes it again when anything fails.
void WriteDurably(const fs::path& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) RaiseErrno(errno);
  try {
    WriteAll(fd, bytes);
    if (fsync(fd) != 0) RaiseErrno(errno);
  } catch (...) {
    close(fd);
    unlink(path.c_str());
    throw;
  }
  if (close(fd) != 0) {
    int err = errno;
    unlink(path.c_str());
    RaiseErrno(err);
  }
}

// Makes the new name itself durable.
void SyncFolder(const fs::path& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::vector<SpoolJob> PrintSpool::Jobs() const {
  std::vector<SpoolJob> jobs;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    int64_t n = JobNumber(it->path().filename().string());
    if (n >= 0) jobs.push_back({n, it->path()});
  }
  std::sort(jobs.begin(), jobs.end(),
            [](const SpoolJob& a, const SpoolJob& b) { return a.number < b.number; });
  return jobs;
}

SpoolJob PrintSpool::Add(std::string_view bytes) {
  std::lock_guard<std::mutex> lock(numbering_);
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) RaiseErrno(ec.value());
  if (next_ == 0) {
    std::vector<SpoolJob> jobs = Jobs();
    next_ = jobs.empty() ? 1 : jobs.back().number + 1;
  }
  SpoolJob job{next_, folder_ / JobName(next_)};
  fs::path temp = folder_ / (kTempPrefix + JobName(next_));
  WriteDurably(temp, bytes);
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
  SyncFolder(folder_);
}

void PrintSpool::RemoveUnfinished() {
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().rfind(kTempPrefix, 0) == 0) fs::remove(it->path(), ec);
  }
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
