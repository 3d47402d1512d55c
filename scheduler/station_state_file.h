#pragma once
// The station's state as the running station last saw it, in a small file
// of its own folder (LocalRoot's data\StationState.txt): rewritten whole at
// the end of each pass, never half written, so that `korvtool status` can
// answer "is it working?" without asking the shared folder anything.
//
// One line a value, "name=value"; conditions and printers one line each,
// their fields separated by "|" with the free text last:
//   health=attention
//   summary=2 pending; KITCHEN1 holds 3 tickets (no paper)
//   pass-began=12/25/2026 6:30:20 PM
//   pass-ended=12/25/2026 6:30:21 PM
//   pending=2
//   next-due=DS9 12/25/2026 6:31 PM
//   condition=attention|order DS5|DS5 held|Order DS5 stays pending: ...
//   printer=KITCHEN1|3|12/25/2026 6:29:00 PM|socket://10.0.0.5:9100|no paper
// (a printer's fields: name, tickets held, held since, destination, problem)

#include <string>

#include "platform/files/file_system.h"
#include "platform/screen/services.h"
#include "scheduler/station_watch.h"

namespace korv {

std::string StationStatePath(const std::string& local_root);

// The file's text, and what a file's text says; what cannot be read is
// left out.
std::string StationStateText(const StationState& state);
// Times come back as written; the tool shows them as text.
struct SavedStationState {
  std::string health = "normal", summary, pass_began, pass_ended, next_due;
  int pending = 0;
  std::vector<Condition> conditions;
  struct Printer {
    std::string name, since, destination, problem;
    int held = 0;
  };
  std::vector<Printer> printers;
};
SavedStationState ParseStationState(const std::string& text);

// Writes the file after each pass. A file that cannot be written is said
// once on the status service; the station goes on sending.
class StationStateFile : public StationWatchListener {
 public:
  StationStateFile(FileSystem& files, StatusLines& status, const std::string& local_root)
      : files_(files), status_(status), local_root_(local_root) {}
  void StateChanged(const StationState& state) override;

 private:
  FileSystem& files_;
  StatusLines& status_;
  const std::string& local_root_;  // the station's, which start-up reads
  bool said_ = false;
};

}  // namespace korv
