#include "engine/station_config.h"

namespace korv {

void ReadStationConfigFile(Station& station, FileSystem& files) {
  station.LocalRoot = "C:\\Korvain\\";
  station.WorkPath = station.LocalRoot + "KorvINI.dat";
  if (!files.Exists(station.WorkPath)) return;
  files.CloseAll();
  std::string record;
  try {
    int f = files.Open(station.WorkPath, OpenMode::kRandom, 2300);
    files.Lock(f);
    record = files.GetRecord(f, 1);
    files.Unlock(f);
  } catch (...) {
    files.CloseAll();
    throw;
  }
  files.CloseAll();
  ApplyStationConfig(station, StationConfig(record));
}

}  // namespace korv
