// The station killed at a file-system call of its send, started again, and
// everything it leaves compared with what a station that was never killed
// leaves: every due order printed once on each printer it belongs to, as
// the uninterrupted run prints it; one phone order per delayed order, all
// its lines sent; counters whole and no number given twice; one SENT entry
// per order; no journal, temporary or half-written file left. At every other
// crash point the kill is taken for a power cut, which also takes the step
// marks of the journal that had not reached the disk.
//
// The station program runs under the file-system call counter
// (testing/fs_calls), which kills it with SIGKILL before its N-th call from
// the first header it reads on. The suite tries an even sample of the
// calls (KORV_CRASH_POINTS, 150 by default); KORV_CRASH_POINTS=all tries
// every one (scripts/crash-sweep.sh).
//
// The error sweep makes the N-th call fail instead (a full disk, an I/O
// error, a refused permission; that call alone, or every call from it on),
// then clears the fault and runs the station again: the faulted run must
// end, say what failed with its file, and log no order SENT whose tickets
// are not all on disk; the run after it must leave what the reference run
// leaves. KORV_ERROR_POINTS (24 by default, "all": scripts/error-sweep.sh).
//
// KORV_SWEEP_SHARE_US=N runs every station of the sweeps with its share (the
// F: drive) behind a FUSE mount that waits N microseconds on every request
// (0: the mount alone), as a share on another machine is; the suite runs a
// small sample so (CrashTest.OverAMountedShare).
//
// A number drawn just before a kill, before the journal kept it, is never
// used (never given twice): the resumed send draws the next. So the numbers
// an order got are read from what the station left, and mapped to the
// reference run's before the comparison; the three kinds are drawn from
// counters set far apart, so every three-digit number names one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/record_tables.h"
#include "platform/clock/clock.h"
#include "platform/files/file_system.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/latency_mount.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::WriteHostFile;
using Snapshot = std::map<std::string, std::string>;  // file under the root -> its bytes

const std::string kRoot = "F:\\KORVAIN\\";
constexpr int kOrders = 3;          // due; a fourth waits for tomorrow
constexpr int kSample = 150;        // crash points tried by default
constexpr int kLaterSeconds = 180;  // the restart comes three minutes after the crash

std::string BinDir() {
  const char* dir = std::getenv("KORV_TEST_BIN_DIR");
  return dir ? dir : ".";
}

// How one run of the station ended.
struct Outcome {
  bool killed = false;
  int exit_code = -1;
  int signal = 0;
};

// How a run that failed ended, for the failure's message.
std::string Ending(const Outcome& run) {
  return run.signal ? " (killed by signal " + std::to_string(run.signal) + ")"
                    : " (exit status " + std::to_string(run.exit_code) + ")";
}

// A run that has not ended by then is killed and counted as hung.
constexpr int kRunLimitSeconds = 150;

Outcome RunStation(const fs::path& root, const std::vector<std::string>& env, const fs::path& log) {
  pid_t pid = fork();
  if (pid == 0) {
    int err = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(err, 2);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    setenv("LD_PRELOAD", (BinDir() + "/libkorv_fs_calls.so").c_str(), 1);
    setenv("KORV_FS_COUNT_AFTER", "PhoneOrders", 1);
    unsetenv("DISPLAY");
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    const std::string program = BinDir() + "/korv-delayed-send";
    execl(program.c_str(), "korv-delayed-send", "--headless", "--once", "--root", root.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited) {
    if (waited == kRunLimitSeconds * 10) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return Outcome{false, -2};
    }
    usleep(100 * 1000);
  }
  Outcome run;
  run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return run;
}

