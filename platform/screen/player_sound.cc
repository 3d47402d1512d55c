#include "platform/screen/player_sound.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace korv {

std::string FindOnPath(std::string_view name, std::string_view path_env) {
  size_t start = 0;
  while (start <= path_env.size()) {
    size_t end = path_env.find(':', start);
    if (end == std::string_view::npos) end = path_env.size();
    // An empty PATH entry names the working folder.
    std::string candidate(end > start ? path_env.substr(start, end - start) : ".");
    candidate += '/';
    candidate += name;
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

PlayerSound::PlayerSound() : PlayerSound(getenv("PATH") ? getenv("PATH") : "") {}

PlayerSound::PlayerSound(std::string_view path_env) {
  if (std::string aplay = FindOnPath("aplay", path_env); !aplay.empty()) {
    player_ = {aplay, "-q"};
  } else if (std::string paplay = FindOnPath("paplay", path_env); !paplay.empty()) {
    player_ = {paplay};
  }
}

void PlayerSound::ReapFinished() {
  std::erase_if(playing_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

void PlayerSound::Play(const std::string& host_path) {
  ReapFinished();
  if (player_.empty()) return;
  std::vector<std::string> args = player_;
  args.push_back(host_path);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
    playing_.push_back(pid);
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace korv
