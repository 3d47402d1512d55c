#pragma once
// The station's sound cue: the file Whoosh.wav in LocalRoot, played when an
// order goes out and when a quantity is chosen. A station without the file
// stays silent.

#include "common/station.h"
#include "platform/platform.h"

namespace korv {

void PlayWhoosh(const Station& station, Platform& platform);

}  // namespace korv