// Four dir: printers: the main kitchen ticket, its KITCHEN 2 copy, the bar,
// and the grill, which takes the KITCHEN 4 station ticket and is also the
// station's own printer (so the cut after its ticket stays open until the
// send ends its documents). Paper cuts after every ticket, the kitchen
// monitor file, three due orders (one for an unknown customer) and one for
// tomorrow.
void MakeStation(const fs::path& root) {
  StationConfig c;
  for (const auto& [field, value] : std::vector<std::pair<ConfigField, std::string>>{
           {ConfigField::LocalRoot, "C:\\KORVAIN\\"},
           {ConfigField::DataRoot, kRoot},
           {ConfigField::TaxRate, ".08"},
           {ConfigField::StationPrinter, "GRILL"},
           {ConfigField::TicketSizeStep, "5"},
           {ConfigField::MainKitchenPrinter, "KITCHEN1"},
           {ConfigField::KitchenCopyPrinter, "KITCHEN2"},
           {ConfigField::BarPrinter, "BAR"},
           {StationPrinterField(1), "GRILL"},
           {ConfigField::CutAfterMainTicket, "-1"},
           {ConfigField::CutAfterBar, "-1"},
           {ConfigField::CutAfterCopy, "-1"},
           {ConfigField::KitchenMonitor, "-1"},
           {ConfigField::FeedLines, "2"}})
    c.Set(field, value);
  WriteHostFile(root / "c/Korvain/KorvINI.dat", c.bytes());
  WriteHostFile(root / "c/Korvain/printers.conf",
                "KITCHEN1 = dir:C:\\Korvain\\printed\\kitchen1\n"
                "KITCHEN2 = dir:C:\\Korvain\\printed\\kitchen2\n"
                "BAR      = dir:C:\\Korvain\\printed\\bar\n"
                "GRILL    = dir:C:\\Korvain\\printed\\grill ; default\n");
  for (const char* f : {"PhoneOrders/Deleted", "data", "KitMonitor", "Delivery/LastOrder"})
    fs::create_directories(root / "f/KORVAIN" / f);
  fs::create_directories(root / "c/Korvain/data");
  const Date today = SystemClock().Today();
  WriteHostFile(root / "f/KORVAIN/data/PioNumber.dat", "\"100\"\r\n");
  WriteHostFile(root / "f/KORVAIN/KOrdNumb.dat",
                "\"240\",\"" + DefaultDateText(today) + "\",\"0\"\r\n");
  WriteHostFile(root / "f/KORVAIN/BAROrdNumb.dat",
                "\"170\",\"" + DefaultDateText(today) + "\",\"0\"\r\n");

  FileSystem files{PathMap(root)};
  for (const auto& [n, phone, name] : std::vector<std::tuple<int, std::string, std::string>>{
           {7, "555-0199", "Margaret Hale"}, {8, "555-0188", "Tom Okafor"}}) {
    CustomerRecord customer;
    customer.Set(1, std::to_string(n));
    customer.Set(2, phone);
    customer.Set(3, name);
    WriteCustomer(files, kRoot, n, customer);
  }
  const std::string yesterday = DefaultDateText(Date::FromSerial(today.Serial() - 1));
  const std::string tomorrow = DefaultDateText(Date::FromSerial(today.Serial() + 1));
  WriteDelayedOrder(
      files, kRoot, OrderHeader{"555-0199", " 7", "Margaret Hale", "DS1", yesterday, "7:30 PM"},
      {" 2|Cheeseburger        |$23.00|CHEESEBURGER| 5 - Main Course|T|N",
       "*|No onions|$0.00|* NO ONIONS| 0 - |T|N", " 1|Draft IPA           |$6.00|IPA| 1 - |T|N",
       " 1|House Red           |$7.00|RED WINE| 2 - |T|N"});
  WriteDelayedOrder(files, kRoot,
                    OrderHeader{"555-0188", " 8", "Tom Okafor", "DS2", yesterday, "6:45 PM"},
                    {" 1|Fish and chips      |$15.00|FISH & CHIPS| 5 - Main Course|T|N",
                     "*|Extra lemon|$0.50|* {{ EXTRA LEMON }}| 0 - |T|N",
                     " 2|Cola                |$3.00|COLA| 1 - |T|N",
                     " 1|Port                |$8.00|PORT| 2 - Dessert|T|N"});
  WriteDelayedOrder(files, kRoot,
                    OrderHeader{"555-0177", " 0", "Walk-in", "DS3", yesterday, "8:15 PM"},
                    {" 3|Wings               |$27.00|WINGS| 5 - Appetizer|T|N",
                     " 1|Lemonade            |$2.50|LEMONADE| 1 - |T|N",
                     " 1|Cider               |$5.00|CIDER| 2 - |T|N"});
  WriteDelayedOrder(files, kRoot,
                    OrderHeader{"555-0199", " 7", "Margaret Hale", "DS4", tomorrow, "7:30 PM"},
                    {" 1|Soup                |$5.00|SOUP| 5 - Main Course|T|N"});
}

