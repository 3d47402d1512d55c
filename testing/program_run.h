#pragma once
// The station's programs run as an administrator runs them, from a shell
// command line, for the tests that look at their output and exit status.

#include <string>

namespace korv::testing {

struct ProgramRun {
  int status = -1;     // the exit status; -1 when the program did not exit
  std::string output;  // standard output and standard error, as they came
};

// Runs a shell command line, standard error with the output.
ProgramRun RunProgram(const std::string& command);

// The built program of that name ($KORV_TEST_BIN_DIR/name).
std::string BuiltProgram(const std::string& name);

// A command prefix that runs a program as an unprivileged user (65534) when
// the test runs as root, to whom every file is open; empty otherwise. Empty
// too, with `available` false, when this machine cannot switch users.
std::string AsUnprivilegedUser(bool& available);

}  // namespace korv::testing
