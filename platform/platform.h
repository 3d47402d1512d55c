#pragma once
// The platform services handed to every window. Production code gets the
// real ones; tests swap in fakes (fake clock, recording printers, scripted
// message boxes) and run files in a temporary folder.

#include "platform/clock/clock.h"
#include "platform/files/file_system.h"
#include "platform/host/host.h"
#include "platform/print/print_service.h"
#include "platform/screen/services.h"

namespace korv {

struct Platform {
  FileSystem& files;
  Clock& clock;
  PrintService& printer;
  EventLoop& loop;
  MessageBoxes& boxes;
  SoundCue& sound;
  Host& host;
  StatusLines& status;
};

}  // namespace korv
