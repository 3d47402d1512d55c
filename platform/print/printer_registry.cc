#include "platform/print/printer_registry.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/host/access_problem.h"
#include "platform/print/destinations.h"

namespace korv {
namespace {

struct Entry {
  std::string name;
  std::string destination;
  std::vector<std::string> options;
};

// The part of a destination and its options before a comment.
std::string CutComment(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && (i == 0 || text[i - 1] == ' ')) return text.substr(0, i);
  }
  return text;
}

// "columns = 42" reads as "columns=42".
std::string JoinedAtEquals(std::string text) {
  for (size_t eq = text.find('='); eq != std::string::npos; eq = text.find('=', eq + 1)) {
    while (eq > 0 && text[eq - 1] == ' ') text.erase(--eq, 1);
    while (eq + 1 < text.size() && text[eq + 1] == ' ') text.erase(eq + 1, 1);
  }
  return text;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + ' ') {
    if (c != ' ' && c != ';') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

// Splits one line; an empty name with a problem text for a bad line.
Entry SplitLine(const std::string& line, std::string* problem) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) {
    *problem = "no \"=\" between the device name and the destination";
    return {};
  }
  Entry e{Trim(line.substr(0, eq)), {}, {}};
  std::string rest = CutComment(line.substr(eq + 1));
  size_t semi = rest.find(';');
  e.destination = Trim(rest.substr(0, semi));
  if (semi != std::string::npos) e.options = Words(JoinedAtEquals(rest.substr(semi + 1)));
  if (e.name.empty()) *problem = "no device name before \"=\"";
  if (e.destination.empty()) *problem = "no destination after \"=\"";
  return e;
}

// The value of a whole decimal number; -1 for any other text.
int WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoi(text);
}

// A 32-bit FNV-1a hash, to tell apart two device names that would share a
// spool folder.
std::string NameHash(const std::string& name) {
  uint32_t h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  char buf[9];
  snprintf(buf, sizeof buf, "%08x", h);
  return buf;
}

// "5", "5 and 9", "3, 5 and 9".
std::string NumberList(const std::vector<int>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i)
    text += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
  return text;
}

class Parser {
 public:
  Parser(const FileSystem& files, const PrinterSetup& setup, std::ostream& warnings)
      : files_(files), setup_(setup), warnings_(warnings) {}

