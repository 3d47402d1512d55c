#include "testing/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace korv::testing {

ProgramRun RunProgram(const std::string& command) {
  ProgramRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) run.output.append(buf, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string BuiltProgram(const std::string& name) {
  const char* dir = std::getenv("KORV_TEST_BIN_DIR");
  return std::string(dir ? dir : ".") + "/" + name;
}

std::string AsUnprivilegedUser(bool& available) {
  available = true;
  if (geteuid() != 0) return {};
  const std::string as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  available = RunProgram(as + "true").status == 0;
  return available ? as : std::string();
}

}  // namespace korv::testing
