#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "common/runtime_error.h"
#include "common/steps.h"
#include "kitchen/kitchen_test_support.h"
#include "platform/clock/clock.h"

namespace korv::testing {
namespace {

constexpr char kK[] = "F:\\KORVAIN\\KOrdNumb.dat";
constexpr char kBar[] = "F:\\KORVAIN\\BAROrdNumb.dat";

TEST(KitchenCounter, CountsThroughTheDayAndStartsAgainEachDay) {
  KitchenFixture b;
  b.main.GetKOrderNumber();  // a missing file is created first
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-1");
  EXPECT_EQ(b.ts.Read(kK), "\"1\",\"12/8/2026\",\"0\"\r\n");

  b.ts.Write(kK, "\"41\",\"12/08/2026\",\"X7\"\r\n");  // the recovery write's date form
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-42");
  EXPECT_EQ(b.ts.Read(kK), "\"42\",\"12/8/2026\",\"X7\"\r\n");

  b.ts.clock.Set(DateTime{Date{2026, 12, 9}, 60});
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-1");
  EXPECT_EQ(b.ts.Read(kK), "\"1\",\"12/9/2026\",\"X7\"\r\n");

  b.main.ResetKitchenCounter();
  EXPECT_EQ(b.ts.Read(kK), "\"500\",\"12/09/2026\",\"0\"\r\n");
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-501");
  b.main.ResetKitchenCounter();  // a second repair of the day never gives K-501 again
  EXPECT_EQ(b.ts.Read(kK), "\"501\",\"12/09/2026\",\"0\"\r\n");
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-502");
}

// A counter that stays damaged (cut short, empty, a count that is no count)
// is repaired after a short wait, past every kitchen number this station
// knows was given today, and said; the draw never hands out a number it
// cannot vouch for (K-1e+20, K--6).
TEST(KitchenCounter, ADamagedCounterIsRepairedPastEveryNumberKnownToday) {
  for (const char* damaged : {"\"99999999999999999999\",\"12/8/2026\",\"0\"\r\n",
                              "\"-6\",\"12/8/2026\",\"0\"\r\n", "\"17\",\"12/8/2026\"\r\n", ""}) {
    SCOPED_TRACE(damaged);
    KitchenFixture b;
    std::vector<std::string> said;
    b.main.ReportProblem = [&](const std::string& message) { said.push_back(message); };
    const std::string monitor = "F:\\KORVAIN\\KitMonitor\\K-612.dat";  // K-612, given today
    b.ts.Write(monitor, "\"Phone IN 3\"\r\n");
    std::filesystem::last_write_time(b.ts.files.HostPath(monitor),
                                     std::filesystem::file_time_type::clock::now() -
                                         std::chrono::hours(24 * (SystemClock().Today().Serial() -
                                                                  b.ts.clock.Today().Serial())));
    b.ts.Write(kK, damaged);
    b.main.GetKOrderNumber();
    EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-613");
    EXPECT_EQ(b.ts.Read(kK), "\"613\",\"12/8/2026\",\"0\"\r\n");
    ASSERT_FALSE(said.empty());
    EXPECT_NE(said.back().find("it was repaired to 613"), std::string::npos) << said.back();
  }
}

// A counter another station is rewriting is retried after the "System Busy"
// box, as the bar counter is; one still unreadable is waited for, said once,
// never restarted: no number repeats within the day.
TEST(KitchenCounter, AnEmptyOrCutShortFileIsRetriedThenWaitedForNeverRestarted) {
  KitchenFixture b;
  b.ts.station.OrderKey = "12";
  std::vector<std::string> said;
  b.main.ReportProblem = [&](const std::string& message) {
    said.push_back(message);
    b.ts.Write(kK, "\"41\",\"12/8/2026\",\"0\"\r\n");  // the other station is done
  };
  b.ts.Write(kK, "");
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-42");
  EXPECT_EQ(b.ts.Read(kK), "\"42\",\"12/8/2026\",\"0\"\r\n");
  ASSERT_EQ(b.ts.boxes.shown.size(), 1u);
  EXPECT_EQ(b.ts.boxes.shown[0].title, "System Busy");
  EXPECT_EQ(said, std::vector<std::string>{
                      "The kitchen order number of phone order 12 cannot be drawn from "
                      "F:\\KORVAIN\\KOrdNumb.dat: it is empty or cut short (error 62); the send "
                      "waits until it can"});
  EXPECT_EQ(b.ts.files.OpenCount(), 0);

  // Cut short, and whole again by the time the box is answered.
  b.ts.Write(kK, "\"42\",\"12/8");
  b.ts.boxes.on_show = [&] { b.ts.Write(kK, "\"42\",\"12/8/2026\",\"0\"\r\n"); };
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-43");
  EXPECT_EQ(b.ts.boxes.shown.size(), 2u);
  EXPECT_EQ(said.size(), 1u);

  // A day that cannot be read continues the count.
  b.ts.Write(kK, "\"43\",\"someday\",\"0\"\r\n");
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-44");
}

// A counter another station holds is waited for with window events let
// through, said once; when the station is asked to end meanwhile, the send
// stops there (its journal finishes it at the next start) without a number.
TEST(KitchenCounter, ALockedCounterIsWaitedForUntilItIsFreeOrTheStationEnds) {
  KitchenFixture b;
  b.ts.Write(kK, "\"7\",\"12/8/2026\",\"0\"\r\n");
  b.ts.Write(kBar, "\"3\",\"12/8/2026\",\"0\"\r\n");
  FileSystem other{PathMap(b.ts.dir.path())};
  other.Lock(other.Open(kK, OpenMode::kReadWrite));
  std::vector<std::string> said;
  int events = 0;
  b.main.ReportProblem = [&](const std::string& message) {
    said.push_back(message);
    events = b.ts.loop.do_events_calls;
    b.ts.loop.Post([&] { other.CloseAll(); });  // the other station lets go
  };
  b.main.GetKOrderNumber();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-8");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("cannot be drawn from F:\\KORVAIN\\KOrdNumb.dat: permission denied"),
            std::string::npos)
      << said[0];
  EXPECT_GT(b.ts.loop.do_events_calls, events);
  EXPECT_TRUE(b.ts.boxes.shown.empty());

