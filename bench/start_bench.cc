// What a whole run of the station costs a quiet restaurant, on local disk:
// korv-delayed-send --headless --once on a station with 10 000 pending and
// nothing due, from the process's start (configuration, printers, the sends
// a crash left, the first reading of the list) to its exit, against the
// floor of reading the same headers (bench/floor_read.h).
//   BM_StationRun  the run's time (run_s) and processor time (cpu_s), each
//                  against the floor's time (x_floor, cpu_x_floor); the
//                  best of the iterations of each, as the disk's cache and
//                  the machine's other work make single runs vary
// The programs are taken from KORV_TEST_BIN_DIR, else the working folder:
// run it from the build folder.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/floor_read.h"
#include "testing/program_run.h"
#include "testing/temp_dir.h"

extern char** environ;

namespace korv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPending = 10000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// A new station (korvtool init) with `pending` orders due in 2099.
bool MakeStation(const fs::path& root, int pending, std::string* problem) {
  const testing::ProgramRun init =
      testing::RunProgram(testing::BuiltProgram("korvtool") + " init --root " + root.string());
  if (init.status != 0) {
    *problem = "korvtool init failed: " + init.output;
    return false;
  }
  const fs::path orders = root / "f/KORVAIN/PhoneOrders";
  for (int k = 1; k <= pending; ++k) {
    const std::string id = "DS" + std::to_string(k);
    testing::WriteHostFile(orders / (id + ".PH"), "\"555-0101\",\" 1\",\"Ann Smith\",\"" + id +
                                                      "\",\"12/26/2099\",\"7:30 PM\"\r\n");
    testing::WriteHostFile(orders / (id + ".Pio"),
                           "\" 1|Item 1          |$4.00|ITEM 1|1 - Main Course|T|N\"\r\n");
  }
  return true;
}

struct Run {
  int status = -1;
  double wall = 0, cpu = 0;
};

// The station program once on root, its output dropped.
Run RunStation(const fs::path& root) {
  const std::string program = testing::BuiltProgram("korv-delayed-send");
  const std::string root_text = root.string();
  std::vector<char*> argv = {const_cast<char*>(program.c_str()),   const_cast<char*>("--root"),
                             const_cast<char*>(root_text.c_str()), const_cast<char*>("--headless"),
                             const_cast<char*>("--once"),          nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage = {};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
      run.status = WEXITSTATUS(status);
    run.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  }
  run.wall = Seconds(Clock::now() - start);
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

void BM_StationRun(benchmark::State& state) {
  testing::TempDir dir;
  std::string problem;
  if (!MakeStation(dir.path(), kPending, &problem)) return state.SkipWithError(problem.c_str());
  const fs::path orders = dir.path() / "f/KORVAIN/PhoneOrders";
  Run run{0, 1e9, 1e9};
  double floor = 1e9;
  for (auto _ : state) {
    const Run now = RunStation(dir.path());
    if (now.status != 0) return state.SkipWithError("the station's run did not end with status 0");
    run.wall = std::min(run.wall, now.wall);
    run.cpu = std::min(run.cpu, now.cpu);
    const auto start = Clock::now();
    benchmark::DoNotOptimize(bench::FloorRead(orders));
    floor = std::min(floor, Seconds(Clock::now() - start));
  }
  state.counters["run_s"] = run.wall;
  state.counters["cpu_s"] = run.cpu;
  state.counters["floor_s"] = floor;
  state.counters["x_floor"] = run.wall / floor;
  state.counters["cpu_x_floor"] = run.cpu / floor;
}

BENCHMARK(BM_StationRun)->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korv

BENCHMARK_MAIN();
