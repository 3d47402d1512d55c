#pragma once
// A new station tree: what an installer leaves on a station so the delayed
// send can run, and the demo restaurant on top of it.

#include <string>

#include "common/date_time.h"
#include "platform/files/file_system.h"

namespace korv {

// What a new station's set-up does with a file of its own that is already
// there: F: is the restaurant's shared tree, so nothing there is lost.
enum class ExistingFile {
  kKeep,
  // Replaced once a copy of it is on disk beside it, named
  // NAME.YYYYMMDD-HHMMSS.bak (a name no station reads).
  kReplaceKeepingACopy,
};

// Writes C:\Korvain\KorvINI.dat (LocalRoot C:\KORVAIN\, DataRoot data_root,
// tax rate, ticket font and sizes, the kitchen, bar and station printer
// names), C:\Korvain\printers.conf with one dir: printer folder per printer
// under C:\Korvain\printed\, the shared folders under data_root and a sample
// menu. A file that is there is kept or replaced as `existing` says; the
// menu is kept or replaced as a whole, so a restaurant's menu never gets
// sample pages mixed into it. A new file appears whole. Returns what it
// made, kept and replaced, one line each, for the administrator. Raises the
// file layer's RuntimeError, having written the files before the failing one.
std::string InitStation(FileSystem& files, const std::string& data_root, ExistingFile existing,
                        const DateTime& now);

// The demo restaurant: customers, and delayed orders of which some are due
// at `now` (kitchen, bar and station lines, modifiers, an instruction for the
// red printer, an unknown customer) and some later today and tomorrow.
// Returns a summary.
std::string WriteDemoOrders(FileSystem& files, const std::string& data_root, const DateTime& now);

}  // namespace korv
