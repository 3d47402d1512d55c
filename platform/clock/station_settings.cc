#include "platform/clock/station_settings.h"

#include "common/runtime_error.h"
#include "common/setting_lines.h"

namespace korv {

StationSettings ParseStationSettings(std::string_view text, const std::string& source) {
  StationSettings settings;
  const std::string refusal = "Station settings " + source + ": ";
  for (const SettingLine& line : ReadSettingLines(text, refusal)) {
    const std::string where = refusal + "line " + std::to_string(line.number) + ": ";
    if (line.key != "date-order")
      throw RuntimeError(kErrInvalidCall, where + "unknown setting \"" + line.key + "\"");
    std::optional<DateOrder> order = DateOrderNamed(line.value);
    if (!order)
      throw RuntimeError(kErrInvalidCall,
                         where + "date-order \"" + line.value + "\" is not M/D/Y, D/M/Y or Y/M/D");
    settings.date_order = *order;
  }
  return settings;
}

StationSettings ReadStationSettings(const FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) return {};
  return ParseStationSettings(files.ReadFileText(path), path);
}

}  // namespace korv