  void Line(std::string line, int number) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == '#') return;
    std::string problem;
    Entry e = SplitLine(line, &problem);
    if (!problem.empty()) return Warn(number, problem + "; line skipped");
    if (Repeats(e.name, number)) return;
    Options o;
    for (const std::string& option : e.options) Option(option, number, o);
    MadeDestination made = Make(e.name, e.destination, o.red, o.paper, o.ask_status);
    // A printer that cannot print stays listed under its name, so that its
    // tickets wait for it rather than going to another printer.
    if (!made.destination) {
      made.destination = std::make_unique<UnavailableDestination>(e.destination);
      made.problem += "; the printer is listed but cannot print";
    }
    if (!made.problem.empty()) Warn(number, made.problem);
    if (o.is_default) out_.current = static_cast<int>(out_.printers.size());
    if (!o.backup.empty())
      backups_.push_back({out_.printers.size(), o.backup, o.backup_after, number});
    out_.printers.push_back(InstalledPrinter{e.name, std::move(made.destination), o.red, o.paper});
    in_file_.push_back(Lower(e.destination));
    lines_of_[e.name] = {number};
  }

  // The CUPS server's queues that the file does not already name.
  void CupsQueues(const std::vector<std::string>& queues) {
    for (const std::string& queue : queues) {
      if (Named(queue)) continue;
      MadeDestination made = Make(queue, "cups:" + queue, false);
      if (made.destination)
        out_.printers.push_back(InstalledPrinter{queue, std::move(made.destination), false});
    }
  }

  InstalledPrinters Finish() {
    SayRepeatedNames();
    for (const Backup& b : backups_) SetBackup(b);
    if (out_.current < 0 && !out_.printers.empty()) out_.current = 0;
    return std::move(out_);
  }

 private:
  struct Options {
    bool red = false;
    bool is_default = false;
    PaperSetup paper;
    bool ask_status = true;
    std::string backup;
    int backup_after = 60;
  };

  struct Backup {
    size_t printer;
    std::string name;
    int after;
    int line;
  };

  // The printer a "backup=" names: its whole device name, else the first
  // whose name begins with it (letter case aside); -1 when none.
  int BackupNamed(const std::string& name) const {
    for (size_t i = 0; i < out_.printers.size(); ++i)
      if (Lower(out_.printers[i].device_name) == Lower(name)) return static_cast<int>(i);
    for (size_t i = 0; i < out_.printers.size(); ++i)
      if (StartsWith(Lower(out_.printers[i].device_name), Lower(name))) return static_cast<int>(i);
    return -1;
  }

  void SetBackup(const Backup& b) {
    auto* printer = dynamic_cast<SpooledDestination*>(out_.printers[b.printer].destination.get());
    const int found = BackupNamed(b.name);
    auto* backup = found < 0 ? nullptr
                             : dynamic_cast<SpooledDestination*>(
                                   out_.printers[static_cast<size_t>(found)].destination.get());
    std::string problem;
    if (!printer)
      problem = "only a network, device or CUPS printer can have a backup";
    else if (found < 0)
      problem = "no printer is named \"" + b.name + "\"";
    else if (!backup)
      problem = "\"" + b.name + "\" is not a network, device or CUPS printer";
    else if (backup == printer)
      problem = "a printer cannot be its own backup";
    if (!problem.empty())
      return Warn(b.line, "\"backup=" + b.name + "\": " + problem + "; ignored");
    printer->SetBackup(backup, std::chrono::seconds(b.after));
  }

  // A device name installed by an earlier line: the printers are picked by
  // name, so the later line could only ever shadow the first or be shadowed.
  bool Repeats(const std::string& name, int number) {
    auto installed = lines_of_.find(name);
    if (installed == lines_of_.end()) return false;
    installed->second.push_back(number);
    return true;
  }

  // One warning a device name listed more than once, with all its lines.
  void SayRepeatedNames() {
    for (const InstalledPrinter& p : out_.printers) {
      auto it = lines_of_.find(p.device_name);
      if (it == lines_of_.end() || it->second.size() < 2) continue;
      const std::vector<int>& lines = it->second;
      const std::vector<int> skipped(lines.begin() + 1, lines.end());
      warnings_ << kPrintersConf << " lines " << NumberList(lines) << ": the device name \""
                << p.device_name << "\" is listed " << lines.size() << " times; line " << lines[0]
                << " is used, line" << (skipped.size() > 1 ? "s " : " ") << NumberList(skipped)
                << " skipped" << std::endl;
    }
  }

  void Option(const std::string& option, int number, Options& o) {
    size_t eq = option.find('=');
    std::string name = Lower(option.substr(0, eq));
    std::string value = eq == std::string::npos ? "" : option.substr(eq + 1);
    if (name == "red") {
      o.red = true;
    } else if (name == "columns") {
      Columns(value, number, o.paper);
    } else if (name == "codepage") {
      CodePageOption(value, number, o.paper);
    } else if (name == "status" && (Lower(value) == "off" || Lower(value) == "on")) {
      o.ask_status = Lower(value) == "on";
    } else if (name == "backup" && !value.empty()) {
      o.backup = value;
    } else if (name == "backup_after") {
      const int seconds = WholeNumber(value);
      if (seconds >= 1 && seconds <= 3600)
        o.backup_after = seconds;
      else
        Warn(number, "\"backup_after=" + value + "\" is not 1 to 3600 seconds; 60 kept");
    } else if (name != "default") {
      Warn(number, "unknown option \"" + option + "\" ignored");
    } else if (out_.current >= 0) {
      Warn(number, "another printer is already marked default; that one stays current");
    } else {
      o.is_default = true;
    }
  }

  void Columns(const std::string& value, int number, PaperSetup& paper) {
    if (std::optional<int> columns = ColumnsValue(value)) {
      paper.columns = *columns;
    } else {
      Warn(number, "\"columns=" + value + "\" is not a number of columns from " +
                       std::to_string(kFewestColumns) + " to " + std::to_string(kMostColumns) +
                       "; ignored");
    }
  }

  void CodePageOption(const std::string& value, int number, PaperSetup& paper) {
    if (std::optional<CodePage> page = CodePageNumbered(WholeNumber(value))) {
      paper.code_page = *page;
    } else {
      Warn(number, "\"codepage=" + value + "\" is not 1252, 858 or 437; 1252 kept");
    }
  }

  MadeDestination Make(const std::string& name, const std::string& destination, bool red,
                       const PaperSetup& paper = {}, bool ask_status = true) {
    return MakeDestination({destination, name, red, paper, SpoolFolder(name), ask_status}, files_,
                           setup_);
  }

  // Two names that differ only in case or punctuation keep apart.
  std::string SpoolFolder(const std::string& name) {
    std::string folder = SpoolFolderName(name);
    if (!folders_.insert(folder).second) folder.append("-").append(NameHash(name));
    folders_.insert(folder);
    return folder;
  }

  // A queue already listed under its own name or used by a file entry.
  bool Named(const std::string& queue) const {
    for (const InstalledPrinter& p : out_.printers)
      if (p.device_name == queue) return true;
    return std::find(in_file_.begin(), in_file_.end(), Lower("cups:" + queue)) != in_file_.end();
  }

  void Warn(int number, const std::string& text) {
    warnings_ << kPrintersConf << " line " << number << ": " << text << std::endl;
  }

  const FileSystem& files_;
  const PrinterSetup& setup_;
  std::ostream& warnings_;
  InstalledPrinters out_;
  std::set<std::string> folders_;
  std::vector<Backup> backups_;
  std::vector<std::string> in_file_;  // destinations as written, lower case
  // The lines naming each device name the file installs, the installing one first.
  std::map<std::string, std::vector<int>> lines_of_;
};

}  // namespace

