#include "testing/latency_mount.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;

namespace korv::testing {
namespace {

constexpr char kProgram[] = "korv_latency_mount";

// A mount shows as a device of its own at the mount point.
bool IsMountedAt(const fs::path& mountpoint) {
  struct stat here, above;
  return stat(mountpoint.c_str(), &here) == 0 &&
         stat(mountpoint.parent_path().c_str(), &above) == 0 && here.st_dev != above.st_dev;
}

}  // namespace

std::string LatencyMountProgram() {
  if (const char* dir = std::getenv("KORV_TEST_BIN_DIR")) return std::string(dir) + "/" + kProgram;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return (self.parent_path() / kProgram).string();
}

LatencyMount::LatencyMount(const fs::path& source, const fs::path& mountpoint, int delay_us,
                           const std::string& program)
    : source_(source), mountpoint_(mountpoint) {
  if (access("/dev/fuse", R_OK | W_OK) != 0) {
    problem_ = "/dev/fuse is missing or cannot be opened";
    return;
  }
  if (access(program.c_str(), X_OK) != 0) {
    problem_ = program + " is not built (libfuse3-dev: scripts/setup.sh --tests)";
    return;
  }
  std::error_code ec;
  fs::create_directories(mountpoint, ec);
  const std::string delay = std::to_string(delay_us);
  pid_ = fork();
  if (pid_ == 0) {
    execl(program.c_str(), program.c_str(), delay.c_str(), source.c_str(), mountpoint.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  // A mount is made in moments; one that has not come in ten seconds will not.
  for (int i = 0; i < 1000 && !IsMountedAt(mountpoint); ++i) {
    int status;
    if (pid_ < 0 || waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      problem_ = "the mount could not be made (no right to mount here?)";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!IsMountedAt(mountpoint)) {
    problem_ = "the mount did not come within ten seconds";
    Unmount();
  }
}

LatencyMount::~LatencyMount() { Unmount(); }

std::unique_ptr<LatencyMount> MountDataDrive(const fs::path& root, int delay_us, fs::path source) {
  const fs::path drive = root / "f";
  if (source.empty()) source = root / "f-share";
  std::error_code ec;
  fs::create_directories(drive, ec);
  fs::rename(drive, source, ec);
  auto mount = std::make_unique<LatencyMount>(source, drive, delay_us, LatencyMountProgram());
  if (!mount->Mounted()) {
    fs::remove(drive, ec);
    fs::rename(source, drive, ec);  // the drive as it was, for a caller that goes on without
  }
  return mount;
}

// Detached, so that a file still open below it never keeps the mount; the
// mount program then ends by itself, or is ended.
void LatencyMount::Unmount() {
  if (umount2(mountpoint_.c_str(), MNT_DETACH) != 0 && IsMountedAt(mountpoint_)) {
    const int ended =
        std::system(("fusermount3 -u -z '" + mountpoint_.string() + "' 2>/dev/null").c_str());
    (void)ended;  // a mount that stays is seen by the next one made there
  }
  if (pid_ <= 0) return;
  int status;
  for (int i = 0; i < 500; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace korv::testing
