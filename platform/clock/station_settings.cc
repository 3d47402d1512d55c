#include "platform/clock/station_settings.h"

#include "common/runtime_error.h"
#include "common/setting_lines.h"

namespace korv {
namespace {

DateOrder DateOrderOf(const std::string& value, const std::string& where) {
  std::optional<DateOrder> order = DateOrderNamed(value);
  if (!order)
    throw RuntimeError(kErrInvalidCall,
                       where + "date-order \"" + value + "\" is not M/D/Y, D/M/Y or Y/M/D");
  return *order;
}

// Digits only: "90 days", "-1" or "1.5" would be read as something else.
int RetentionDaysOf(const std::string& value, const std::string& where) {
  const bool digits = !value.empty() && value.size() <= 6 &&
                      value.find_first_not_of("0123456789") == std::string::npos;
  const int days = digits ? std::stoi(value) : -1;
  if (days == 0) return kDefaultRetentionDays;
  if (days > 0 && days <= kMostRetentionDays) return days;
  const std::string range = "1 to " + std::to_string(kMostRetentionDays) + " (0 for the default, " +
                            std::to_string(kDefaultRetentionDays) + ")";
  throw RuntimeError(kErrInvalidCall, where + "retention-days \"" + value +
                                          "\" is not a number of days from " + range);
}

}  // namespace

StationSettings ParseStationSettings(std::string_view text, const std::string& source) {
  StationSettings settings;
  const std::string refusal = "Station settings " + source + ": ";
  for (const SettingLine& line : ReadSettingLines(text, refusal)) {
    const std::string where = refusal + "line " + std::to_string(line.number) + ": ";
    if (line.key == "date-order")
      settings.date_order = DateOrderOf(line.value, where);
    else if (line.key == "retention-days")
      settings.retention_days = RetentionDaysOf(line.value, where);
    else
      throw RuntimeError(kErrInvalidCall, where + "unknown setting \"" + line.key + "\"");
  }
  return settings;
}

StationSettings ReadStationSettings(const FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) return {};
  return ParseStationSettings(files.ReadFileText(path), path);
}

}  // namespace korv
