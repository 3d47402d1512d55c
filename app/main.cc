// korv-delayed-send: the delayed-send station program.

#include <iostream>

#include "app/prefixed_stderr.h"
#include "app/station_program.h"
#include "common/runtime_error.h"
#include "platform/screen/journal_priority.h"

namespace {

// What the station could not go on from ends it with a message and its
// exit status, never with an abort: a service's journal and a desktop
// session's log show why, and the service is started again.
int CannotGoOn(const std::string& why) {
  std::cerr << korv::PriorityMark(korv::Priority::kError) << "the station stops: " << why
            << "; korvtool check, run as this user, looks the station over\n";
  return korv::kExitCannotGoOn;
}

}  // namespace

int main(int argc, char** argv) {
  korv::PrefixedStderr prefixed("korv-delayed-send: ");
  korv::ProgramOptions options;
  std::string error;
  if (!korv::ParseProgramOptions(argc, argv, options, error)) {
    std::cerr << korv::PriorityMark(korv::Priority::kError) << error
              << "; korv-delayed-send --help tells the arguments\n";
    return 2;
  }
  if (options.help) {
    korv::PrintProgramHelp(std::cout);
    return 0;
  }
  if (options.version) {
    std::cout << "korv-delayed-send " << KORV_VERSION << "\n";
    return 0;
  }
  try {
    return korv::RunStation(options);
  } catch (const korv::RuntimeError& e) {
    return CannotGoOn(korv::ExplainedError(e));
  } catch (const std::exception& e) {
    return CannotGoOn(e.what());
  } catch (...) {
    return CannotGoOn("an unknown error");
  }
}
