#include "platform/print/spooled_destination.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/runtime_error.h"
#include "platform/print/device_link.h"
#include "platform/print/escpos_reader.h"
#include "platform/print/escpos_renderer.h"
#include "platform/print/socket_link.h"
#include "platform/print/ticket_headings.h"
#include "testing/fakes.h"
#include "testing/smtp_sink.h"
#include "testing/tcp_test_printer.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::TcpTestPrinter;
using testing::TempDir;

// Short pauses and timeouts keep these tests fast; the waits for an outcome
// are long so a slow machine cannot fail them.
constexpr auto kOutcome = 10s;
const SocketTimeouts kQuickSocket{500ms, 2s, 2s, 500ms};

Document Ticket(const std::string& text) {
  Document doc{"KITCHEN1", {}};
  doc.lines.push_back(PrintedLine{{text}, "Arial", 10, true, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "control", 10, false, false, kBlack});
  return doc;
}

struct Reports {
  std::ostringstream stream;
  // Marked with their priorities, as the station program's are.
  SenderOptions Options() {
    SenderOptions options{10ms, 80ms, &stream, true};
    options.status_retry = 80ms;
    return options;
  }
};

std::unique_ptr<SpooledDestination> SocketPrinter(const fs::path& spool, int port, Reports& reports,
                                                  bool sending = true) {
  return std::make_unique<SpooledDestination>(
      "KITCHEN1", "socket://127.0.0.1:" + std::to_string(port), spool,
      std::make_unique<SocketLink>("127.0.0.1", port, kQuickSocket), EscPosPrinter{},
      reports.Options(), sending);
}

// Waits, bounded, until the destination's state shows what is asked.
bool Sees(const SpooledDestination& d, const std::function<bool(const DestinationState&)>& what) {
  for (auto end = std::chrono::steady_clock::now() + kOutcome;
       std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(5ms)) {
    if (what(d.State())) return true;
  }
  return false;
}

// Waits, bounded, until the destination reports a failed attempt.
bool SeesProblem(const SpooledDestination& d) {
  return Sees(d, [](const DestinationState& s) { return !s.problem.empty(); });
}

bool SeesCondition(const SpooledDestination& d, PrinterCondition condition) {
  return Sees(d, [&](const DestinationState& s) { return s.condition == condition; });
}

// The first line a job prints, and the job without its heading.
std::string FirstLine(const std::string& job) { return ReadTicket(job).at(0).text; }
std::string Rest(const std::string& job, const std::string& heading, const EscPosPrinter& p) {
  const std::string bytes = HeadingBytes(heading, p);
  return job.rfind(bytes, 0) == 0 ? job.substr(bytes.size()) : "no heading: " + job;
}

TEST(SpooledDestinationTest, TicketArrivesWholeAndLeavesTheSpool) {
  TempDir tmp;
  TcpTestPrinter printer;
  Reports reports;
  auto kitchen = SocketPrinter(tmp.path() / "spool", printer.port(), reports);
  Document big = Ticket("2 Cheeseburger");
  for (int i = 0; i < 5000; ++i) big.lines.push_back(big.lines[0]);  // some 100 KB
  kitchen->Deliver(big);
  kitchen->Deliver(Ticket("1 Soup"));
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  ASSERT_TRUE(printer.WaitForJobs(2));
  EXPECT_EQ(printer.Jobs(),
            (std::vector<std::string>{RenderEscPos(big, {}), RenderEscPos(Ticket("1 Soup"), {})}));
  EXPECT_TRUE(PrintSpool(tmp.path() / "spool").Jobs().empty());
  EXPECT_EQ(kitchen->State().held, 0);
  EXPECT_EQ(reports.stream.str(), "");
}

