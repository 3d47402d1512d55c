#pragma once
// A folder seen through a mount that waits on every request, as a share
// across a network does (bench/latency_mount). The mount lives as long as
// the object; where it cannot be made (no /dev/fuse, no right to mount, the
// mount program not built) the object says why, and the caller skips.

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace korv::testing {

class LatencyMount {
 public:
  // Mounts `source` at `mountpoint` (made when missing), every request
  // waiting delay_us microseconds. program: the mount program's path.
  LatencyMount(const std::filesystem::path& source, const std::filesystem::path& mountpoint,
               int delay_us, const std::string& program);
  // Unmounts, and ends the mount program.
  ~LatencyMount();
  LatencyMount(const LatencyMount&) = delete;
  LatencyMount& operator=(const LatencyMount&) = delete;

  bool Mounted() const { return problem_.empty(); }
  // Why there is no mount; empty when there is.
  const std::string& Problem() const { return problem_; }
  const std::filesystem::path& path() const { return mountpoint_; }
  const std::filesystem::path& Source() const { return source_; }

 private:
  void Unmount();

  std::filesystem::path source_;
  std::filesystem::path mountpoint_;
  pid_t pid_ = -1;
  std::string problem_;
};

// The station's F: drive (DataRoot's, root/f) put behind a mount that
// waits delay_us on every request: what the drive held is moved to source
// (root/f-share unless given), reachable there without the wait.
std::unique_ptr<LatencyMount> MountDataDrive(const std::filesystem::path& root, int delay_us,
                                             std::filesystem::path source = {});

// The mount program beside this program (a benchmark's), or among the built
// programs of the tests.
std::string LatencyMountProgram();

}  // namespace korv::testing
