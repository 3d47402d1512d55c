#include "scheduler/station_state_file.h"

#include <sstream>

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

std::string TimeText(const std::optional<DateTime>& t) {
  return t ? DefaultDateText(t->date) + " " + DefaultTimeText(t->seconds) : std::string();
}

// The first n-1 fields split at "|", the rest of the line the last.
std::vector<std::string> Fields(const std::string& value, size_t n) {
  std::vector<std::string> out;
  size_t at = 0;
  while (out.size() + 1 < n) {
    const size_t bar = value.find('|', at);
    if (bar == std::string::npos) break;
    out.push_back(value.substr(at, bar - at));
    at = bar + 1;
  }
  out.push_back(value.substr(at));
  out.resize(n);
  return out;
}

Health HealthNamed(const std::string& name) {
  if (name == "fault") return Health::kFault;
  return name == "attention" ? Health::kAttention : Health::kNormal;
}

}  // namespace

std::string StationStatePath(const std::string& local_root) {
  return local_root + "data\\StationState.txt";
}

std::string StationStateText(const StationState& s) {
  std::ostringstream out;
  out << "health=" << HealthName(s.health) << "\nsummary=" << s.summary
      << "\npass-began=" << TimeText(s.pass_began) << "\npass-ended=" << TimeText(s.pass_ended)
      << "\npending=" << s.pending << "\nnext-due=" << s.next_due << "\n";
  for (const Condition& c : s.conditions)
    out << "condition=" << HealthName(c.level) << "|" << c.key << "|" << c.brief << "|" << c.detail
        << "\n";
  for (const PrinterState& p : s.printers)
    out << "printer=" << p.name << "|" << p.held << "|" << TimeText(p.since) << "|" << p.destination
        << "|" << p.problem << "\n";
  return out.str();
}

SavedStationState ParseStationState(const std::string& text) {
  SavedStationState s;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    if (name == "health")
      s.health = value;
    else if (name == "summary")
      s.summary = value;
    else if (name == "pass-began")
      s.pass_began = value;
    else if (name == "pass-ended")
      s.pass_ended = value;
    else if (name == "pending")
      s.pending = static_cast<int>(Val(value));
    else if (name == "next-due")
      s.next_due = value;
    else if (name == "condition") {
      const std::vector<std::string> f = Fields(value, 4);
      s.conditions.push_back({f[1], HealthNamed(f[0]), f[2], f[3]});
    } else if (name == "printer") {
      const std::vector<std::string> f = Fields(value, 5);
      s.printers.push_back({f[0], f[2], f[3], f[4], static_cast<int>(Val(f[1]))});
    }
  }
  return s;
}

// A configuration that cannot be read leaves LocalRoot blank: the state,
// which then tells what is wrong with it, goes where the configuration
// itself is, never under the program's working folder.
void StationStateFile::StateChanged(const StationState& state) {
  const std::string root = Trim(local_root_).empty() ? "C:\\Korvain\\" : local_root_;
  const std::string path = StationStatePath(root);
  try {
    try {
      files_.WriteWhole(path, StationStateText(state));
    } catch (const RuntimeError& e) {
      if (e.number() != kErrPathNotFound) throw;
      files_.MakeFolders(root + "data\\");
      files_.WriteWhole(path, StationStateText(state));
    }
    said_ = false;
  } catch (const std::exception& e) {
    if (!std::exchange(said_, true))
      status_.Say("korv-delayed-send: the station's state cannot be written to " + path + " (" +
                      ExplainedError(AsRuntimeError(e)) + "); korvtool status cannot tell it",
                  Priority::kWarning);
  }
}

}  // namespace korv