std::optional<int> ColumnsValue(const std::string& text) {
  int columns = WholeNumber(text);
  if (columns < kFewestColumns || columns > kMostColumns) return std::nullopt;
  return columns;
}

InstalledPrinters ParsePrintersConf(std::string_view text, const FileSystem& files,
                                    const PrinterSetup& setup, std::ostream& warnings) {
  Parser parser(files, setup, warnings);
  int number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    parser.Line(std::string(text.substr(start, end - start)), ++number);
    start = end + 1;
  }
  if (setup.cups_queues) parser.CupsQueues(setup.cups_queues());
  return parser.Finish();
}

InstalledPrinters LoadInstalledPrinters(FileSystem& files, const PrinterSetup& setup,
                                        std::ostream& warnings) {
  std::string text;
  const auto host = files.HostPath(kPrintersConf);
  if (files.Exists(kPrintersConf)) {
    try {
      text = files.ReadFileText(kPrintersConf);
    } catch (const RuntimeError& e) {
      warnings << kPrintersConf << " (" << host.string()
               << "): " << ExplainedFileError(e, host, Access::kRead) << "; no printers of its own"
               << std::endl;
    }
  } else if (std::string problem = AccessProblem(host, Access::kRead);
             problem.rfind("does not exist", 0) != 0) {
    // Hidden from this user rather than absent: a station without its own
    // printers must not pass unnoticed.
    warnings << kPrintersConf << " (" << host.string() << ") " << problem
             << "; no printers of its own" << std::endl;
  }
  return ParsePrintersConf(text, files, setup, warnings);
}

InstalledPrinters LoadInstalledPrinters(FileSystem& files, std::ostream& warnings) {
  return LoadInstalledPrinters(files, PrinterSetup::Station(), warnings);
}

}  // namespace korv