  other.Lock(other.Open(kBar, OpenMode::kReadWrite));
  b.main.ReportProblem = [](const std::string&) {};
  b.main.EndAsked = [] { return true; };
  b.ts.station.BarOrderNo = "3";
  EXPECT_THROW(b.main.GetBar_OrderNumb(), StepsHalted);
  EXPECT_EQ(b.ts.station.BarOrderNo, "3");
  other.CloseAll();
  EXPECT_EQ(b.ts.Read(kBar), "\"3\",\"12/8/2026\",\"0\"\r\n");
  EXPECT_EQ(b.ts.files.OpenCount(), 0);
}

TEST(BarCounter, DrawsDailyAndRecoversFromAnEmptyFile) {
  KitchenFixture b;
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.station.BarOrderNo, "1");
  b.ts.Write(kBar, "\"16\",\"12/8/2026\",\"S\"\r\n");
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.station.BarOrderNo, "17");
  EXPECT_EQ(b.ts.station.BarOrderCount, 17);
  EXPECT_EQ(b.ts.Read(kBar), "\"17\",\"12/8/2026\",\"S\"\r\n");
  b.ts.Write(kBar, "\"16\",\"12/7/2026\",\"S\"\r\n");
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.station.BarOrderNo, "1");
  EXPECT_TRUE(b.ts.boxes.shown.empty());

  b.ts.Write(kBar, "");  // still empty on the retry
  b.main.GetBar_OrderNumb();
  ASSERT_EQ(b.ts.boxes.shown.size(), 1u);
  EXPECT_EQ(b.ts.boxes.shown[0].title, "System Busy");
  EXPECT_EQ(b.ts.boxes.shown[0].text, "File is in use by another station, Click ok to try again.");
  EXPECT_EQ(b.ts.boxes.shown[0].buttons, BoxButtons::kOk);
  EXPECT_EQ(b.ts.station.BarOrderNo, "1");
  EXPECT_EQ(b.ts.Read(kBar), "\"1\",\"12/8/2026\",\"0\"\r\n");

  // The other station finishes its rewrite while the box is up.
  b.ts.Write(kBar, "\"30\",\"12/8");
  b.ts.boxes.on_show = [&] { b.ts.Write(kBar, "\"30\",\"12/8/2026\",\"0\"\r\n"); };
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.boxes.shown.size(), 2u);
  EXPECT_EQ(b.ts.station.BarOrderNo, "31");
  EXPECT_EQ(b.ts.files.OpenCount(), 0);
}

