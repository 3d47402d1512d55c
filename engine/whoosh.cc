#include "engine/whoosh.h"

namespace korv {

void PlayWhoosh(const Station& station, Platform& platform) {
  const std::string sound = station.LocalRoot + "Whoosh.wav";
  if (platform.files.Present(sound)) platform.sound.Play(platform.files.HostPath(sound).string());
}

}  // namespace korv
