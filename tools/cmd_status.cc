// korvtool status: is the station working? What the running station last
// wrote of its state (after each pass, in its own folder), whether a copy
// runs, and the sends its journal holds unfinished. Reads only this
// station's own files: asking never disturbs the share or the station.

#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/station.h"
#include "engine/station_config.h"
#include "platform/host/system_host.h"
#include "scheduler/station_state_file.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

namespace fs = std::filesystem;

// A pass runs every minute; a state older than this means passes stopped.
constexpr int kStaleSeconds = 180;

struct Status {
  RunningCopy copy;
  std::string config_problem;
  bool has_state = false;
  SavedStationState state;
  long age_seconds = -1;                // of the state file
  std::vector<std::string> unfinished;  // orders whose send the journal holds
  std::string problem;                  // why the state or the journal cannot be read
};

long AgeSeconds(const fs::path& path) {
  std::error_code ec;
  const auto written = fs::last_write_time(path, ec);
  if (ec) return -1;
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::seconds>(fs::file_time_type::clock::now() - written)
          .count());
}

Status Gather(FileSystem& files) {
  Status s;
  s.copy = FindRunningCopy(files.HostPath(kInstanceLockFile));
  Station station;
  s.config_problem = StationConfigProblem(station, files);
  if (!s.config_problem.empty()) return s;
  try {
    const std::string path = StationStatePath(station.LocalRoot);
    if (files.Exists(path)) {
      s.state = ParseStationState(files.ReadFileText(path));
      s.has_state = true;
      s.age_seconds = AgeSeconds(files.HostPath(path));
    }
    for (const std::string& name : files.List(SendJournalFolder(station.LocalRoot), "*.jnl"))
      s.unfinished.push_back(name.substr(0, name.size() - 4));
  } catch (const RuntimeError& e) {
    s.problem = ExplainedError(e);
  }
  return s;
}

bool Stale(const Status& s) { return s.copy.running && s.age_seconds > kStaleSeconds; }

// What waits on a person, in a few words each; none: all is well.
std::vector<std::string> Waiting(const Status& s) {
  std::vector<std::string> waiting;
  if (!s.copy.running) waiting.push_back("the station does not run");
  if (!s.config_problem.empty()) waiting.push_back("its configuration cannot be used");
  if (!s.problem.empty()) waiting.push_back("its state cannot be read");
  if (s.copy.running && !s.has_state) waiting.push_back("no pass recorded yet");
  if (Stale(s)) waiting.push_back("its passes have stopped");
  if (s.has_state && s.state.health != "normal")
    waiting.push_back("its state is " + s.state.health);
  if (!s.unfinished.empty()) waiting.push_back("sends unfinished");
  return waiting;
}

bool AllWell(const Status& s) { return Waiting(s).empty(); }

std::string Conditions(const SavedStationState& state, const std::string& prefix) {
  std::string out;
  for (const Condition& c : state.conditions)
    if (c.key.rfind(prefix, 0) == 0)
      out += "  " + c.key.substr(prefix.size()) + ": " + c.detail + "\n";
  return out;
}

void PrintScreen(const Status& s) {
  std::cout << "station: "
            << (s.copy.running
                    ? "runs" + (s.copy.pid.empty() ? "" : " (process " + s.copy.pid + ")")
                    : std::string("does not run"))
            << "\n";
  if (!s.copy.problem.empty()) std::cout << "  cannot tell: " << s.copy.problem << "\n";
  std::cout << "configuration: " << (s.config_problem.empty() ? "ok" : s.config_problem) << "\n";
  if (!s.problem.empty()) std::cout << "fault: " << s.problem << "\n";
  if (!s.has_state) {
    std::cout << "last pass: none recorded\n";
  } else {
    std::cout << "last pass: began " << s.state.pass_began << ", ended " << s.state.pass_ended
              << (Stale(s) ? " - " + std::to_string(s.age_seconds / 60) +
                                 " minutes ago: its passes have stopped"
                           : "")
              << "\nstate: " << s.state.health << " - " << s.state.summary
              << (s.state.next_due.empty() ? "" : ", next due " + s.state.next_due) << "\n";
    if (std::string held = Conditions(s.state, "order "); !held.empty())
      std::cout << "held:\n" << held;
    if (std::string halted = Conditions(s.state, "send "); !halted.empty())
      std::cout << "sends stopped:\n" << halted;
    for (const SavedStationState::Printer& p : s.state.printers)
      std::cout << "printer " << p.name << " (" << p.destination << "): "
                << (p.held == 0 ? "keeps up"
                                : std::to_string(p.held) + " held since " + p.since +
                                      (p.problem.empty() ? "" : ", " + p.problem))
                << "\n";
  }
  for (const std::string& id : s.unfinished)
    std::cout << "unfinished send in the journal: " << id << "\n";
  std::string waiting;
  for (const std::string& w : Waiting(s)) waiting += (waiting.empty() ? "" : "; ") + w;
  std::cout << (waiting.empty() ? "all is well" : "waits on a person: " + waiting) << std::endl;
}

