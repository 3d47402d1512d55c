// korvtool: dispatches to the registered commands.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "common/runtime_error.h"
#include "platform/host/access_problem.h"
#include "tools/korvtool.h"

#ifndef KORV_VERSION
#define KORV_VERSION "0.0.0"
#endif

namespace korv::tool {
namespace {

std::map<std::string, ToolCommand>& Commands() {
  static std::map<std::string, ToolCommand> commands;
  return commands;
}

// A usage of several lines with `between` in place of each line end: the
// indented line end of a listing, or a blank for a one-line message.
std::string UsageLines(const ToolCommand& command, const std::string& between) {
  std::string lines;
  for (char c : command.usage) lines += c == '\n' ? between : std::string(1, c);
  return lines;
}

void PrintUsage(std::ostream& out) {
  out << "Usage: korvtool COMMAND [ARGS] [--root DIR]\n"
         "       korvtool --help | --help-all | --version\n\n"
         "The administrator's tool of the delayed-send station.\n\n"
         "Commands:\n";
  for (const auto& [name, c] : Commands())
    out << "  " << UsageLines(c, "\n    ") << "\n      " << c.summary << "\n";
  out << "\nThe station root DIR defaults to $KORV_ROOT, else /var/lib/korvain.\n"
         "'korvtool COMMAND --help' describes one command, --help-all every one.\n";
}

// Every command's whole help, indented under its usage line: the manual
// page is made from it.
void PrintAllHelp(std::ostream& out) {
  PrintUsage(out);
  out << "\nCommand details:\n";
  for (const auto& [name, c] : Commands()) {
    out << "  korvtool " << UsageLines(c, "\n    ") << "\n";
    std::istringstream lines(c.help);
    for (std::string line; std::getline(lines, line);)
      out << (line.empty() ? "" : "      ") << line << "\n";
  }
}

// The options a command's usage line names ("--demo" in "[--demo]"), and
// --help: the usage line is the list of what the command takes, so its help
// cannot promise an option it refuses or leave one out.
std::set<std::string> KnownOptions(const ToolCommand& command) {
  std::set<std::string> known = {"--help"};
  const std::string& usage = command.usage;
  for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
    size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-", at + 2);
    known.insert(usage.substr(at, end == std::string::npos ? end : end - at));
  }
  return known;
}

Args Parse(const ToolCommand& command, int argc, char** argv, bool& ok) {
  Args args;
  ok = false;
  const std::set<std::string> known = KnownOptions(command);
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    bool takes_value = a == "--root";
    for (const std::string& o : command.value_options) takes_value |= a == o;
    if (takes_value) {
      if (i + 1 >= argc) {
        UsageError(a + " needs a value");
        return args;
      }
      args.options[a] = argv[++i];
      args.option_list.emplace_back(a, argv[i]);
    } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
      if (!known.count(a)) {
        UsageError("unknown option " + a + " of '" + command.name + "'; usage: korvtool " +
                   UsageLines(command, " "));
        return args;
      }
      args.flags.push_back(a);
    } else {
      args.positional.push_back(a);
    }
  }
  ok = true;
  return args;
}

// 0 when the station root is a folder this user may use; else says why and
// returns 2 for a root that is not a folder (a wrong --root or $KORV_ROOT)
// and 1 for one this user may not use.
int StationRootStatus(const Args& args) {
  const std::string root = args.Root();
  const std::string problem = AccessProblem(root, Access::kRead);
  std::error_code ec;
  if (problem.rfind("does not exist", 0) == 0 ||
      (problem.empty() && !std::filesystem::is_directory(root, ec)))
    return UsageError("the station root " + root +
                      " is not a folder (make one with: korvtool init --root " + root + ")");
  if (!problem.empty()) return Fail("the station root " + root + " " + problem);
  return 0;
}

}  // namespace

bool Args::Has(const std::string& flag) const {
  for (const std::string& f : flags)
    if (f == flag) return true;
  return false;
}

std::optional<std::string> Args::Option(const std::string& name) const {
  auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> Args::OptionValues(const std::string& name) const {
  std::vector<std::string> values;
  for (const auto& [option, value] : option_list)
    if (option == name) values.push_back(value);
  return values;
}

std::string Args::Root() const {
  if (auto r = Option("--root")) return *r;
  if (const char* env = std::getenv("KORV_ROOT"); env && *env) return env;
  return "/var/lib/korvain";
}

Registration::Registration(ToolCommand command) { Commands()[command.name] = std::move(command); }

int UsageError(const std::string& message) {
  std::cerr << "korvtool: " << message << "\n";
  return 2;
}

int Fail(const std::string& message) {
  std::cerr << "korvtool: " << message << "\n";
  return 1;
}

}  // namespace korv::tool

int main(int argc, char** argv) {
  using namespace korv::tool;
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
    PrintUsage(std::cout);
    return argc < 2 ? 2 : 0;
  }
  if (std::string(argv[1]) == "--help-all") {
    PrintAllHelp(std::cout);
    return 0;
  }
  if (std::string(argv[1]) == "--version") {
    std::cout << "korvtool " << KORV_VERSION << "\n";
    return 0;
  }
  auto it = Commands().find(argv[1]);
  if (it == Commands().end()) {
    PrintUsage(std::cerr);
    return UsageError(std::string("unknown command '") + argv[1] + "'");
  }
  bool ok = false;
  Args args = Parse(it->second, argc, argv, ok);
  if (!ok) return 2;
  if (args.Has("--help")) {
    std::cout << "Usage: korvtool " << UsageLines(it->second, "\n" + std::string(16, ' ')) << "\n\n"
              << it->second.help << "\n";
    return 0;
  }
  if (it->second.needs_station_root)
    if (int status = StationRootStatus(args)) return status;
  try {
    return it->second.run(args);
  } catch (const korv::RuntimeError& e) {
    return Fail(korv::ExplainedError(e));
  } catch (const std::exception& e) {
    return Fail(e.what());
  } catch (...) {
    return Fail("stopped by an unknown error");
  }
}
