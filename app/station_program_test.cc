// The station program run as an administrator runs it: korv-delayed-send
// --once on a station tree, and every file it leaves compared byte for byte.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/date_time.h"
#include "common/record_tables.h"
#include "common/val.h"
#include "platform/clock/clock.h"
#include "platform/files/file_system.h"
#include "platform/print/ticket_headings.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/program_run.h"
#include "testing/smtp_sink.h"
#include "testing/tcp_test_printer.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::ReadHostFile;
using testing::WriteHostFile;

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kRule(57, '_');

std::string Program(const char* name) {
  const char* dir = std::getenv("KORV_TEST_BIN_DIR");
  return std::string(dir ? dir : ".") + "/" + name;
}

int RunCommand(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string HostName() {
  char buf[256] = {};
  gethostname(buf, sizeof buf - 1);
  std::string name = buf;
  return name.substr(0, name.find('.'));
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// A datagram socket in the test's folder in the place of systemd's notify
// socket: what the station tells systemd, one message a datagram.
class NotifySocket {
 public:
  explicit NotifySocket(const std::filesystem::path& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~NotifySocket() { close(fd_); }
  bool Bound() const { return bound_; }
  const std::filesystem::path& Path() const { return path_; }
  // The messages sent since the last call, each ended by a line end.
  std::string Messages() {
    std::string messages;
    char buf[4096];
    for (ssize_t n; (n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT)) >= 0;)
      messages.append(buf, size_t(n)) += "\n";
    return messages;
  }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  bool bound_ = false;
};

class StationProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    StationConfig c;
    for (const auto& [n, v] : std::vector<std::pair<ConfigField, std::string>>{
             {ConfigField::LocalRoot, "C:\\KORVAIN\\"},
             {ConfigField::DataRoot, kRoot},
             {ConfigField::TaxRate, ".08"},
             {ConfigField::StationPrinter, "OFFICE"},
             {ConfigField::TicketSizeStep, "5"},
             {ConfigField::MainKitchenPrinter, "KITCHEN1"},
             {ConfigField::BarPrinter, "BAR"},
             {ConfigField::KitchenCopyPrinter, "NONE"},
             {ConfigField::KitchenMonitor, "-1"}})
      c.Set(n, v);
    WriteHostFile(dir.path() / "c/Korvain/KorvINI.dat", c.bytes());
    WriteHostFile(dir.path() / "c/Korvain/printers.conf",
                  "KITCHEN1 TM-U220 = dir:C:\\Korvain\\printed\\kitchen1\n"
                  "BAR TM-T88       = dir:C:\\Korvain\\printed\\bar\n"
                  "OFFICE           = dir:C:\\Korvain\\printed\\office ; default\n");
    for (const char* f : {"PhoneOrders/Deleted", "data", "KitMonitor", "Delivery/LastOrder"})
      std::filesystem::create_directories(dir.path() / "f/KORVAIN" / f);
    std::filesystem::create_directories(dir.path() / "c/Korvain/data");
    CustomerRecord customer;
    customer.Set(1, "7");
    customer.Set(2, "207-555-0107");
    customer.Set(3, "Margaret Hale");
    WriteCustomer(files, kRoot, 7, customer);
    yesterday = DefaultDateText(Date::FromSerial(SystemClock().Today().Serial() - 1));
    WriteDelayedOrder(
        files, kRoot,
        OrderHeader{"207-555-0107", " 7", "Margaret Hale", "DS1", yesterday, "7:30 PM"},
        {" 2|Cheeseburger        |$23.00|CHEESEBURGER| 5 - Main Course|T|N",
         " 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  }
  std::string Read(const std::string& relative) { return ReadHostFile(dir.path() / relative); }

  testing::TempDir dir;
  FileSystem files{PathMap(dir.path())};
  std::string yesterday;
};

TEST_F(StationProgram, OncePassSendsTheDueOrderAndLeavesEveryFileAsTheStationsExpect) {
  const DateTime before = SystemClock().Now();
  ASSERT_EQ(RunCommand(Program("korv-delayed-send") + " --headless --once --root " +
                       dir.path().string() + " 2>" + (dir.path() / "stderr.txt").string()),
            0);
  const DateTime after = SystemClock().Now();
  EXPECT_NE(Read("stderr.txt").find("sent DS1 as phone order 1 for Margaret Hale"),
            std::string::npos);
  // The time of the send shows in a few files; it is either minute.
  auto either = [&](const std::string& got, auto expected) {
    EXPECT_TRUE(got == expected(before) || got == expected(after)) << got;
  };

  const std::string sent_rows =
      Lines({"\" 2|Cheeseburger        |$23.00|CHEESEBURGER| 5 - Main Course|T|Y\"",
             "\" 1|Draft IPA           |$6.00|IPA| 1 - |T|Y\""});
  EXPECT_EQ(Read("f/KORVAIN/data/PioNumber.dat"), "\"1\"\r\n");
  EXPECT_EQ(Read("f/KORVAIN/PhoneOrders/1.PH"),
            "\"207-555-0107\",\" 7\",\"Margaret Hale                 \",\"1\",\"" + yesterday +
                "\",\"7:30 PM\"\r\n");
  EXPECT_EQ(Read("f/KORVAIN/PhoneOrders/1.Pio"), sent_rows);
  EXPECT_EQ(Read("f/KORVAIN/Delivery/LastOrder/207-555-0107.Dat"), sent_rows);
  EXPECT_EQ(Read("f/KORVAIN/PhoneOrders/Deleted/DS1.Pio"),
            Lines({"\" 2|Cheeseburger        |$23.00|CHEESEBURGER| 5 - Main Course|T|N\"",
                   "\" 1|Draft IPA           |$6.00|IPA| 1 - |T|N\""}));
  either(Read("f/KORVAIN/PhoneOrders/Deleted/DS1.PH"), [&](const DateTime& t) {
    return "\"207-555-0107\",\" 7\",\"Margaret Hale\",\"1\",\"" + yesterday +
           "\",\"7:30 PM\",\"Delayed Order DS1 - Sent as 1  Sent to kitchen at " +
           FormatHHMMAmPm(t.seconds) + "\"\r\n";
  });
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "f/KORVAIN/PhoneOrders/DS1.PH"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "f/KORVAIN/PhoneOrders/DS1.Pio"));
  EXPECT_EQ(Read("f/KORVAIN/PhoneOrders/" + FormatMMYY(before.date) + "DElayedSend.LOG"),
            Lines({"\"*******************  SENT  ********************\"",
                   "\"Delayed Order Sent DS1 was sent as PhoneOrder 1\"",
                   "\" - Order is for customer MARGARET HALE\"",
                   "\" - Order was scheduled to be sent at 7:30 PM on " + yesterday + "\"",
                   "\" - including this Order ther were a total of 1 Delayed orders pending "
                   "when this order was sent\"",
                   "\"*******************************************\""}));
  const std::string today = DefaultDateText(before.date);
  EXPECT_EQ(Read("f/KORVAIN/KOrdNumb.dat"), "\"1\",\"" + today + "\",\"0\"\r\n");
  EXPECT_EQ(Read("f/KORVAIN/BAROrdNumb.dat"), "\"1\",\"" + today + "\",\"0\"\r\n");
  either(Read("f/KORVAIN/KitMonitor/00K-1.dat"), [&](const DateTime& t) {
    return Lines({"\"Phone IN 1\"",
                  "\"K-1  -  " + FormatHHMMAmPm(t.seconds) + " - " + HostName() + "\""}) +
           sent_rows;
  });

  // The main kitchen ticket: the kitchen line only (the drink went to the bar).
  const std::string kitchen_line = " 2   CHEESEBURGER" + std::string(27, ' ');
  auto ticket = [&](const DateTime& t) {
    return Lines({"KITCHEN", "ORDER", "K-1", "Phone In", kRule, "  Margaret Hale",
                  DefaultTimeText(t.seconds) + "  " + DefaultDateText(t.date), kitchen_line, "",
                  kRule, "", "", "  Margaret Hale", "TAKE OUT", "Station -" + HostName(),
                  "DELAYED order for Margaret Hale 207-555-0107        ", "..... END Order K-1",
                  ""});
  };
  std::string kitchen = Read("c/Korvain/printed/kitchen1/000001.txt");
  // The time line carries seconds: compare it apart from the rest.
  size_t at = kitchen.find(DefaultDateText(before.date) + "\r\n");
  ASSERT_NE(at, std::string::npos) << kitchen;
  size_t line_start = kitchen.rfind("\r\n", at) + 2;
  std::string time_line = kitchen.substr(line_start, at - line_start);
  DateTime printed_at = before;
  printed_at.seconds = ParseTime(time_line.substr(0, time_line.find("  ")));
  EXPECT_EQ(kitchen, ticket(printed_at));
  EXPECT_NE(Read("c/Korvain/printed/bar/000001.txt").find(" 1   Draft IPA"), std::string::npos);

  // The archive keeps the kitchen ticket as record 1 of 2000 bytes.
  std::string archive = Read("c/Korvain/data/KitData.Dat");
  ASSERT_EQ(archive.size(), 2000u);
  EXPECT_EQ(archive.substr(0, 41), "Kitchen\r\nOrder\r\nK-1\r\nRe-Print\r\nPhone In\r\n");
  EXPECT_NE(archive.find(kitchen_line + "\r\n" + std::string(33, '_') +
                         "\r\nServer\r\n\r\nStation\r\n" + HostName()),
            std::string::npos);
}

TEST_F(StationProgram, ASecondCopyIsRefusedAndBadArgumentsAreSaid) {
  // A running copy holds the station; a second one says so and ends with 1,
  // touching neither the spools nor the journal, which are the first one's.
  WriteHostFile(dir.path() / "c/Korvain/printers.conf",
                "KITCHEN1 TM-U220 = dir:C:\\Korvain\\printed\\kitchen1\n"
                "SPARE            = socket://127.0.0.1:" +
                    std::to_string(testing::UnusedLoopbackPort()) +
                    "\n"
                    "OFFICE           = dir:C:\\Korvain\\printed\\office ; default\n");
  const std::filesystem::path spool = dir.path() / "c/Korvain/spool/spare";
  const std::filesystem::path journal = dir.path() / "c/Korvain/data/Journal";
  std::string root = dir.path().string();
  const std::filesystem::path first_err = dir.path() / "first.txt";
  pid_t first = fork();
  if (first == 0) {
    if (!freopen(first_err.c_str(), "w", stderr)) _exit(127);
    execl(Program("korv-delayed-send").c_str(), "korv-delayed-send", "--headless", "--root",
          root.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Up and watching: it has finished what it found at its start.
  for (int i = 0; i < 100 && Read("first.txt").find("watching") == std::string::npos; ++i)
    usleep(100000);
  std::vector<std::filesystem::path> left;  // by a station killed earlier
  for (const auto& folder : {spool, journal}) {
    std::filesystem::create_directories(folder);
    left.push_back(testing::DeadProcessTempPathIn(folder));
    WriteHostFile(left.back(), "");
  }
  const int refused = RunCommand(Program("korv-delayed-send") + " --headless --once --root " +
                                 root + " 2>" + (dir.path() / "second.txt").string());
  // A desktop session's autostart entry leaves the running copy alone, quietly.
  const testing::ProgramRun autostart =
      testing::RunProgram(Program("korv-delayed-send") + " --autostart --headless --root " + root);
  kill(first, SIGTERM);
  int status = 0;
  waitpid(first, &status, 0);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(autostart.status, 0) << autostart.output;
  EXPECT_NE(autostart.output.find("not started from the desktop session: a copy already runs"),
            std::string::npos)
      << autostart.output;
  for (const auto& file : left) EXPECT_TRUE(std::filesystem::exists(file)) << file;
  EXPECT_NE(
      Read("second.txt")
          .find("The Kitchen Order Delayed Send program is already running! Please Click OK."),
      std::string::npos);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "SIGTERM ends it cleanly";
  // The copy that runs next clears them, before it ends.
  EXPECT_EQ(RunCommand(Program("korv-delayed-send") + " --headless --once --root " + root +
                       " 2>/dev/null"),
            0);
  for (const auto& file : left) EXPECT_FALSE(std::filesystem::exists(file)) << file;
  // A session's log mixes programs: each line says whose it is.
  for (const char* file : {"first.txt", "second.txt"}) {
    std::istringstream lines(Read(file));
    for (std::string line; std::getline(lines, line);)
      EXPECT_EQ(line.rfind("korv-delayed-send: ", 0), 0u) << file << ": " << line;
  }
  EXPECT_EQ(RunCommand(Program("korv-delayed-send") + " --bogus 2>/dev/null"), 2);
  EXPECT_EQ(RunCommand(Program("korv-delayed-send") + " --help >/dev/null"), 0);
}

// Run by systemd as a notify service, the station says it is ready, how it
// is after each pass, that it lives (only where systemd watches this very
// process), and that it ends. (Every other test runs it without systemd.)
TEST_F(StationProgram, TellsSystemdItIsReadyHowItIsAndThatItLives) {
  const std::string tomorrow =
      DefaultDateText(Date::FromSerial(SystemClock().Today().Serial() + 1));
  WriteDelayedOrder(files, kRoot,
                    OrderHeader{"207-555-0107", " 7", "Margaret Hale", "DS2", tomorrow, "7:30 PM"},
                    {" 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  NotifySocket systemd(dir.path() / "notify");
  ASSERT_TRUE(systemd.Bound()) << systemd.Path();
  const struct {
    std::string watchdog;  // what systemd sets when it watches the service
    bool configured;
    std::string told;
    std::string said;  // a warning on standard error, or empty
  } runs[] = {
      // The first run sends DS1, alive after the send as after the pass,
      // and tells how many are left.
      {"WATCHDOG_USEC=300000000 WATCHDOG_PID=$$", true,
       "READY=1\nWATCHDOG=1\nSTATUS=1 pending\nWATCHDOG=1\nSTOPPING=1\n", ""},
      {"WATCHDOG_USEC=300000000 WATCHDOG_PID=1", true, "READY=1\nSTATUS=1 pending\nSTOPPING=1\n",
       ""},
      {"", true, "READY=1\nSTATUS=1 pending\nSTOPPING=1\n", ""},
      {"WATCHDOG_USEC=30000000 WATCHDOG_PID=$$", true,
       "READY=1\nSTATUS=1 pending\nWATCHDOG=1\nSTOPPING=1\n",
       "the service's watchdog period (WatchdogSec=30s) is shorter than the minute between "
       "passes and a minute for a pass (120s)"},
      // Alive, reading its configuration at every pass: a restart would not mend it.
      {"WATCHDOG_USEC=300000000 WATCHDOG_PID=$$", false,
       "READY=1\nSTATUS=0 pending; the configuration cannot be used\nWATCHDOG=1\nSTOPPING=1\n", ""},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.watchdog + (run.configured ? "" : " without configuration"));
    if (!run.configured) std::filesystem::remove(dir.path() / "c/Korvain/KorvINI.dat");
    const testing::ProgramRun station = testing::RunProgram(
        "NOTIFY_SOCKET=" + systemd.Path().string() + " " + run.watchdog + " exec " +
        Program("korv-delayed-send") + " --headless --once --root " + dir.path().string());
    EXPECT_EQ(station.status, run.configured ? 0 : 3) << station.output;
    EXPECT_EQ(systemd.Messages(), run.told);
    if (run.said.empty())
      EXPECT_EQ(station.output.find("watchdog"), std::string::npos) << station.output;
    else
      EXPECT_NE(station.output.find(run.said), std::string::npos) << station.output;
  }
}

// Without a configuration it can use, one pass sends nothing, says which
// file and why, and ends with its own exit status.
TEST_F(StationProgram, OnceWithoutAUsableConfigurationSendsNothingAndEndsWith3) {
  std::filesystem::remove(dir.path() / "c/Korvain/KorvINI.dat");
  EXPECT_EQ(RunCommand(Program("korv-delayed-send") + " --headless --once --root " +
                       dir.path().string() + " 2>" + (dir.path() / "stderr.txt").string()),
            3);
  EXPECT_NE(Read("stderr.txt").find("C:\\Korvain\\KorvINI.dat does not exist"), std::string::npos)
      << Read("stderr.txt");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "f/KORVAIN/PhoneOrders/DS1.PH"));
}

// korvtool status as a technician asks it: of a station never started, of
// one whose last pass held an order, and of one running with nothing waiting.
TEST_F(StationProgram, StatusSaysWhetherTheStationWorksAndWhatWaitsOnAPerson) {
  const std::string status =
      testing::BuiltProgram("korvtool") + " status --root " + dir.path().string();
  testing::ProgramRun never = testing::RunProgram(status);
  EXPECT_EQ(never.status, 1);
  EXPECT_NE(never.output.find("station: does not run"), std::string::npos) << never.output;
  EXPECT_NE(never.output.find("last pass: none recorded"), std::string::npos) << never.output;

  WriteHostFile(
      dir.path() / "f/KORVAIN/PhoneOrders/DS2.PH",
      "\"207-555-0107\",\" 7\",\"Ann Lee\",\"DS2\",\"" + yesterday + "\",\"7:30 PM\"\r\n");
  ASSERT_EQ(RunCommand(Program("korv-delayed-send") + " --headless --once --root " +
                       dir.path().string() + " 2>/dev/null"),
            0);
  testing::ProgramRun held = testing::RunProgram(status);
  EXPECT_EQ(held.status, 1);
  for (const char* line : {"state: attention - 1 pending; DS2 held", "held:\n  DS2: Order DS2",
                           "printer KITCHEN1 TM-U220 (dir:",
                           "waits on a person: the station does not run; its state is attention"})
    EXPECT_NE(held.output.find(line), std::string::npos) << line << "\n" << held.output;
  testing::ProgramRun json = testing::RunProgram(status + " --json");
  EXPECT_NE(json.output.find("\"held\":[{\"order\":\"DS2\",\"why\":\"Order DS2 stays pending: its "
                             "line file"),
            std::string::npos)
      << json.output;
  EXPECT_NE(json.output.find("\"all_well\":false}"), std::string::npos) << json.output;

  std::filesystem::remove(dir.path() / "f/KORVAIN/PhoneOrders/DS2.PH");
  const pid_t station = fork();
  if (station == 0) {
    execl(Program("korv-delayed-send").c_str(), "korv-delayed-send", "--headless", "--root",
          dir.path().c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  testing::ProgramRun running;
  for (int i = 0; i < 200 && running.status != 0; ++i) {  // its first pass is half a second in
    usleep(100000);
    running = testing::RunProgram(status);
  }
  kill(station, SIGTERM);
  waitpid(station, nullptr, 0);
  EXPECT_EQ(running.status, 0) << running.output;
  EXPECT_NE(running.output.find("station: runs (process " + std::to_string(station) + ")"),
            std::string::npos)
      << running.output;
  EXPECT_NE(running.output.find("state: normal - 0 pending"), std::string::npos) << running.output;
}

// A user who may not enter the station root (an operator's desktop session
// on a station the service runs): both programs say which folder and who
// may, and end with their documented status, never with an abort.
TEST_F(StationProgram, AUserWhoMayNotEnterTheRootIsToldWhoMay) {
  bool can_switch = false;
  const std::string as = testing::AsUnprivilegedUser(can_switch);
  if (!can_switch) GTEST_SKIP() << "cannot run the programs as another user here";
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  if (as.empty())  // not root: the owner shuts itself out
    std::filesystem::permissions(dir.path(), std::filesystem::perms::none);
  const std::string root = " --root " + dir.path().string();
  const struct {
    std::string command;
    int status;
  } runs[] = {
      {Program("korv-delayed-send") + " --headless --once" + root, 4},
      {Program("korv-delayed-send") + " --headless" + root, 4},
      {Program("korv-delayed-send") + " --autostart --headless" + root, 0},
      {Program("korvtool") + " check" + root, 1},
      {Program("korvtool") + " orders" + root, 1},
      {Program("korvtool") + " init" + root, 1},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.command);
    const testing::ProgramRun result = testing::RunProgram(as + run.command);
    EXPECT_EQ(result.status, run.status) << result.output;
    EXPECT_NE(result.output.find("may not "), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(dir.path().string() + " (owner "), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("terminate"), std::string::npos) << result.output;
  }
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "f/KORVAIN/PhoneOrders/DS1.PH"));
}

// A network printer taking a ticket when the station is killed: the ticket
// stays in the spool and reaches the printer whole at the next start, once,
// headed as a possible repeat of its order, since what the printer had taken
// of it before the kill, it has printed.
TEST_F(StationProgram, ATicketCutOffByAKillArrivesWholeOnceAfterTheRestartAsAPossibleRepeat) {
  testing::TcpTestPrinter printer(testing::TcpTestPrinter::Mode::kStopsInTheFirstJob);
  WriteHostFile(dir.path() / "c/Korvain/printers.conf",
                "KITCHEN1 TM-U220 = " + printer.Uri() +
                    "\n"
                    "BAR TM-T88       = dir:C:\\Korvain\\printed\\bar\n"
                    "OFFICE           = dir:C:\\Korvain\\printed\\office ; default\n");
  const std::string root = dir.path().string();
  pid_t station = fork();
  if (station == 0) {
    execl(Program("korv-delayed-send").c_str(), "korv-delayed-send", "--headless", "--once",
          "--root", root.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const bool stopped = printer.WaitForStop();
  kill(station, SIGKILL);
  waitpid(station, nullptr, 0);
  ASSERT_TRUE(stopped);
  const std::string job = Read("c/Korvain/spool/kitchen1-tm-u220/000001.job");
  ASSERT_FALSE(job.empty()) << "the ticket is still in the spool";
  printer.Resume();  // the killed station's connection is gone

  ASSERT_EQ(RunCommand(Program("korv-delayed-send") + " --headless --once --root " + root +
                       " 2>/dev/null"),
            0);
  ASSERT_TRUE(printer.WaitForJobs(2));
  const std::vector<std::string> jobs = printer.Jobs();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_LT(jobs[0].size(), job.size());
  EXPECT_EQ(jobs[0], job.substr(0, jobs[0].size())) << "cut off";
  const std::string label = TicketLabel(job);
  EXPECT_EQ(label.rfind("K-", 0), 0u) << label;
  EXPECT_EQ(jobs[1], HeadingBytes("** REPEAT? " + label + " - CHECK BEFORE COOKING **", {}) + job)
      << "whole, once, marked";
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c/Korvain/spool/kitchen1-tm-u220/000001.job"));
  const std::string log =
      Read("f/KORVAIN/PhoneOrders/" + FormatMMYY(SystemClock().Today()) + "DElayedSend.LOG");
  EXPECT_EQ(log.find("SENT"), log.rfind("SENT")) << "sent once";
}

}  // namespace
}  // namespace korv
