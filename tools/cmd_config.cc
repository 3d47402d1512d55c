// korvtool config: reads and writes fields of the station configuration
// C:\Korvain\KorvINI.dat by field number, as the other stations' set-up
// programs do.

#include <iostream>

#include "common/record_tables.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/clock/station_settings.h"
#include "platform/files/file_system.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

constexpr char kConfigPath[] = "C:\\Korvain\\KorvINI.dat";

// The administrator names a field by its number, as the set-up programs do.
std::optional<ConfigField> FieldNumber(const std::string& text) {
  int n = static_cast<int>(Val(text));
  if (Trim(text) != std::to_string(n) || n < 1 || n > StationConfigLayout().field_count())
    return std::nullopt;
  return ConfigField{n};
}

StationConfig ReadConfig(FileSystem& files) {
  int f = files.Open(kConfigPath, OpenMode::kRandom, 2300);
  files.Lock(f);
  StationConfig config(files.GetRecord(f, 1));
  files.CloseAll();
  return config;
}

// Rewrites record 1 under the whole-file lock the stations respect.
void WriteConfig(FileSystem& files, const StationConfig& config) {
  files.MakeFolders("C:\\Korvain");
  int f = files.Open(kConfigPath, OpenMode::kRandom, 2300);
  files.Lock(f);
  files.PutRecord(f, 1, config.bytes());
  files.CloseAll();
}

int Show(FileSystem& files) {
  StationConfig config = ReadConfig(files);
  for (int n = 1; n <= config.layout().field_count(); ++n) {
    const std::string text = config.Text(ConfigField{n});
    if (text.empty()) continue;
    const FieldSpec& f = config.layout().field(n);
    std::cout << n << " (offset " << f.offset << ", width " << f.width << "): " << text << "\n";
  }
  // The station's own settings beside the shared record.
  try {
    const StationSettings settings = ReadStationSettings(files);
    std::cout << kStationSettingsPath << " date-order: " << DateOrderName(settings.date_order)
              << "\n"
              << kStationSettingsPath << " retention-days: " << settings.retention_days << "\n";
  } catch (const RuntimeError& e) {
    std::cout << kStationSettingsPath << ": " << e.description() << "\n";
  }
  return 0;
}

int Run(const Args& args) {
  const auto& p = args.positional;
  if (p.empty()) return UsageError("config needs show, get N or set N VALUE");
  FileSystem files{PathMap(args.Root())};
  bool exists = files.Exists(kConfigPath);
  if (p[0] == "show" && p.size() == 1) {
    if (!exists) return Fail(std::string(kConfigPath) + " does not exist under " + args.Root());
    return Show(files);
  }
  if (p[0] == "get" && p.size() == 2) {
    auto n = FieldNumber(p[1]);
    if (!n) return UsageError("field number must be 1 to 161");
    if (!exists) return Fail(std::string(kConfigPath) + " does not exist under " + args.Root());
    std::cout << ReadConfig(files).Text(*n) << "\n";
    return 0;
  }
  if (p[0] == "set" && p.size() == 3) {
    auto n = FieldNumber(p[1]);
    if (!n) return UsageError("field number must be 1 to 161");
    StationConfig config = exists ? ReadConfig(files) : StationConfig();
    if (!config.Fits(*n, p[2]))
      return Fail("field " + p[1] + " holds " +
                  std::to_string(config.layout().field(static_cast<int>(*n)).width) +
                  " characters; '" + p[2] + "' has " + std::to_string(p[2].size()) +
                  ": nothing was changed");
    config.Set(*n, p[2]);
    WriteConfig(files, config);
    return 0;
  }
  return UsageError("config needs show, get N or set N VALUE");
}

const Registration kConfig({
    "config",
    "config show|get N|set N VALUE [--root DIR]",
    "read or write fields of the station configuration KorvINI.dat",
    "show        every field that is not blank, with its number, offset\n"
    "            and width, then the settings of C:\\Korvain\\station.conf\n"
    "            (date-order, retention-days)\n"
    "get N       field N (1 to 161), trimmed\n"
    "set N VALUE writes VALUE into field N, left-aligned and\n"
    "            blank-padded; a value wider than the field is refused\n"
    "            and the file left unchanged. The file is created when\n"
    "            missing.\n\n"
    "Fields the station reads: 6 LocalRoot, 7 tax rate (.0825), 8\n"
    "station printer, 22 ticket font, 23 ticket size step, 29 main\n"
    "kitchen printer, 31 cut after it (-1), 35 bar printer, 36 cut after\n"
    "it (-1), 49 DataRoot (F:\\KORVAIN\\), 66 no bar ticket (-1), 73\n"
    "KITCHEN 2 printer, 74 cut after kitchen tickets (-1), 77\n"
    "course-sorted ticket (-1), 99 feed lines, 107 kitchen monitor file\n"
    "(-1), 130-135 printers of KITCHEN 3 to KITCHEN 8.",
    {},
    Run,
});

}  // namespace
}  // namespace korv::tool