Snapshot Take(const fs::path& root) {
  Snapshot files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string name = fs::relative(e.path(), root).string();
    // The lock and the state of the last pass say how the station runs, not
    // what it sent: the last pass of a run that was killed is another pass.
    if (name != "c/Korvain/korv-delayed-send.lock" && name != "c/Korvain/data/StationState.txt")
      files[name] = ReadHostFile(e.path());
  }
  return files;
}

// The times of day, which differ from run to run.
std::string MaskTimes(const std::string& text) {
  static const std::regex seconds(R"(\d{1,2}:\d{2}:\d{2} [AP]M)");
  static const std::regex minutes(R"(\b\d{2}:\d{2} [AP]M)");
  return std::regex_replace(std::regex_replace(text, seconds, "<time>"), minutes, "<time>");
}

// Every three-digit number found in map, replaced by what it maps to.
std::string MapNumbers(const std::string& text, const std::map<std::string, std::string>& map) {
  static const std::regex number(R"(\b\d{3}\b)");
  std::string out;
  size_t at = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it) {
    out += text.substr(at, it->position() - at);
    auto found = map.find(it->str());
    out += found == map.end() ? it->str() : found->second;
    at = it->position() + it->length();
  }
  return out + text.substr(at);
}

std::string Find(const std::string& text, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : std::string();
}

// What tells the due orders' tickets apart: their customers.
const char* const kCustomers[kOrders] = {"Margaret Hale", "Tom Okafor", "Unknown"};
const char* const kPrinters[] = {"kitchen1", "kitchen2", "bar", "grill"};

