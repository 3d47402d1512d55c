// korvtool check: what a technician runs on a new or failing station. One
// line a finding ("ok: ...", "warning: ...", "fault: ..."), in the order the
// station meets them at start-up and in a send, and exit status 1 when any
// fault was found. It only looks: nothing is written or printed, and a file
// is locked only for as long as it is read.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/station.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/station_config.h"
#include "platform/clock/station_settings.h"
#include "platform/files/open_file_guard.h"
#include "platform/host/access_problem.h"
#include "platform/host/system_host.h"
#include "platform/mail/mail_settings.h"
#include "platform/print/printer_registry.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

// How long a printer may take to answer.
constexpr auto kPrinterWait = std::chrono::seconds(2);

class Findings {
 public:
  explicit Findings(const FileSystem& files) : files_(files) {}
  void Ok(const std::string& text) { Line("ok", text); }
  void Warning(const std::string& text) {
    ++warnings_;
    Line("warning", text);
  }
  void Fault(const std::string& text) {
    ++faults_;
    Line("fault", text);
  }
  // A station path with the host path it stands for.
  std::string Where(const std::string& path) const {
    return path + " (" + files_.HostPath(path).string() + ")";
  }
  int faults() const { return faults_; }
  int warnings() const { return warnings_; }

 private:
  static void Line(const char* tag, const std::string& text) {
    std::cout << tag << ": " << text << std::endl;
  }
  const FileSystem& files_;
  int faults_ = 0;
  int warnings_ = 0;
};

// Reads KorvINI.dat into the station as start-up does; false when there is
// nothing to go on. A record cut short is a fault, yet its fields are
// looked at.
bool CheckConfiguration(FileSystem& files, Station& station, Findings& out) {
  try {
    ReadStationConfigFile(station, files);
  } catch (const RuntimeError& e) {
    out.Fault(out.Where(station.WorkPath) + " cannot be read: " +
              ExplainedFileError(e, files.HostPath(station.WorkPath), Access::kRead));
    return false;
  }
  const std::string& path = station.WorkPath;
  const std::string problem = ConfigFileProblem(files, path);
  if (problem.empty()) {
    out.Ok(path + " read: LocalRoot " + station.LocalRoot + ", DataRoot " + station.DataRoot);
    return true;
  }
  const bool missing = problem.rfind("does not exist", 0) == 0;
  const bool there = files.Exists(path);
  out.Fault(out.Where(path) + " " + problem + ": the station sends nothing until it " +
            (missing ? "does (korvtool init makes one)"
             : there ? "is whole"
                     : "can read it"));
  return there && files.FileLen(path) > 0;
}

// False when the root cannot be used to build paths: the paths under it
// would only repeat the one fault.
bool CheckRootText(const std::string& name, ConfigField field, const std::string& value,
                   const std::string& example, const std::string& root, Findings& out) {
  const std::string problem = RootTextProblem(value, example);
  if (problem.empty()) return true;
  const std::string number = std::to_string(FieldNumber(field));
  std::string fault = name + " (field " + number + ") " + problem;
  if (!value.empty())
    fault += "; set it with: korvtool config set " + number + " '" + value + "\\' --root " + root;
  out.Fault(fault);
  return false;
}

// False when the folder cannot be entered, so nothing under it can be
// looked at.
bool CheckFolder(const FileSystem& files, const std::string& path, const std::string& holds,
                 Findings& out) {
  const auto host = files.HostPath(path);
  std::string problem = FolderWriteProblem(host);
  if (problem.empty()) {
    out.Ok(path + " (" + holds + ") is writable");
    return true;
  }
  if (problem != "does not exist" && problem != "is not a folder")
    if (std::string who = AccessProblem(host, Access::kReadWrite); !who.empty()) problem = who;
  out.Fault(out.Where(path) + ", " + holds + ": " + problem);
  return access(host.c_str(), X_OK) == 0;
}

void CheckSharedFolders(const FileSystem& files, const Station& station, Findings& out) {
  const std::string& data = station.DataRoot;
  std::vector<std::pair<std::string, std::string>> folders = {
      {PhoneOrdersFolder(data), "delayed orders, phone orders, the delayed-send log"},
      {ArchiveFolder(data), "the sent delayed orders"},
      {data + "data\\", "the phone-in counter, the customer file"},
      {LastOrderFolder(data), "the customers' last orders"},
  };
  if (SwitchOn(station, ConfigField::KitchenMonitor))
    folders.emplace_back(data + "KitMonitor\\",
                         "kitchen monitor files, field " +
                             std::to_string(FieldNumber(ConfigField::KitchenMonitor)) + " is -1");
  for (const auto& [path, holds] : folders) CheckFolder(files, path, holds, out);
}

