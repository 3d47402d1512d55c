#pragma once
// Reading the station configuration file C:\Korvain\KorvINI.dat, shared by
// the scheduler's start-up and the order engine's start-up.

#include "common/station.h"
#include "platform/files/file_system.h"

namespace korv {

// Sets LocalRoot to "C:\Korvain\" and WorkPath to the configuration file;
// when the file exists, reads record 1 (random access, record length 2300,
// locked only while it is read) and applies it with ApplyStationConfig.
// A missing file leaves every other setting as it was. Raises the file
// layer's RuntimeError (70 for a lock held elsewhere) with the settings
// untouched and no file left open.
void ReadStationConfigFile(Station& station, FileSystem& files);

}  // namespace korv