bool IsTicket(const std::string& name, const std::string& printer) {
  const std::string folder = "c/Korvain/printed/" + printer + "/";
  return name.rfind(folder, 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".txt";
}

// The ticket of order j (1, 2, 3) on the printer, empty when there is none.
std::string Document(const Snapshot& s, const std::string& printer, int j) {
  for (const auto& [name, bytes] : s)
    if (IsTicket(name, printer) && bytes.find(kCustomers[j - 1]) != std::string::npos) return bytes;
  return {};
}

// How many tickets of order j the printers hold.
int TicketsOf(const Snapshot& s, int j) {
  int tickets = 0;
  for (const char* printer : kPrinters)
    for (const auto& [name, bytes] : s)
      tickets += IsTicket(name, printer) && bytes.find(kCustomers[j - 1]) != std::string::npos;
  return tickets;
}

std::string Log(const Snapshot& s) {
  for (const auto& [name, bytes] : s)
    if (name.size() > 15 && name.substr(name.size() - 15) == "DElayedSend.LOG") return bytes;
  return {};
}

// The phone-in, kitchen and bar numbers of each due order, in order.
std::vector<std::string> NumbersOf(const Snapshot& s, std::vector<std::string>* problems) {
  std::vector<std::string> numbers;
  const std::string log = Log(s);
  for (int j = 1; j <= kOrders; ++j) {
    const std::regex sent("Delayed Order Sent DS" + std::to_string(j) +
                          " was sent as PhoneOrder (\\d+)");
    const auto entries = std::distance(std::sregex_iterator(log.begin(), log.end(), sent), {});
    if (entries != 1)
      problems->push_back("DS" + std::to_string(j) + " has " + std::to_string(entries) +
                          " SENT entries");
    numbers.push_back(Find(log, "DS" + std::to_string(j) + " was sent as PhoneOrder (\\d+)"));
    numbers.push_back(Find(Document(s, "kitchen1", j), R"(\r\nK-(\d+)\r\n)"));
    numbers.push_back(Find(Document(s, "bar", j), R"(OrderNumber\r\n(\d+)\r\n)"));
  }
  return numbers;
}

// Every ticket, the monitor file and the archive note of one order show the
// one moment its send began, also when the send was finished by a restart.
void CheckHeldTime(const Snapshot& s, std::vector<std::string>* problems) {
  // Tickets show "7:30:20 PM", the monitor file and the note "07:30 PM".
  auto two_digit = [](std::string hhmm) { return hhmm.size() == 4 ? "0" + hhmm : hhmm; };
  for (int j = 1; j <= kOrders; ++j) {
    std::set<std::string> times;
    for (const char* printer : kPrinters)
      times.insert(two_digit(Find(Document(s, printer, j), R"((\d{1,2}:\d{2}):\d{2} ([AP]M))")));
    const std::string k = Find(Document(s, "kitchen1", j), R"(\r\nK-(\d+)\r\n)");
    auto monitor = s.find("f/KORVAIN/KitMonitor/K-" + k + ".dat");
    auto archive = s.find("f/KORVAIN/PhoneOrders/Deleted/DS" + std::to_string(j) + ".PH");
    for (auto it : {monitor, archive})
      times.insert(it == s.end() ? "none" : Find(it->second, R"((\d{2}:\d{2}) [AP]M)"));
    if (times.size() != 1)
      problems->push_back("DS" + std::to_string(j) + " shows more than one time");
  }
}

bool IsCounter(const std::string& name) {
  for (const char* counter : {"KOrdNumb.dat", "BAROrdNumb.dat", "PioNumber.dat"})
    if (fs::path(name).filename() == counter) return true;
  return false;
}

// The archive's records and the log's lines follow the order the sends
// ended in, which a halted send changes: they are compared in any order.
std::string InAnyOrder(const std::string& name, const std::string& text,
                       const std::function<std::string(const std::string&)>& masked) {
  const bool archive = name.size() > 11 && name.substr(name.size() - 11) == "KitData.Dat";
  const bool log = name.size() > 15 && name.substr(name.size() - 15) == "DElayedSend.LOG";
  if (!archive && !log) return masked(text);
  std::vector<std::string> parts;
  for (size_t at = 0; at < text.size();) {
    const size_t end = archive ? at + 2000 : text.find('\n', at) + 1;
    std::string part = masked(text.substr(at, end == 0 ? std::string::npos : end - at));
    // A record is padded to its length: a time of another width pads otherwise.
    if (archive) part.erase(part.find_last_not_of(' ') + 1);
    parts.push_back(part);
    if (end == 0) break;
    at = end;
  }
  std::sort(parts.begin(), parts.end());
  std::string sorted;
  for (const std::string& part : parts) sorted += part;
  return sorted;
}

// What the station left after a crash and a restart, against the reference.
std::vector<std::string> Compare(const Snapshot& got, const Snapshot& reference) {
  std::vector<std::string> problems;
  const std::vector<std::string> ours = NumbersOf(got, &problems);
  const std::vector<std::string> theirs = NumbersOf(reference, &problems);
  std::map<std::string, std::string> map;
  for (size_t i = 0; i < ours.size(); ++i)
    if (ours[i].empty() || !map.emplace(ours[i], theirs[i]).second)
      problems.push_back("number " + ours[i] + " missing or given twice");
  CheckHeldTime(got, &problems);
  // A printer's documents are compared as a set: an order whose send halted
  // prints after the orders sent meanwhile.
  Snapshot mapped;
  std::map<std::string, std::multiset<std::string>> docs_got, docs_ref;
  for (const auto& [name, bytes] : got) {
    if (name.rfind("c/Korvain/printed/", 0) == 0)
      docs_got[fs::path(name).parent_path().string() + fs::path(name).extension().string()].insert(
          MapNumbers(MaskTimes(bytes), map));
    else
      mapped[MapNumbers(name, map)] = InAnyOrder(
          name, bytes, [&](const std::string& t) { return MapNumbers(MaskTimes(t), map); });
  }
  for (const auto& [name, bytes] : reference)
    if (name.rfind("c/Korvain/printed/", 0) == 0)
      docs_ref[fs::path(name).parent_path().string() + fs::path(name).extension().string()].insert(
          MaskTimes(bytes));
  for (const auto& [folder, texts] : docs_ref)
    if (docs_got[folder] != texts) problems.push_back("other documents in " + folder);
  for (const auto& [name, bytes] : reference) {
    if (name.rfind("c/Korvain/printed/", 0) == 0) continue;
    auto it = mapped.find(name);
    if (it == mapped.end()) {
      problems.push_back("missing " + name);
    } else if (IsCounter(name)) {
      // Sends that ended in another order leave the counter at the same
      // count; one a number was skipped in, past it.
      auto raw = got.find(name);
      if (std::atol(Find(raw->second, R"x("(\d+)")x").c_str()) <
              std::atol(Find(bytes, R"x("(\d+)")x").c_str()) ||
          raw->second.substr(raw->second.find('"', 1)) != bytes.substr(bytes.find('"', 1)))
        problems.push_back("differs " + name + ": " + raw->second + " against " + bytes);
    } else if (it->second != InAnyOrder(name, bytes, MaskTimes)) {
      problems.push_back("differs " + name + ":\n" + it->second + "\n---- reference:\n" +
                         MaskTimes(bytes));
    }
  }
  for (const auto& [name, bytes] : mapped)
    if (!reference.count(name)) problems.push_back("left behind " + name);
  for (const auto& [folder, texts] : docs_got)
    if (!docs_ref.count(folder)) problems.push_back("documents in " + folder);
  return problems;
}

// What a power cut at the moment of the kill could also take: a journal's
// last step marks, which reach the disk only with the record after them
// (all but the marks of the deletions and of a header left behind). The
// steps they marked are then done again after the restart.
// Returns how many marks were lost.
int LoseUnsyncedMarks(const fs::path& root) {
  const fs::path journals = root / "c/Korvain/data/Journal";
  if (!fs::is_directory(journals)) return 0;
  int lost = 0;
  auto lazy = [](const std::string& line) {
    return line.rfind("step\t", 0) == 0 && line.rfind("step\tDeleting\t", 0) != 0 &&
           line.rfind("step\tHeaderLeft\t", 0) != 0;
  };
  for (const fs::directory_entry& e : fs::directory_iterator(journals)) {
    if (e.path().extension() != ".jnl") continue;
    std::vector<std::string> lines;
    std::istringstream in(ReadHostFile(e.path()));
    for (std::string line; std::getline(in, line);)
      if (!in.eof()) lines.push_back(line);  // a line without its end is no record
    for (; !lines.empty() && lazy(lines.back()); ++lost) lines.pop_back();
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    WriteHostFile(e.path(), text);
  }
  return lost;
}

// The delay of the mounted share the sweeps run over; none: a local folder.
std::optional<int> ShareDelayUs() {
  const char* v = std::getenv("KORV_SWEEP_SHARE_US");
  if (!v || !*v) return std::nullopt;
  return std::atoi(v);
}

// Why the sweeps cannot run over a mounted share as asked; empty when they
// can, or are not asked to.
std::string MountedShareProblem(const fs::path& tmp) {
  if (!ShareDelayUs()) return {};
  fs::create_directories(tmp / "probe-share");
  testing::LatencyMount probe(tmp / "probe-share", tmp / "probe", 0,
                              testing::LatencyMountProgram());
  return probe.Problem();
}

// A run's own copy of the station at root, its share mounted when asked
// (and unmounted when the copy goes).
struct RunCopy {
  RunCopy(const fs::path& station, const fs::path& root) {
    const fs::path share = root.string() + "-share";
    fs::remove_all(root);
    fs::remove_all(share);
    fs::copy(station, root, fs::copy_options::recursive);
    if (std::optional<int> delay = ShareDelayUs()) {
      mount = testing::MountDataDrive(root, *delay, share);
      EXPECT_TRUE(mount->Mounted()) << mount->Problem();
    }
  }
  std::unique_ptr<testing::LatencyMount> mount;
};

// The points to try out of the calls of an uninterrupted run: the count the
// variable asks for, or "all".
std::vector<long> Points(long calls, const char* variable = "KORV_CRASH_POINTS",
                         long default_sample = kSample) {
  const char* asked = std::getenv(variable);
  long sample =
      asked && std::string(asked) == "all" ? calls : (asked ? std::atol(asked) : default_sample);
  sample = std::max(1L, std::min(sample, calls));
  std::vector<long> points;
  for (long i = 0; i < sample; ++i) points.push_back(1 + i * calls / sample);
  return points;
}

void CheckReference(const Snapshot& s) {
  EXPECT_EQ(Log(s).find("DS4"), std::string::npos);
  EXPECT_TRUE(s.count("f/KORVAIN/PhoneOrders/DS4.PH"));
  for (int n = 101; n <= 103; ++n) {
    const std::string lines = s.at("f/KORVAIN/PhoneOrders/" + std::to_string(n) + ".Pio");
    EXPECT_EQ(lines.find("|N\""), std::string::npos) << n;
  }
  for (const char* printer : {"kitchen1", "kitchen2", "bar", "grill"})
    EXPECT_FALSE(Document(s, printer, kOrders).empty()) << printer;
}

// A station, the run that was never interrupted, and how many calls it made.
struct Reference {
  fs::path station;
  Snapshot snapshot;
  long calls = 0;
};

Reference MakeReference(const fs::path& tmp) {
  Reference r;
  r.station = tmp / "station";
  MakeStation(r.station);
  const fs::path root = tmp / "reference";
  fs::copy(r.station, root, fs::copy_options::recursive);
  const fs::path counts = tmp / "counts";
  Outcome run = RunStation(root, {"KORV_FS_COUNT_FILE=" + counts.string()}, tmp / "ref.err");
  EXPECT_EQ(run.exit_code, 0) << ReadHostFile(tmp / "ref.err");
  r.calls = std::atol(Find(ReadHostFile(counts), R"(total (\d+))").c_str());
  r.snapshot = Take(root);
  return r;
}

std::string Headlines(const std::vector<std::string>& problems) {
  std::string out;
  for (const std::string& p : problems) out += p.substr(0, p.find('\n')) + "\n";
  return out;
}

TEST(CrashTest, EveryDueOrderReachesEveryPrinterOnceWhereverTheStationIsKilled) {
  testing::TempDir tmp;
  if (const std::string why = MountedShareProblem(tmp.path()); !why.empty())
    GTEST_SKIP() << "no mounted share: " << why;
  const Reference ref = MakeReference(tmp.path());
  const fs::path& station = ref.station;
  const long calls = ref.calls;
  ASSERT_GT(calls, 100);
  const Snapshot& reference = ref.snapshot;
  CheckReference(reference);

  int tried = 0, held = 0, lost_marks = 0;
  // KORV_CRASH_AT=N tries that one point again; KORV_CRASH_POWER_CUT=1 makes
  // it a power cut.
  const char* at = std::getenv("KORV_CRASH_AT");
  const char* cut = std::getenv("KORV_CRASH_POWER_CUT");
  for (long point : at ? std::vector<long>{std::atol(at)} : Points(calls)) {
    const fs::path root = tmp.path() / "run";
    const RunCopy copy(station, root);
    const fs::path err = tmp.path() / "run.err";
    fs::remove(err);
    Outcome killed = RunStation(root, {"KORV_FS_KILL_AT=" + std::to_string(point)}, err);
    // Every other point: a power cut, not only a kill.
    const bool power_cut = at ? cut && std::string(cut) == "1" : tried % 2 == 1;
    if (power_cut) lost_marks += LoseUnsyncedMarks(root) > 0;
    Outcome again = RunStation(root, {"KORV_FS_TIME_SHIFT=" + std::to_string(kLaterSeconds)}, err);
    std::vector<std::string> problems = Compare(Take(root), reference);
    if (!killed.killed && killed.exit_code != 0) problems.push_back("the first run failed");
    if (again.exit_code != 0) problems.push_back("the restart failed" + Ending(again));
    ++tried;
    if (problems.empty()) {
      ++held;
      continue;
    }
    ADD_FAILURE() << (power_cut ? "power cut" : "killed") << " before call " << point << " of "
                  << calls << ":\n"
                  << Headlines(problems) << "(" << problems.size() << " problems)\n"
                  << ReadHostFile(err);
    if (tried - held >= 3) break;  // the first few say enough
  }
  std::cout << "crash points: tried " << tried << ", held " << held << " (of " << calls
            << " file-system calls; at " << lost_marks
            << " of them a power cut also took the last step marks)\n";
  EXPECT_EQ(held, tried);
}

// What a faulted run may leave: every order logged SENT has all its tickets
// on disk, and whatever it could not do is said with the file it concerns.
std::vector<std::string> CheckFaulted(const Snapshot& got, const Snapshot& reference,
                                      const std::string& said) {
  std::vector<std::string> problems;
  const std::string log = Log(got);
  bool all_sent = true;
  for (int j = 1; j <= kOrders; ++j) {
    const bool sent =
        log.find("Delayed Order Sent DS" + std::to_string(j) + " ") != std::string::npos;
    all_sent = all_sent && sent;
    if (sent && TicketsOf(got, j) != TicketsOf(reference, j))
      problems.push_back("DS" + std::to_string(j) + " logged SENT without all its tickets");
  }
  static const std::regex named_file(R"(korv-delayed-send: .*([A-Z]:\\|/)\S)");
  if (!all_sent && !std::regex_search(said, named_file))
    problems.push_back("an order was not sent and no file was named");
  return problems;
}

// The first line of each problem.

// An order that halted is sent after the orders behind it, so the count of
// pending orders its SENT entry and theirs give differs from a pass that
// never halted.
Snapshot WithoutPendingCounts(Snapshot s) {
  static const std::regex count(R"(a total of \d+ Delayed)");
  for (auto& [name, bytes] : s)
    if (name.find("DElayedSend.LOG") != std::string::npos)
      bytes = std::regex_replace(bytes, count, "a total of <n> Delayed");
  return s;
}

// A record the faulted run said it could not write (the monitor file, the
// archive, the last order) may stay missing: the order went all the same.
bool Excused(const std::string& problem, const std::string& said) {
  if (problem.rfind("missing ", 0) == 0)
    return said.find(fs::path(problem.substr(8)).filename().string()) != std::string::npos;
  if (problem.rfind("differs ", 0) == 0) {
    const std::string name = fs::path(problem.substr(8, problem.find(':') - 8)).filename();
    return said.find(name) != std::string::npos;
  }
  if (problem.rfind("left behind ", 0) == 0)
    return said.find(fs::path(problem.substr(12)).filename().string() + " could not be deleted") !=
           std::string::npos;
  return problem.find("shows more than one time") != std::string::npos &&
         (said.find("The kitchen monitor file") != std::string::npos ||
          said.find("its header could not be archived") != std::string::npos);
}

// What the run after a faulted one left, against the reference: the same,
// but for the order the sends ended in and the records the fault cost.
std::vector<std::string> CompareAfterFault(const Snapshot& got, const Snapshot& reference,
                                           const std::string& said) {
  std::vector<std::string> problems;
  for (const std::string& p : Compare(WithoutPendingCounts(got), WithoutPendingCounts(reference)))
    if (!Excused(p, said)) problems.push_back(p);
  return problems;
}

struct Fault {
  const char* error;
  bool from_on;  // every call from the point on fails, not that one alone
};

TEST(ErrorTest, AFailingCallHaltsTheSendAndTheNextRunFinishesIt) {
  testing::TempDir tmp;
  if (const std::string why = MountedShareProblem(tmp.path()); !why.empty())
    GTEST_SKIP() << "no mounted share: " << why;
  const Reference ref = MakeReference(tmp.path());
  ASSERT_GT(ref.calls, 100);
  const Fault faults[] = {{"ENOSPC", false}, {"EIO", true},  {"EACCES", false},
                          {"ENOSPC", true},  {"EIO", false}, {"EACCES", true}};
  int tried = 0, held = 0;
  // KORV_ERROR_AT=N with KORV_ERROR_FAULT=K (an index into faults) tries
  // that one point again.
  const char* at = std::getenv("KORV_ERROR_AT");
  const std::vector<long> points =
      at ? std::vector<long>{std::atol(at)} : Points(ref.calls, "KORV_ERROR_POINTS", 24);
  for (long point : points) {
    const char* asked = std::getenv("KORV_ERROR_FAULT");
    const Fault& fault = faults[(asked ? std::atoi(asked) : tried) % std::size(faults)];
    const fs::path root = tmp.path() / "run";
    const RunCopy copy(ref.station, root);
    const fs::path err = tmp.path() / "run.err";
    fs::remove(err);
    Outcome faulted =
        RunStation(root,
                   {"KORV_FS_FAIL_AT=" + std::to_string(point),
                    std::string("KORV_FS_FAIL_ERRNO=") + fault.error,
                    std::string("KORV_FS_FAIL_FROM_ON=") + (fault.from_on ? "1" : "0")},
                   err);
    const std::string said = ReadHostFile(err);
    std::vector<std::string> problems = CheckFaulted(Take(root), ref.snapshot, said);
    if (faulted.exit_code == -2) problems.push_back("the faulted run did not end");
    Outcome again = RunStation(root, {"KORV_FS_TIME_SHIFT=" + std::to_string(kLaterSeconds)}, err);
    for (const std::string& p : CompareAfterFault(Take(root), ref.snapshot, said))
      problems.push_back(p);
    if (again.exit_code != 0) problems.push_back("the run after the fault failed" + Ending(again));
    ++tried;
    if (problems.empty()) {
      ++held;
      continue;
    }
    ADD_FAILURE() << fault.error << (fault.from_on ? " from" : " at") << " call " << point << " of "
                  << ref.calls << ":\n"
                  << (std::getenv("KORV_ERROR_VERBOSE") ? problems.front() + "\n"
                                                        : Headlines(problems))
                  << ReadHostFile(err);
    if (tried - held >= 3) break;
  }
  std::cout << "error points: tried " << tried << ", held " << held << " (of " << ref.calls
            << " file-system calls)\n";
  EXPECT_EQ(held, tried);
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// A file system mounted for the length of a scope.
struct Mounted {
  fs::path at;
  ~Mounted() {
    if (!Shell("umount " + at.string())) ADD_FAILURE() << "cannot unmount " << at;
  }
};

// The shared tree on a real small file system, a few pages short of what the
// pass needs, then grown: the orders wait, and then go out once each.
TEST(ErrorTest, AFullShareMakesTheOrdersWaitNotVanish) {
  testing::TempDir tmp;
  const Reference ref = MakeReference(tmp.path());
  const fs::path probe = tmp.path() / "probe";
  fs::create_directories(probe);
  if (geteuid() != 0 ||
      !Shell("mount -t tmpfs -o size=1m tmpfs " + probe.string() + " 2>/dev/null"))
    GTEST_SKIP() << "mounting a small file system needs root and mount rights";
  EXPECT_TRUE(Shell("umount " + probe.string()));
  const fs::path share_files = ref.station / "f";
  long needed = 0;
  for (const auto& [name, bytes] : ref.snapshot)
    if (name.rfind("f/", 0) == 0) needed += 4096 * (1 + static_cast<long>(bytes.size()) / 4096);
  for (long short_by : {1L, 2L, 4L, 8L}) {
    SCOPED_TRACE("share " + std::to_string(short_by) + " pages short");
    const fs::path root = tmp.path() / "full";
    const fs::path share = root / "f";
    fs::remove_all(root);
    fs::copy(ref.station, root, fs::copy_options::recursive);
    fs::remove_all(share);
    fs::create_directories(share);
    const long size = std::max(4096L * 4, needed - short_by * 4096);
    ASSERT_TRUE(
        Shell("mount -t tmpfs -o size=" + std::to_string(size) + " tmpfs " + share.string()));
    const Mounted mounted{share};
    fs::copy(share_files, share, fs::copy_options::recursive);
    const fs::path err = tmp.path() / "full.err";
    fs::remove(err);
    Outcome faulted = RunStation(root, {}, err);
    EXPECT_NE(faulted.exit_code, -2) << "the run on the full share did not end";
    const std::string said = ReadHostFile(err);
    for (const std::string& p : CheckFaulted(Take(root), ref.snapshot, said))
      ADD_FAILURE() << p << "\n" << said;
    ASSERT_TRUE(Shell("mount -o remount,size=64m " + share.string()));
    Outcome again = RunStation(root, {"KORV_FS_TIME_SHIFT=" + std::to_string(kLaterSeconds)}, err);
    EXPECT_EQ(again.exit_code, 0);
    std::vector<std::string> problems = CompareAfterFault(Take(root), ref.snapshot, said);
    EXPECT_TRUE(problems.empty()) << Headlines(problems) << ReadHostFile(err);
  }
}

}  // namespace
}  // namespace korv
