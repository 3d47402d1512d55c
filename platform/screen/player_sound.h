#pragma once
// The sound cue played through a command-line player: `aplay -q FILE`, else
// `paplay FILE`, whichever is found first on the PATH. The player runs in the
// background, its output discarded, so the send never waits for the sound;
// without a player, or when it cannot be started, the cue is silently
// skipped, as the sound is only a courtesy to the people nearby.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/screen/services.h"

namespace korv {

class PlayerSound : public SoundCue {
 public:
  // Searches the PATH of the process.
  PlayerSound();
  // Searches the given PATH text (folders separated by ':').
  explicit PlayerSound(std::string_view path_env);
  void Play(const std::string& host_path) override;
  // The player command without the file; empty when none was found.
  const std::vector<std::string>& Player() const { return player_; }

 private:
  void ReapFinished();
  std::vector<std::string> player_;
  std::vector<pid_t> playing_;
};

// The full path of an executable file `name` in one of the PATH folders;
// empty when there is none.
std::string FindOnPath(std::string_view name, std::string_view path_env);

}  // namespace korv