std::string Json(const std::string& text) {
  std::ostringstream out;
  out << '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\')
      out << '\\' << c;
    else if (c < 0x20)
      out << "\\u00"
          << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    else
      out << c;
  }
  out << '"';
  return out.str();
}

std::string JsonConditions(const SavedStationState& state, const std::string& prefix) {
  std::string out;
  for (const Condition& c : state.conditions)
    if (c.key.rfind(prefix, 0) == 0)
      out += std::string(out.empty() ? "" : ",") +
             "{\"order\":" + Json(c.key.substr(prefix.size())) + ",\"why\":" + Json(c.detail) + "}";
  return "[" + out + "]";
}

void PrintJson(const Status& s) {
  std::ostringstream out;
  out << "{\"running\":" << (s.copy.running ? "true" : "false") << ",\"pid\":" << Json(s.copy.pid)
      << ",\"configuration\":" << Json(s.config_problem.empty() ? "ok" : s.config_problem)
      << ",\"fault\":" << Json(s.problem) << ",\"pass_began\":" << Json(s.state.pass_began)
      << ",\"pass_ended\":" << Json(s.state.pass_ended)
      << ",\"state_age_seconds\":" << s.age_seconds
      << ",\"health\":" << Json(s.has_state ? s.state.health : "unknown")
      << ",\"summary\":" << Json(s.state.summary) << ",\"pending\":" << s.state.pending
      << ",\"next_due\":" << Json(s.state.next_due)
      << ",\"held\":" << JsonConditions(s.state, "order ")
      << ",\"stopped\":" << JsonConditions(s.state, "send ") << ",\"unfinished\":[";
  for (size_t i = 0; i < s.unfinished.size(); ++i) out << (i ? "," : "") << Json(s.unfinished[i]);
  out << "],\"printers\":[";
  for (size_t i = 0; i < s.state.printers.size(); ++i) {
    const SavedStationState::Printer& p = s.state.printers[i];
    out << (i ? "," : "") << "{\"name\":" << Json(p.name)
        << ",\"destination\":" << Json(p.destination) << ",\"held\":" << p.held
        << ",\"since\":" << Json(p.since) << ",\"problem\":" << Json(p.problem) << "}";
  }
  out << "],\"all_well\":" << (AllWell(s) ? "true" : "false") << "}";
  std::cout << out.str() << std::endl;
}

int RunStatus(const Args& args) {
  if (!args.positional.empty()) return UsageError("status takes no arguments");
  FileSystem files{PathMap(args.Root())};
  const Status s = Gather(files);
  if (args.Has("--json"))
    PrintJson(s);
  else
    PrintScreen(s);
  return AllWell(s) ? 0 : 1;
}

const Registration kStatus{ToolCommand{
    "status",
    "status [--json] [--root DIR]",
    "whether the station is working, and what waits on a person",
    "Shows, on one screen, whether a copy of korv-delayed-send runs on\n"
    "the station (and its process), when its last pass began and ended,\n"
    "the pending orders and the next due, the orders it holds and why,\n"
    "the sends that stopped, the tickets each printer holds, the\n"
    "unfinished sends in its journal and the state of the\n"
    "configuration. It reads what the running station writes after each\n"
    "pass (LocalRoot's data\\StationState.txt) and the station's own\n"
    "folders, never the shared PhoneOrders\\ folder. --json prints the\n"
    "same as one JSON object.\n"
    "Exit status: 0 when all is well (a copy runs, its last pass is at\n"
    "most three minutes old, nothing is held or stopped and no printer\n"
    "holds tickets), 1 when anything waits on a person, 2 for bad\n"
    "arguments.",
    {},
    RunStatus,
}};

}  // namespace
}  // namespace korv::tool
