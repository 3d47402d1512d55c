#pragma once
// korvtool, the administrator's tool. Each command lives in a file of its own
// and registers itself here with a static ToolCommand.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korv::tool {

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--root" -> "DIR"
  // Every value option in the order given, repeats kept ("--item" twice).
  std::vector<std::pair<std::string, std::string>> option_list;
  std::vector<std::string> flags;  // "--demo"
  bool Has(const std::string& flag) const;
  std::optional<std::string> Option(const std::string& name) const;
  // Every value given for a repeatable option, in order.
  std::vector<std::string> OptionValues(const std::string& name) const;
  // --root, or the KORV_ROOT environment value, or /var/lib/korvain.
  std::string Root() const;
};

// The texts are the manual page's too, where --help-all indents them by 6
// and the page by 7 more: usage lines are at most 62 characters, summary and
// help lines at most 67, so that 80 columns show them whole. A usage's
// further lines start unindented; each listing indents them as it lays out.
struct ToolCommand {
  std::string name;                        // "config"
  std::string usage;                       // "config show|get N|set N VALUE [--root DIR]"
  std::string summary;                     // one line for the command list
  std::string help;                        // the whole help text of the command
  std::vector<std::string> value_options;  // options that take a value
  std::function<int(const Args&)> run;     // exit status
  // Whether the command works on a station root that must be there, and be
  // usable by this user, before it runs.
  bool needs_station_root = true;
};

struct Registration {
  explicit Registration(ToolCommand command);
};

// A message to standard error and exit status 2 for bad arguments.
int UsageError(const std::string& message);
// A message to standard error and exit status 1 for a failed command.
int Fail(const std::string& message);

}  // namespace korv::tool