TEST(SpooledDestinationTest, PrinterThatRefusesGetsTheTicketOnceItIsBack) {
  TempDir tmp;
  int port = testing::UnusedLoopbackPort();
  Reports reports;
  std::vector<InstalledPrinter> installed;
  installed.push_back({"KITCHEN1", SocketPrinter(tmp.path() / "spool", port, reports), false});
  PrintService service(std::move(installed));
  auto& kitchen = static_cast<SpooledDestination&>(*service.printer(0).destination);

  service.PrintLine({"2 Cheeseburger"});
  service.EndDoc();  // returns at once: the ticket is spooled
  ASSERT_TRUE(SeesProblem(kitchen));
  EXPECT_EQ(kitchen.State().held, 1);
  ASSERT_EQ(service.HeldBackWarnings().size(), 1u);
  EXPECT_EQ(service.HeldBackWarnings()[0].rfind(
                "Printer KITCHEN1 (socket://127.0.0.1:" + std::to_string(port) +
                    ") holds 1 print job back and keeps trying: printer not available: ",
                0),
            0u)
      << service.HeldBackWarnings()[0];
  const std::string printer_named =
      "Printer KITCHEN1 (socket://127.0.0.1:" + std::to_string(port) + ") ";
  EXPECT_EQ(reports.stream.str().rfind("<4>" + printer_named + "holds its print jobs back", 0), 0u)
      << reports.stream.str();

  EXPECT_FALSE(service.Drain(20ms));
  TcpTestPrinter printer(TcpTestPrinter::Mode::kPrints, port);  // switched on
  ASSERT_TRUE(service.Drain(kOutcome));
  ASSERT_TRUE(printer.WaitForJobs(1));
  // Let a wrongly repeated send show itself before counting.
  EXPECT_FALSE(printer.WaitForConnections(2, 300ms));
  ASSERT_EQ(printer.Jobs().size(), 1u) << "printed exactly once";
  EXPECT_NE(printer.Jobs()[0].find("2 Cheeseburger\n"), std::string::npos);
  EXPECT_TRUE(service.HeldBackWarnings().empty());
  EXPECT_NE(reports.stream.str().find("\n<6>" + printer_named + "takes print jobs again\n"),
            std::string::npos)
      << reports.stream.str();
}

// An operator who has mended a printer does not wait out the pause between
// retries, however long it has grown.
TEST(SpooledDestinationTest, AHeldTicketGoesOutAtOnceWhenAskedInsteadOfAfterThePause) {
  TempDir tmp;
  int port = testing::UnusedLoopbackPort();
  Reports reports;
  const SenderOptions patient{1h, 1h, &reports.stream};
  std::vector<InstalledPrinter> installed;
  installed.push_back(
      {"KITCHEN1", std::make_unique<SpooledDestination>(
                       "KITCHEN1", "socket", tmp.path() / "spool",
                       std::make_unique<SocketLink>("127.0.0.1", port, kQuickSocket),
                       EscPosPrinter{}, patient, true)});
  PrintService service(std::move(installed));
  auto& kitchen = static_cast<SpooledDestination&>(*service.printer(0).destination);
  kitchen.Deliver(Ticket("2 Cheeseburger"));
  ASSERT_TRUE(SeesProblem(kitchen));

  TcpTestPrinter printer(TcpTestPrinter::Mode::kPrints, port);  // paper loaded
  EXPECT_FALSE(printer.WaitForConnections(1, 300ms)) << "it waits out its pause";
  service.RetryHeldTickets();
  ASSERT_TRUE(kitchen.Drain(kOutcome));
  ASSERT_TRUE(printer.WaitForJobs(1));
  EXPECT_EQ(printer.Jobs(), std::vector<std::string>{RenderEscPos(Ticket("2 Cheeseburger"), {})});
  EXPECT_TRUE(kitchen.State().problem.empty());
}

