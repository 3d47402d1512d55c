#pragma once
// The phone-in number counter data\PioNumber.dat: one quoted decimal field,
// the last number handed out. Phone-in numbers run 1 to 498, then 1 again.

#include <string_view>

#include "common/station.h"
#include "platform/files/file_system.h"

namespace korv {

// The number that follows the counter's text: its leading number + 1, and 1
// when that falls outside 1..498 (after 498, for 0, blank or non-numeric
// text, negative numbers). A fraction counts by its whole part.
int PioNumberAfter(std::string_view counter_text);

// Draws the next phone-in number into PioNumber and PioNumberText. The
// counter is read and rewritten under one whole-file lock, so draws by any
// number of stations at the same moment never hand out the same number twice
// within a cycle of 498. A missing counter file starts at 1 and is created.
// The counter is on disk (fsync) before the number is handed out, so after
// a power cut it never falls back below a number a phone order carries.
// Closes all open files first; raises 70 when another station holds the lock
// past the file layer's short wait, leaving the counter as it was.
void NextPioNumber(Station& station, FileSystem& files);

}  // namespace korv
