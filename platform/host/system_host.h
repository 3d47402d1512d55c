#pragma once
// The station's computer as this machine sees it. The computer name is the
// host name up to its first dot. The single-copy guard is a lock file in the
// station's own folder (C:\Korvain\korv-delayed-send.lock under the root):
// the first PreviousInstance() that answers false holds an open-file-
// description lock on it until this object (normally the process) ends, and
// writes its process id into it for the administrator. The kernel drops the
// lock when the holder dies, so a crashed copy never blocks the next start.
// A lock file that this user may read but not write (a copy run by another
// user made it) is only looked at: a copy holding it is still noticed. When
// the lock file cannot be made or opened at all the guard cannot tell, says
// so on standard error and answers false: a station that runs beats one that
// refuses to start over a folder permission.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/host/host.h"

namespace korv {

inline constexpr const char* kInstanceLockFile = "C:\\Korvain\\korv-delayed-send.lock";

// What the lock file says about a running copy, found without taking the
// lock, so that looking never keeps a station from starting.
struct RunningCopy {
  bool running = false;
  std::string pid;      // the process id the running copy wrote; may be empty
  std::string problem;  // why it cannot be told; empty when it can
};
// No lock file means no copy runs.
RunningCopy FindRunningCopy(const std::filesystem::path& lock_file);

class SystemHost : public Host {
 public:
  // lock_file: the host path of the lock file. priority_marks: the guard's
  // line on standard error begins with its priority's mark, for a standard
  // error that reads them (platform/screen/journal_priority.h).
  explicit SystemHost(std::filesystem::path lock_file, bool priority_marks = false)
      : lock_file_(std::move(lock_file)), priority_marks_(priority_marks) {}
  ~SystemHost() override;
  SystemHost(const SystemHost&) = delete;
  SystemHost& operator=(const SystemHost&) = delete;

  std::optional<std::string> ComputerName() override;
  bool PreviousInstance() override;

 private:
  void SayCannotGuard(const std::string& why) const;

  std::filesystem::path lock_file_;
  const bool priority_marks_;
  int fd_ = -1;  // open and locked while this copy holds the station
};

}  // namespace korv
