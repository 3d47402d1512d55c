#include "testing/test_station.h"

namespace korv::testing {

TestStation::TestStation(std::vector<std::string> printer_names)
    : files(PathMap(dir.path())), printer(RecordingPrinters(printer_names, &printed)) {
  files.MakeFolders("C:\\Korvain");
  for (const char* f : {"PhoneOrders\\Deleted", "data", "ini", "KitMonitor", "Delivery\\LastOrder"})
    files.MakeFolders(std::string("F:\\KORVAIN\\") + f);
}

void TestStation::WriteConfig(const ConfigFields& fields) {
  StationConfig config;
  config.Set(ConfigField::LocalRoot, "C:\\KORVAIN\\");
  config.Set(ConfigField::DataRoot, "F:\\KORVAIN\\");
  for (const auto& [n, v] : fields) config.Set(n, v);
  Write("C:\\Korvain\\KorvINI.dat", config.bytes());
}

void TestStation::Write(const std::string& windows_path, std::string_view bytes) {
  WriteHostFile(files.HostPath(windows_path), bytes);
}

std::string TestStation::Read(const std::string& windows_path) const {
  return ReadHostFile(files.HostPath(windows_path));
}

void TestStation::LoadConfig() {
  ApplyStationConfig(station, StationConfig(Read("C:\\Korvain\\KorvINI.dat")));
}

}  // namespace korv::testing
