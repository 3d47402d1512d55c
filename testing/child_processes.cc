#include "testing/child_processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace korv::testing {

bool RunInChildren(int count, const std::function<int(int index)>& body) {
  std::vector<pid_t> children;
  bool ok = true;
  for (int i = 0; i < count; ++i) {
    pid_t pid = fork();
    if (pid == 0) _exit(body(i));  // no destructors: the parent owns the temp folder
    if (pid < 0) {
      ok = false;
      break;
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    pid_t got;
    do {
      got = waitpid(pid, &status, 0);
    } while (got < 0 && errno == EINTR);
    ok = ok && got == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return ok;
}

}  // namespace korv::testing