struct MemoryLedger : SendLedger {
  std::map<std::string, std::string, std::less<>> kept;
  std::optional<std::string> Kept(std::string_view name) const override {
    auto it = kept.find(name);
    return it == kept.end() ? std::nullopt : std::optional(it->second);
  }
  void Keep(std::string_view name, const std::string& value) override {
    kept[std::string(name)] = value;
  }
};

// Under a send's journal the bar number is drawn beside the kitchen number
// and kept, also when the kitchen draw halts the send; a bar counter that
// attempt cannot read is left to the bar ticket's own draw, with its retry.
TEST(BarCounter, BesideTheKitchenDrawItIsKeptForTheBarTicketOrLeftToIt) {
  KitchenFixture b({{ConfigField::BarPrinter, "BAR"}});
  MemoryLedger ledger;
  b.main.SetLedger(&ledger);
  b.ts.Write(kK, "\"7\",\"12/8/2026\",\"0\"\r\n");
  b.ts.Write(kBar, "\"3\",\"12/8/2026\",\"0\"\r\n");
  b.main.DrawBarBesideKitchen();
  EXPECT_EQ(ledger.kept["kitchen"], "K-8");
  EXPECT_EQ(ledger.kept["bar"], "4");
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.station.BarOrderNo, "4") << "the kept number, not a second draw";
  EXPECT_EQ(b.ts.Read(kBar), "\"4\",\"12/8/2026\",\"0\"\r\n");

  ledger.kept.clear();
  FileSystem other{PathMap(b.ts.dir.path())};
  other.Lock(other.Open(kK, OpenMode::kReadWrite));
  b.main.ReportProblem = [](const std::string&) {};
  b.main.EndAsked = [] { return true; };
  EXPECT_THROW(b.main.DrawBarBesideKitchen(), StepsHalted);
  other.CloseAll();
  EXPECT_FALSE(ledger.kept.count("kitchen"));
  EXPECT_EQ(ledger.kept["bar"], "5") << "drawn, so kept for the resumed send";

  ledger.kept.clear();
  b.main.EndAsked = [] { return false; };
  b.ts.Write(kBar, "");
  b.main.DrawBarBesideKitchen();
  EXPECT_EQ(ledger.kept["kitchen"], "K-9");
  EXPECT_FALSE(ledger.kept.count("bar"));
  EXPECT_TRUE(b.ts.boxes.shown.empty());
  b.main.GetBar_OrderNumb();
  EXPECT_EQ(b.ts.boxes.shown.size(), 1u) << "the bar ticket's own retry";
  EXPECT_EQ(b.ts.station.BarOrderNo, "1");
  EXPECT_EQ(b.ts.files.OpenCount(), 0);
  b.main.SetLedger(nullptr);
}

// Many stations drawing at once on one day: every kitchen number is handed
// out exactly once, also while the file is first created.
TEST(KitchenCounter, ConcurrentDrawsNeverRepeatANumber) {
  constexpr int kProcesses = 8;
  constexpr int kDraws = 500;
  KitchenFixture b;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      FileSystem files{PathMap(b.ts.dir.path())};
      Platform platform{files,      b.ts.clock, b.ts.printer, b.ts.loop,
                        b.ts.boxes, b.ts.sound, b.ts.host,    b.ts.status};
      KorvMain main(b.ts.station, platform);
      std::ofstream out(b.ts.dir.path() / ("drawn" + std::to_string(p)));
      for (int i = 0; i < kDraws; ++i) {
        main.GetKOrderNumber();  // waits while another holds the counter
        out << main.station().KitchenOrderNo << "\n";
      }
      out.close();
      _exit(out ? 0 : 3);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  }
  std::set<std::string> seen;
  int drawn = 0;
  for (int p = 0; p < kProcesses; ++p) {
    std::ifstream in(b.ts.dir.path() / ("drawn" + std::to_string(p)));
    for (std::string n; std::getline(in, n); ++drawn) EXPECT_TRUE(seen.insert(n).second) << n;
  }
  EXPECT_EQ(drawn, kProcesses * kDraws);
  EXPECT_EQ(seen.count("K-" + std::to_string(kProcesses * kDraws)), 1u);
}

}  // namespace
}  // namespace korv::testing
