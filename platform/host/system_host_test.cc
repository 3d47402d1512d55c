#include "platform/host/system_host.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testing/temp_dir.h"

namespace korv {
namespace {

// A child process that holds the station until the parent closes `release`.
pid_t ChildHoldingTheStation(const std::filesystem::path& lock, int* release_fd) {
  int ready[2], release[2];
  if (pipe(ready) != 0 || pipe(release) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    close(release[1]);
    SystemHost host(lock);
    char answer = host.PreviousInstance() ? 'y' : 'n';
    if (write(ready[1], &answer, 1) != 1) _exit(2);
    char c;
    while (read(release[0], &c, 1) > 0) {
    }
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  char answer = 0;
  if (read(ready[0], &answer, 1) != 1 || answer != 'n') answer = 0;
  close(ready[0]);
  *release_fd = release[1];
  return answer ? pid : -1;
}

TEST(SystemHostTest, ASecondCopyIsRefusedOnlyWhileTheFirstLives) {
  testing::TempDir tmp;
  std::filesystem::path lock = tmp.path() / "c" / "Korvain" / "korv-delayed-send.lock";
  EXPECT_FALSE(FindRunningCopy(lock).running) << "no lock file yet";
  EXPECT_EQ(FindRunningCopy(lock).problem, "");
  int release = -1;
  pid_t child = ChildHoldingTheStation(lock, &release);
  ASSERT_GT(child, 0) << "the first copy must get the station";
  RunningCopy seen = FindRunningCopy(lock);
  EXPECT_TRUE(seen.running);
  EXPECT_EQ(seen.pid, std::to_string(child));

  {
    SystemHost second(lock);
    EXPECT_TRUE(second.PreviousInstance());
    EXPECT_TRUE(second.PreviousInstance()) << "a refused copy never takes the station";
  }

  close(release);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_FALSE(FindRunningCopy(lock).running) << "the lock file stays, but nobody holds it";
  SystemHost after(lock);
  EXPECT_FALSE(after.PreviousInstance()) << "the first copy has ended";
  EXPECT_FALSE(after.PreviousInstance()) << "the holder asks again";
  SystemHost other_in_same_process(lock);
  EXPECT_TRUE(other_in_same_process.PreviousInstance());
}

}  // namespace
}  // namespace korv
