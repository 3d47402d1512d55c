#pragma once
// The kitchen and bar numbers of a send, drawn ahead of its kitchen send:
// on a share each counter waits its round trips, and a send can draw them
// while its delayed files are deleted, which does not need them. The send
// keeps what it drew in its journal, where the kitchen send finds them as a
// resumed send finds its numbers. A number that cannot be drawn at once
// (the counter held, damaged or away) is left to the kitchen send, which
// waits for it, says why and repairs as it always does, and so are the
// numbers of a send resumed from its journal. As with every draw, a crash
// between the counter and the journal costs a number and never gives one
// out twice.

#include <optional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/station.h"
#include "engine/send_ledger.h"
#include "platform/files/file_system.h"

namespace korv {

enum class AheadNumber { kKitchen, kBar };

// The numbers the kitchen send of these unsent rows would draw, less those
// the ledger holds already.
std::vector<AheadNumber> NumbersToDraw(const Station& station, const std::vector<std::string>& rows,
                                       const SendLedger& ledger);

// One attempt at the number, dated today, without waiting for a station
// that holds the counter; none when it cannot be drawn so. Touches only its
// counter, through files.
std::optional<std::string> DrawNumberAhead(FileSystem& files, const std::string& data_root,
                                           const Date& today, AheadNumber which);

// Keeps a number drawn ahead where the kitchen send looks for it.
void KeepNumberAhead(SendLedger& ledger, AheadNumber which, const std::string& number);

}  // namespace korv
