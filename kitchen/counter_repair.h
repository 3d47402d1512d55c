#pragma once
// What this station knows of the kitchen order numbers given today, for the
// repair of a kitchen counter that cannot be read: a repaired counter must
// never hand out a number a ticket of today already carries.

#include <cstdint>

#include "common/date_time.h"
#include "common/station.h"
#include "platform/files/file_system.h"

namespace korv {

// The highest kitchen count found in what this station can see of today:
// the kitchen monitor files written today (every station's, where the
// kitchen display is used), the numbers kept in this station's send
// journals, and the records of its kitchen ticket archive when that was
// written today. 0 when none is found; what cannot be read is passed over.
int64_t HighestKitchenNumberToday(const Station& station, FileSystem& files, const Date& today);

}  // namespace korv
