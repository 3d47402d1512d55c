#pragma once
// A new station tree: what an installer leaves on a station so the delayed
// send can run, and the demo restaurant on top of it.

#include <string>

#include "common/date_time.h"
#include "platform/files/file_system.h"

namespace korv {

// Writes C:\Korvain\KorvINI.dat (LocalRoot C:\KORVAIN\, DataRoot data_root,
// tax rate, ticket font and sizes, the kitchen, bar and station printer
// names), C:\Korvain\printers.conf with one dir: printer folder per printer
// under C:\Korvain\printed\, the shared folders under data_root and a sample
// menu. An existing configuration or printer file is kept unless `replace`.
// Returns what it wrote, one line each, for the administrator.
std::string InitStation(FileSystem& files, const std::string& data_root, bool replace);

// The demo restaurant: customers, and delayed orders of which some are due
// at `now` (kitchen, bar and station lines, modifiers, an instruction for the
// red printer, an unknown customer) and some later today and tomorrow.
// Returns a summary.
std::string WriteDemoOrders(FileSystem& files, const std::string& data_root, const DateTime& now);

}  // namespace korv
