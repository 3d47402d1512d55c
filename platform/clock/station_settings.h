#pragma once
// The station's own settings, C:\Korvain\station.conf beside printers.conf,
// in "key = value" lines (common/setting_lines.h):
//
//   date-order = D/M/Y        # M/D/Y (when not given), D/M/Y or Y/M/D
//   retention-days = 90       # 365 when not given or 0
//
// date-order is the order of day and month in the all-number send dates the
// order-entry stations write into the delayed headers (their short date
// form); retention-days how long the files the station writes and nobody
// else removes are kept (scheduler/retention.h). They are this station's
// own, kept apart from KorvINI.dat, whose record the other stations share and
// whose layout is fixed.

#include <string>
#include <string_view>

#include "common/date_time.h"
#include "platform/files/file_system.h"

namespace korv {

inline constexpr char kStationSettingsPath[] = "C:\\Korvain\\station.conf";

inline constexpr int kDefaultRetentionDays = 365;
inline constexpr int kMostRetentionDays = 36500;

struct StationSettings {
  DateOrder date_order = DateOrder::kMonthDayYear;
  int retention_days = kDefaultRetentionDays;
};

// The settings of the file's text. Raises RuntimeError 5 naming `source` and
// the line for a line without "=", an unknown key, a date order other than
// the three, or a retention that is not a whole number of days up to
// kMostRetentionDays.
StationSettings ParseStationSettings(std::string_view text, const std::string& source);

// Reads the settings file; a missing file is the defaults. Raises as
// ParseStationSettings does, and the file layer's RuntimeError when the file is
// there but cannot be read.
StationSettings ReadStationSettings(const FileSystem& files,
                                    const std::string& path = kStationSettingsPath);

}  // namespace korv
