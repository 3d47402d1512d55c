// korv-delayed-send: the delayed-send station program.

#include <iostream>

#include "app/station_program.h"

int main(int argc, char** argv) {
  korv::ProgramOptions options;
  std::string error;
  if (!korv::ParseProgramOptions(argc, argv, options, error)) {
    std::cerr << "korv-delayed-send: " << error << "\n";
    korv::PrintProgramHelp(std::cerr);
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
  return korv::RunStation(options);
}
