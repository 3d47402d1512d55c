#include "scheduler/orderfiles/pio_number.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "common/runtime_error.h"
#include "testing/child_processes.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kCounter[] = "F:\\KORVAIN\\data\\PioNumber.dat";

// The counter file holding n: one quoted field and CR LF.
std::string CounterText(int n) {
  std::string text(1, '"');
  return text.append(std::to_string(n)).append("\"\r\n");
}

TEST(PioNumberTest, CounterRunsFrom1To498) {
  TestStation t;
  t.station.DataRoot = "F:\\KORVAIN\\";

  NextPioNumber(t.station, t.files);  // no counter file yet
  EXPECT_EQ(t.station.PioNumber, 1);
  EXPECT_EQ(t.Read(kCounter), "\"1\"\r\n");

  for (auto [stored, drawn] : std::map<std::string, int>{{"\"41\"\r\n", 42},
                                                         {"\"497\"\r\n", 498},
                                                         {"\"498\"\r\n", 1},
                                                         {"\"0\"\r\n", 1},
                                                         {"\"abc\"\r\n", 1},
                                                         {"\"-7\"\r\n", 1},
                                                         {"", 1},
                                                         {" 12\r\n", 13}}) {
    SCOPED_TRACE(stored);
    t.Write(kCounter, stored);
    NextPioNumber(t.station, t.files);
    EXPECT_EQ(t.station.PioNumber, drawn);
    EXPECT_EQ(t.station.PioNumberText, std::to_string(drawn));
    EXPECT_EQ(t.Read(kCounter), CounterText(drawn));
  }
  EXPECT_EQ(t.files.OpenCount(), 0);
}

// Draws `count` numbers and writes them, one a line, to `out`. Runs in a
// child process; a lock held by another drawer past the wait is retried, as
// a station retries its draw.
int DrawInChild(const std::filesystem::path& root, int count, const std::filesystem::path& out) {
  FileSystem files{PathMap(root)};
  Station station;
  station.DataRoot = "F:\\KORVAIN\\";
  std::ostringstream drawn;
  for (int i = 0; i < count; ++i) {
    for (int attempt = 0;; ++attempt) {
      try {
        NextPioNumber(station, files);
        break;
      } catch (const RuntimeError& e) {
        if (e.number() != kErrPermissionDenied || attempt > 50) return 1;
      }
    }
    drawn << station.PioNumberText << "\n";
  }
  std::ofstream(out) << drawn.str();
  return 0;
}

TEST(PioNumberTest, DrawsOfManyStationsAtOnceNeverRepeatWithinACycle) {
  constexpr int kProcesses = 8;
  constexpr int kDraws = 500;
  TestStation t;
  ASSERT_TRUE(testing::RunInChildren(kProcesses, [&](int p) {
    return DrawInChild(t.dir.path(), kDraws, t.dir.path() / std::to_string(p));
  }));

  // Under one lock per draw the draws, in the order they took the lock, are
  // exactly 1, 2, ..., 498, 1, 2, ...: 4000 draws hand out 1..16 nine times
  // and 17..498 eight times, and leave 16 in the counter. Two draws that
  // read the same number lose a step of the counter, which shows in both.
  std::map<int, int> times;
  for (int p = 0; p < kProcesses; ++p) {
    std::ifstream in(t.dir.path() / std::to_string(p));
    for (int n; in >> n;) ++times[n];
  }
  const int total = kProcesses * kDraws;
  for (int n = 1; n <= 498; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(times[n], total / 498 + (n <= total % 498 ? 1 : 0));
  }
  EXPECT_EQ(times.size(), 498u);
  EXPECT_EQ(t.Read(kCounter), CounterText((total - 1) % 498 + 1));
}

}  // namespace
}  // namespace korv
