#pragma once
// A whole station for one test: a temporary root folder, the real file layer
// on it, a fake clock, recording printers, scripted boxes and a test loop,
// bundled as the Platform the windows take, and a fresh Station.
//
// Paths: C:\Korvain\ is root/c/Korvain; DataRoot is F:\KORVAIN\ (root/f/KORVAIN)
// once a configuration is written with WriteConfig.

#include <map>
#include <string>
#include <vector>

#include "common/record_tables.h"
#include "common/station.h"
#include "platform/platform.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korv::testing {

// Configuration fields and their values, by name.
using ConfigFields = std::map<ConfigField, std::string>;

class TestStation {
 public:
  // printers: device names of the installed (recording) printers.
  explicit TestStation(std::vector<std::string> printers = {"KITCHEN1 TM-U220", "BAR TM-T88",
                                                            "OFFICE LASER"});

  // Writes C:\Korvain\KorvINI.dat with the given fields set (LocalRoot
  // C:\KORVAIN\ and DataRoot F:\KORVAIN\ unless given).
  void WriteConfig(const ConfigFields& fields = {});
  // Writes a file at a Windows path of the station.
  void Write(const std::string& windows_path, std::string_view bytes);
  std::string Read(const std::string& windows_path) const;
  bool Exists(const std::string& windows_path) const { return files.Exists(windows_path); }
  // Loads the configuration into the Station as start-up does.
  void LoadConfig();

  TempDir dir;
  FileSystem files;
  FakeClock clock;
  std::vector<Document> printed;
  PrintService printer;
  TestLoop loop{clock};
  ScriptedBoxes boxes;
  SilentSound sound;
  FakeHost host;
  RecordedStatusLines status;
  Platform platform{files, clock, printer, loop, boxes, sound, host, status};
  Station station;
};

}  // namespace korv::testing
