#pragma once
// The name of the month's delayed-send log, shared by the scheduler that
// writes it and the log viewer that shows it.

#include <string>

#include "common/date_time.h"

namespace korv {

// DataRoot & "PhoneOrders\" & MMYY & "DElayedSend.LOG": the log of the month
// of `day` ("F:\KORVAIN\PhoneOrders\1226DElayedSend.LOG" in December 2026).
// data_root ends in "\", as the station configuration gives it.
std::string DelayedSendLogName(const std::string& data_root, const Date& day);

}  // namespace korv