TEST(SpooledDestinationTest, JammedPrinterHoldsUpNoOneElse) {
  TempDir tmp;
  TcpTestPrinter jammed(TcpTestPrinter::Mode::kNeverReads);
  TcpTestPrinter bar(TcpTestPrinter::Mode::kPrints);

  // The link itself gives up within its bounds on a job too big for the
  // connection's buffers.
  SocketLink link("127.0.0.1", jammed.port(), kQuickSocket);
  std::atomic<bool> stop{false};
  LinkAttempt attempt;
  auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(link.Send(std::string(64 << 20, 'x'), stop, attempt), RuntimeError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

  Reports reports;
  auto kitchen = SocketPrinter(tmp.path() / "k", jammed.port(), reports);
  auto bar_printer = SocketPrinter(tmp.path() / "b", bar.port(), reports);
  Document huge = Ticket(std::string(100, 'x'));
  huge.lines.resize(300000, huge.lines[0]);  // 30 MB
  kitchen->Deliver(huge);
  ASSERT_TRUE(jammed.WaitForConnections(1));
  bar_printer->Deliver(Ticket("2 Cola"));
  EXPECT_TRUE(bar.WaitForJobs(1)) << "the bar prints while the kitchen printer is jammed";
  EXPECT_EQ(kitchen->State().held, 1);
  // Destroying the jammed printer's destination (station shutting down) does
  // not wait for the printer; the job stays spooled.
  start = std::chrono::steady_clock::now();
  kitchen.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(PrintSpool(tmp.path() / "k").Jobs().size(), 1u);
}

TEST(SpooledDestinationTest, SpooledTicketsAreSentInOrderAfterARestart) {
  TempDir tmp;
  fs::path spool = tmp.path() / "spool";
  Reports reports;
  {
    // The station stopped before the printer could take them.
    auto kitchen = SocketPrinter(spool, testing::UnusedLoopbackPort(), reports, false);
    kitchen->Deliver(Ticket("first"));
    kitchen->Deliver(Ticket("second"));
  }
  // Cut off by a crash.
  testing::WriteHostFile(testing::DeadProcessTempPathIn(spool), "half a tic");
  TcpTestPrinter printer;
  auto kitchen = SocketPrinter(spool, printer.port(), reports);
  EXPECT_EQ(kitchen->State().held, 2);
  kitchen->Deliver(Ticket("third"));
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  ASSERT_TRUE(printer.WaitForJobs(3));
  EXPECT_EQ(printer.Jobs(), (std::vector<std::string>{RenderEscPos(Ticket("first"), {}),
                                                      RenderEscPos(Ticket("second"), {}),
                                                      RenderEscPos(Ticket("third"), {})}));
  EXPECT_TRUE(fs::is_empty(spool)) << "the half-written job is dropped, not printed";
}

// A send's job is staged until its journal knows it is there; a job the
// journal never learnt of is looked for, not spooled a second time.
TEST(SpooledDestinationTest, AStagedJobWaitsForItsLedgerAndIsSentOnce) {
  TempDir tmp;
  fs::path spool = tmp.path() / "spool";
  Reports reports;
  TcpTestPrinter printer;
  testing::MemoryLedger ledger;
  {
    // Killed between staging the job and recording it.
    auto kitchen = SocketPrinter(spool, printer.port(), reports, false);
    int64_t ref = kitchen->Reserve(Ticket("first"));
    ledger.Begin(1, "KITCHEN1", ref);
    ASSERT_TRUE(kitchen->DeliverAs(ref, Ticket("first")));
    EXPECT_FALSE(kitchen->DeliverAs(ref, Ticket("other"))) << "the number is taken";
  }
  SenderOptions later = reports.Options();
  later.start_later = true;
  std::vector<InstalledPrinter> printers;
  printers.push_back(InstalledPrinter{
      "KITCHEN1", std::make_unique<SpooledDestination>(
                      "KITCHEN1", "socket", spool,
                      std::make_unique<SocketLink>("127.0.0.1", printer.port(), kQuickSocket),
                      EscPosPrinter{}, later, true)});
  PrintService service(std::move(printers));
  EXPECT_EQ(service.printer(0).destination->State().held, 0) << "a staged job is not sent";
  service.SetLedger(&ledger);
  for (const char* text : {"first", "second"}) {
    for (const PrintedLine& line : Ticket(text).lines) {
      service.SetFontName(line.font);
      service.SetBold(line.bold);
      service.PrintLine(line.items);
    }
    service.EndDoc();
  }
  EXPECT_TRUE(ledger.entries[1].done && ledger.entries[2].done);
  service.Start();
  ASSERT_TRUE(service.Drain(kOutcome));
  EXPECT_EQ(printer.Jobs(), (std::vector<std::string>{RenderEscPos(Ticket("first"), {}),
                                                      RenderEscPos(Ticket("second"), {})}));
  EXPECT_TRUE(fs::is_empty(spool));
}

TEST(SpooledDestinationTest, DevicePrinterGetsTheJobAppendedOrHoldsIt) {
  TempDir tmp;
  Reports reports;
  fs::path device = tmp.path() / "lp0";
  SpooledDestination usb("BAR", "device:" + device.string(), tmp.path() / "spool",
                         std::make_unique<DeviceLink>(device.string()), {.red_ribbon = true},
                         reports.Options(), true);
  usb.Deliver(Ticket("2 Cola"));
  ASSERT_TRUE(SeesProblem(usb)) << "no device yet";
  EXPECT_NE(usb.State().problem.find(device.string()), std::string::npos);
  testing::WriteHostFile(device, "");  // plugged in
  ASSERT_TRUE(usb.Drain(kOutcome));
  usb.Deliver(Ticket("1 Tea"));
  ASSERT_TRUE(usb.Drain(kOutcome));
  EXPECT_EQ(testing::ReadHostFile(device), RenderEscPos(Ticket("2 Cola"), {.red_ribbon = true}) +
                                               RenderEscPos(Ticket("1 Tea"), {.red_ribbon = true}));
}

// A printer out of paper may take a ticket into its buffer and print none
// of it: a printer that says it cannot print is sent nothing, and its
// tickets go out in order, once each, when it says it is ready.
TEST(SpooledDestinationTest, APrinterThatReportsItCannotPrintIsSentNothingUntilItIsReady) {
  TempDir tmp;
  TcpTestPrinter printer;
  printer.SetState(TcpTestPrinter::State::kTakesWithoutPaper);
  Reports reports;
  auto kitchen = SocketPrinter(tmp.path() / "spool", printer.port(), reports);
  kitchen->Deliver(Ticket("first"));
  kitchen->Deliver(Ticket("second"));
  ASSERT_TRUE(SeesCondition(*kitchen, PrinterCondition::kPaperEnd));
  EXPECT_EQ(kitchen->State().held, 2);
  EXPECT_NE(kitchen->State().problem.find("it reports no paper"), std::string::npos)
      << kitchen->State().problem;
  for (auto [state, condition] :
       {std::pair{TcpTestPrinter::State::kCoverOpen, PrinterCondition::kCoverOpen},
        std::pair{TcpTestPrinter::State::kOffline, PrinterCondition::kOffline}}) {
    printer.SetState(state);
    EXPECT_TRUE(SeesCondition(*kitchen, condition)) << ConditionText(condition);
  }
  EXPECT_EQ(kitchen->State().held, 2);
  printer.SetState(TcpTestPrinter::State::kPaperNearEnd);  // paper loaded, a short roll
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  EXPECT_EQ(printer.Jobs(), (std::vector<std::string>{RenderEscPos(Ticket("first"), {}),
                                                      RenderEscPos(Ticket("second"), {})}));
  EXPECT_EQ(kitchen->State().condition, PrinterCondition::kPaperNearEnd);
  const std::string said = reports.stream.str();
  EXPECT_NE(said.find("holds its print jobs back and keeps trying: printer not available: it "
                      "reports no paper"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("<4>Printer KITCHEN1 (socket://127.0.0.1:" + std::to_string(printer.port()) +
                      ") reports its paper near its end\n"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("takes print jobs again"), std::string::npos);
}

// A printer that never answers is printed to as before; one whose entry says
// status=off is never asked.
TEST(SpooledDestinationTest, APrinterThatDoesNotAnswerOrIsNotAskedIsPrintedTo) {
  TempDir tmp;
  Reports reports;
  TcpTestPrinter silent;
  silent.SetState(TcpTestPrinter::State::kNoAnswer);
  auto kitchen = SocketPrinter(tmp.path() / "k", silent.port(), reports);
  kitchen->Deliver(Ticket("first"));
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  EXPECT_EQ(silent.Jobs(), std::vector<std::string>{RenderEscPos(Ticket("first"), {})});
  EXPECT_EQ(kitchen->State().condition, PrinterCondition::kUnknown);

  TcpTestPrinter plain;
  SpooledDestination bar("BAR", "socket", tmp.path() / "b",
                         std::make_unique<SocketLink>("127.0.0.1", plain.port(), kQuickSocket,
                                                      /*ask_status=*/false),
                         {}, reports.Options(), true);
  bar.Deliver(Ticket("1 Cola"));
  ASSERT_TRUE(bar.Drain(kOutcome));
  EXPECT_EQ(plain.Jobs(), std::vector<std::string>{RenderEscPos(Ticket("1 Cola"), {})});
  EXPECT_EQ(plain.Queries(), 0);
}

// Held tickets go to the backup under a heading for the printer they were
// meant for, each once, and leave the first printer's spool; while the
// backup cannot print either, they stay where they are.
TEST(SpooledDestinationTest, ABackupPrinterTakesHeldTicketsOnceUnderAHeading) {
  TempDir tmp;
  Reports reports;
  TcpTestPrinter kitchen_printer;
  kitchen_printer.SetState(TcpTestPrinter::State::kPaperEnd);
  const int bar_port = testing::UnusedLoopbackPort();
  const EscPosPrinter narrow{false, 40, CodePage::k1252};
  SpooledDestination bar("BAR TM-T88", "socket", tmp.path() / "b",
                         std::make_unique<SocketLink>("127.0.0.1", bar_port, kQuickSocket), narrow,
                         reports.Options(), true);
  auto kitchen = SocketPrinter(tmp.path() / "k", kitchen_printer.port(), reports);
  kitchen->SetBackup(&bar, 60s);
  kitchen->Deliver(Ticket("first"));
  kitchen->Deliver(Ticket("second"));
  ASSERT_TRUE(SeesCondition(*kitchen, PrinterCondition::kPaperEnd));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(kitchen->State().held, 2) << "the backup is off too";

  TcpTestPrinter bar_printer(TcpTestPrinter::Mode::kPrints, bar_port);  // switched on
  ASSERT_TRUE(Sees(*kitchen, [](const DestinationState& s) { return s.held == 0; }));
  ASSERT_TRUE(bar.Drain(kOutcome));
  const std::vector<std::string> jobs = bar_printer.Jobs();
  ASSERT_EQ(jobs.size(), 2u);
  const std::string heading = "FOR KITCHEN1 - KITCHEN1 HAS NO PAPER";
  EXPECT_EQ(FirstLine(jobs[0]), heading);
  EXPECT_EQ(Rest(jobs[0], heading, narrow), RenderEscPos(Ticket("first"), {}));
  EXPECT_EQ(Rest(jobs[1], heading, narrow), RenderEscPos(Ticket("second"), {}));
  EXPECT_TRUE(fs::is_empty(tmp.path() / "k")) << "dropped from the kitchen's spool";

  kitchen_printer.SetState(TcpTestPrinter::State::kReady);
  kitchen->Deliver(Ticket("third"));
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  EXPECT_EQ(kitchen_printer.Jobs(), std::vector<std::string>{RenderEscPos(Ticket("third"), {})});

  // A printer that cannot be reached keeps its tickets for the backup delay.
  auto gone = std::make_unique<SpooledDestination>(
      "GRILL", "socket", tmp.path() / "g",
      std::make_unique<SocketLink>("127.0.0.1", testing::UnusedLoopbackPort(), kQuickSocket),
      EscPosPrinter{}, reports.Options(), true);
  gone->SetBackup(&bar, 1s);
  const auto start = std::chrono::steady_clock::now();
  gone->Deliver(Ticket("steak"));
  ASSERT_TRUE(bar_printer.WaitForJobs(3));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(FirstLine(bar_printer.Jobs()[2]), "FOR GRILL - GRILL IS NOT PRINTING");
}

// A ticket the printer may have printed already goes again under a REPEAT?
// heading naming its order: after a restart that finds it marked, and after
// a connection cut in mid-ticket.
TEST(SpooledDestinationTest, ATicketThatMayHavePrintedGoesAgainMarkedAsAPossibleRepeat) {
  TempDir tmp;
  Reports reports;
  const fs::path spool = tmp.path() / "spool";
  const std::string ticket = testing::ReadHostFile(fs::path(__FILE__).parent_path() /
                                                   "testdata/kitchen_ticket_red.escpos");
  testing::WriteHostFile(spool / "000001.job", ticket);
  testing::WriteHostFile(spool / "000001.sending", "");  // killed while the printer took it
  // The paper cut after it, a job of its own, needs no question.
  Document cut_only = Ticket("");
  cut_only.lines.erase(cut_only.lines.begin());
  testing::WriteHostFile(spool / "000002.job", RenderEscPos(cut_only, {}));
  testing::WriteHostFile(spool / "000002.sending", "");
  testing::WriteHostFile(spool / "000005.sending", "");  // killed after the job went
  TcpTestPrinter printer;
  auto kitchen = SocketPrinter(spool, printer.port(), reports);
  kitchen->Deliver(Ticket("next"));
  ASSERT_TRUE(kitchen->Drain(kOutcome));
  const std::string repeat = "** REPEAT? K-17 - CHECK BEFORE COOKING **";
  EXPECT_EQ(printer.Jobs(),
            (std::vector<std::string>{HeadingBytes(repeat, {}) + ticket, RenderEscPos(cut_only, {}),
                                      RenderEscPos(Ticket("next"), {})}));
  EXPECT_TRUE(fs::is_empty(spool));

  TcpTestPrinter cut(TcpTestPrinter::Mode::kStopsInTheFirstJob);
  auto bar = SocketPrinter(tmp.path() / "bar", cut.port(), reports);
  bar->Deliver(Ticket("2 Cola"));
  ASSERT_TRUE(cut.WaitForStop());
  cut.Resume();
  ASSERT_TRUE(bar->Drain(kOutcome));
  ASSERT_EQ(cut.Jobs().size(), 2u);
  EXPECT_EQ(cut.Jobs()[1], HeadingBytes("** REPEAT? CHECK BEFORE COOKING **", {}) +
                               RenderEscPos(Ticket("2 Cola"), {}));
}

TEST(SocketLinkTest, ReadsPrinterAddresses) {
  SocketAddress a;
  ASSERT_TRUE(ParseSocketUri("socket://10.0.0.5:9101", &a));
  EXPECT_EQ(a.host, "10.0.0.5");
  EXPECT_EQ(a.port, 9101);
  ASSERT_TRUE(ParseSocketUri("SOCKET://kitchen-printer/", &a));
  EXPECT_EQ(a.host, "kitchen-printer");
  EXPECT_EQ(a.port, 9100);
  ASSERT_TRUE(ParseSocketUri("socket://[fe80::1]:9100", &a));
  EXPECT_EQ(a.host, "fe80::1");
  for (const char* bad : {"socket://", "socket://:9100", "socket://host:99999",
                          "socket://host:91a0", "socket://[::1"})
    EXPECT_FALSE(ParseSocketUri(bad, &a)) << bad;
}

}  // namespace
}  // namespace korv
