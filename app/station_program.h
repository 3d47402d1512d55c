#pragma once
// The station program: its command line and the run of the station on the
// real platform services.

#include <iosfwd>
#include <string>

namespace korv {

struct ProgramOptions {
  std::string root = "/var/lib/korvain";
  bool headless = false;
  bool once = false;
  bool autostart = false;  // started by a desktop session's autostart entry
  bool help = false;
  bool version = false;
};

// Reads the command line; false with a message in `error` for bad arguments.
bool ParseProgramOptions(int argc, char** argv, ProgramOptions& options, std::string& error);

void PrintProgramHelp(std::ostream& out);

// The exit status of --once when the station configuration could not be
// used, so nothing was sent (1 is a second copy, 2 bad arguments).
inline constexpr int kExitNoConfiguration = 3;

// The exit status when the station cannot go on: this user may not use the
// station root, or a file or folder it needs failed in a way no pass can
// mend (the message says which and why). A service is started again.
inline constexpr int kExitCannotGoOn = 4;

// Runs the station until it is ended (or for one pass with --once). Returns
// the exit status: 0; 1 when start-up is refused; 2 for a root that is not
// a folder; kExitNoConfiguration; kExitCannotGoOn when this user may not use
// the station's own folder. Raises what the station could not go on from.
int RunStation(const ProgramOptions& options);

}  // namespace korv