bool IsCount(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Why a counter's text is not the one quoted line of `fields` fields the
// stations write (a count, and for a daily counter its day and a spare);
// empty when it is.
std::string CounterProblem(const std::string& text, size_t fields) {
  if (text.empty()) return "is empty";
  QuotedReader reader(text);
  std::vector<std::string> f;
  try {
    f = reader.ReadFields(fields);
  } catch (const RuntimeError&) {
    return "is cut short: fewer than " + std::to_string(fields) + " fields";
  }
  if (!reader.AtEnd()) return "holds more than one line of " + std::to_string(fields) + " fields";
  if (!IsCount(Trim(f[0]))) return "holds the count \"" + f[0] + "\", which is not a number";
  if (fields == 3) {
    try {
      ParseDate(Trim(f[1]));
    } catch (const RuntimeError&) {
      return "holds the day \"" + f[1] + "\", which is not a date";
    }
  }
  return {};
}

void CheckCounter(FileSystem& files, const std::string& path, size_t fields, Findings& out) {
  if (!files.Exists(path)) {
    out.Ok(path + " does not exist yet; the first draw makes it");
    return;
  }
  const auto host = files.HostPath(path);
  if (std::string problem = AccessProblem(host, Access::kReadWrite); !problem.empty()) {
    out.Fault(out.Where(path) + " " + problem);
    return;
  }
  std::string text;
  try {
    OpenFileGuard file(files, files.Open(path, OpenMode::kReadWrite));
    files.Lock(file.number());
    text = files.ReadAll(file.number());
  } catch (const RuntimeError& e) {
    out.Fault(out.Where(path) +
              " cannot be read and written: " + ExplainedFileError(e, host, Access::kReadWrite));
    return;
  }
  std::string problem = CounterProblem(text, fields);
  if (problem.empty())
    out.Ok(path + " holds " + Trim(text.substr(0, text.find_first_of("\r\n"))));
  else
    out.Fault(path + " " + problem);
}

void CheckCounters(FileSystem& files, const Station& station, Findings& out) {
  CheckCounter(files, station.DataRoot + "data\\PioNumber.dat", 1, out);
  CheckCounter(files, station.DataRoot + "KOrdNumb.dat", 3, out);
  CheckCounter(files, station.DataRoot + "BAROrdNumb.dat", 3, out);
}

void CheckData(FileSystem& files, const Station& station, const std::string& root, Findings& out) {
  bool local = CheckRootText("LocalRoot", ConfigField::LocalRoot, station.LocalRoot,
                             "data\\KitData.Dat", root, out);
  if (local) CheckFolder(files, station.LocalRoot + "data\\", "the kitchen ticket archive", out);
  if (!CheckRootText("DataRoot", ConfigField::DataRoot, station.DataRoot, "PhoneOrders\\", root,
                     out))
    return;
  if (!CheckFolder(files, station.DataRoot, "the shared tree, the kitchen and bar counters", out))
    return;  // nothing under it can be there
  CheckSharedFolders(files, station, out);
  CheckCounters(files, station, out);
}

void CheckPrinters(FileSystem& files, Findings& out) {
  const std::string problem = AccessProblem(files.HostPath(kPrintersConf), Access::kRead);
  if (problem.rfind("does not exist", 0) == 0) {
    out.Warning(out.Where(kPrintersConf) + " " + problem +
                ": the station prints only on the CUPS server's queues");
    return;
  }
  std::ostringstream warnings;
  PrinterSetup setup;  // sends nothing; the CUPS server's other queues are not asked for
  InstalledPrinters installed = LoadInstalledPrinters(files, setup, warnings);
  std::istringstream lines(warnings.str());
  for (std::string line; std::getline(lines, line);) out.Fault(line);
  if (installed.printers.empty() && problem.empty())
    out.Fault(std::string(kPrintersConf) + " names no printer");
  for (const InstalledPrinter& p : installed.printers) {
    if (!p.destination) continue;  // its line's fault is said above
    std::string name = "printer " + p.device_name + " (" + p.destination->Describe() + ")";
    std::string problem = p.destination->Check(kPrinterWait);
    if (!problem.empty()) {
      out.Fault(name + ": " + problem);
      continue;
    }
    const PrinterCondition condition = p.destination->Ask(kPrinterWait);
    const std::string says =
        condition == PrinterCondition::kUnknown
            ? std::string(" can be reached (its condition is not known)")
            : std::string(" can be reached and reports ") + ConditionText(condition);
    if (HoldsTickets(condition))
      out.Fault(name + says + ": its tickets wait until it reports ready");
    else if (condition == PrinterCondition::kPaperNearEnd)
      out.Warning(name + says);
    else
      out.Ok(name + says);
  }
}

// A password in a file every user of the machine may read is a password
// given away.
void CheckMailPassword(const FileSystem& files, const MailSettings& settings, Findings& out) {
  struct stat st;
  const auto host = files.HostPath(kMailSettingsPath);
  if (settings.password.empty() || stat(host.c_str(), &st) != 0 || !(st.st_mode & S_IROTH)) return;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  out.Warning(out.Where(kMailSettingsPath) + " holds a password and every user may read it (mode " +
              mode + "): sudo chmod o-rwx " + host.string());
}

void CheckMail(FileSystem& files, Findings& out) {
  const std::string problem = AccessProblem(files.HostPath(kMailSettingsPath), Access::kRead);
  if (problem.rfind("does not exist", 0) == 0) {
    out.Warning(out.Where(kMailSettingsPath) + " " + problem +
                ": the log viewer cannot mail the trace log to technical support");
    return;
  }
  try {
    MailSettings settings = ReadMailSettings(files);
    out.Ok(std::string(kMailSettingsPath) + " read: mail to " + BareAddress(settings.to) +
           " goes through " + RedactedUrl(settings.server));
    CheckMailPassword(files, settings, out);
  } catch (const RuntimeError& e) {
    out.Fault(e.description());
  }
}

// How the station reads the peers' all-number send dates, and how long it
// keeps the files it writes.
void CheckStationSettings(const FileSystem& files, Findings& out) {
  try {
    const bool there = files.Exists(kStationSettingsPath);
    const StationSettings settings = ReadStationSettings(files);
    out.Ok(std::string(kStationSettingsPath) + (there ? " read" : " does not exist") +
           ": send dates are read as " + DateOrderName(settings.date_order) +
           ", the files the station writes are kept " + std::to_string(settings.retention_days) +
           " days" + (there ? "" : " (the defaults)"));
  } catch (const RuntimeError& e) {
    out.Fault(e.description() + ": the station sends no order until it is mended");
  }
}

void CheckRunningCopy(const FileSystem& files, Findings& out) {
  RunningCopy copy = FindRunningCopy(files.HostPath(kInstanceLockFile));
  if (!copy.problem.empty())
    out.Warning("cannot tell whether korv-delayed-send runs on this station: " + copy.problem);
  else if (copy.running)
    out.Ok("korv-delayed-send runs on this station" +
           (copy.pid.empty() ? std::string() : " (process " + copy.pid + ")"));
  else
    out.Ok("no copy of korv-delayed-send runs on this station");
}

int RunCheck(const Args& args) {
  if (!args.positional.empty()) return UsageError("check takes no arguments");
  FileSystem files{PathMap(args.Root())};
  Findings out(files);
  if (geteuid() == 0)
    out.Warning(
        "run as root: every file counts as writable; run the check as the user the station "
        "runs as (the service's: sudo -u korvain korvtool check)");
  Station station;
  if (CheckConfiguration(files, station, out)) CheckData(files, station, args.Root(), out);
  CheckFolder(files, "C:\\Korvain\\", "the station's own: lock file, print spools, trace log", out);
  CheckPrinters(files, out);
  CheckStationSettings(files, out);
  CheckMail(files, out);
  CheckRunningCopy(files, out);
  std::cout << "check: " << out.faults() << (out.faults() == 1 ? " fault, " : " faults, ")
            << out.warnings() << (out.warnings() == 1 ? " warning" : " warnings") << std::endl;
  return out.faults() == 0 ? 0 : 1;
}

const Registration kCheck{ToolCommand{
    "check",
    "check [--root DIR]",
    "check a station: configuration, folders, counters, printers, mail",
    "Looks the station over as the station program would meet it, and\n"
    "prints one line a finding, \"ok:\", \"warning:\" or \"fault:\":\n"
    "  - C:\\Korvain\\KorvINI.dat exists, is whole and can be read (not\n"
    "    locked);\n"
    "  - LocalRoot and DataRoot end with a backslash; DataRoot and the\n"
    "    shared folders PhoneOrders\\, PhoneOrders\\Deleted\\, data\\,\n"
    "    Delivery\\LastOrder\\ (and KitMonitor\\ when field 107 is -1)\n"
    "    exist and can be written, and so can LocalRoot's data\\;\n"
    "  - the counters data\\PioNumber.dat, KOrdNumb.dat and\n"
    "    BAROrdNumb.dat can be read and written and hold one quoted line\n"
    "    (a count; a day and a spare);\n"
    "  - each printer of C:\\Korvain\\printers.conf answers: a TCP\n"
    "    connection for socket://, the device opens for writing, the\n"
    "    CUPS queue exists and is a raw queue that runs and accepts\n"
    "    jobs, a dir: folder can be written; a ticket printer that\n"
    "    reports no paper, its cover open or offline is a fault, paper\n"
    "    near its end a warning;\n"
    "  - C:\\Korvain\\station.conf can be used (the order of day and month\n"
    "    in send dates, how many days files are kept);\n"
    "  - C:\\Korvain\\mail.conf can be read;\n"
    "  - whether a copy of korv-delayed-send runs on the station.\n"
    "Nothing is written or printed. Run it as the user the station runs\n"
    "as, so that \"writable\" means writable for the station.\n"
    "Exit status: 0 when nothing is wrong (warnings allowed), 1 when a\n"
    "fault was found or this user may not use the station root, 2 for\n"
    "bad arguments or a station root that is not a folder.",
    {},
    RunCheck,
}};

}  // namespace
}  // namespace korv::tool
