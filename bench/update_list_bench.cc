// What reading the pending orders costs, in time and in file-system calls,
// over 1 000 and 10 000 delayed headers on local disk:
//   BM_FullRead   every header read again (the rebuild of every sixth pass),
//                 timed against the floor in the same iterations (x_floor)
//   BM_Floor      the floor: one folder listing, then open, lock, read,
//                 unlock and close of each header and nothing else
//   BM_IdlePass   a dispatch pass a minute after the last, nothing due and
//                 nothing changed: what every pass of a quiet station costs
//   BM_FolderRefresh  the folder listing alone

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/floor_read.h"
#include "bench/fs_counts.h"
#include "common/order_paths.h"
#include "scheduler/korv_delayed_send.h"
#include "testing/test_station.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using bench::FloorRead;

class PendingOrders {
 public:
  explicit PendingOrders(int count) : window_(t_.station, t_.platform, "bench") {
    t_.station.DataRoot = "F:\\KORVAIN\\";
    t_.clock.Set(DateTime{Date{2026, 12, 24}, 12 * 3600});  // nothing due before tomorrow
    std::string folder = PhoneOrdersFolder("F:\\KORVAIN\\");
    // Written straight to the host folder: resolving each new name through
    // the case-insensitive path map would scan the growing folder each time.
    host_ = t_.files.HostPath(folder);
    for (int k = 1; k <= count; ++k) {
      std::string id = "DS" + std::to_string(k);
      testing::WriteHostFile(host_ / (id + ".PH"), "\"555-0101\",\" 25\",\"Ann Smith\",\"" + id +
                                                       "\",\"12/25/2026\",\"7:30 PM\"\r\n");
      testing::WriteHostFile(host_ / (id + ".Pio"), "\" 1|Soup|$4.00|hot| 1 - Starters|T|N\"\r\n");
    }
    window_.File1.SetPath(folder);
    window_.File1.SetPattern("DS*.PH");
    window_.File1.Refresh();
  }
  KORVdelayedSend1& window() { return window_; }
  const fs::path& host_folder() const { return host_; }

 private:
  testing::TestStation t_;
  KORVdelayedSend1 window_;
  fs::path host_;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_FullRead(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  const int rows = static_cast<int>(state.range(0));
  double best = 1e9, best_floor = 1e9;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    orders.window().UpdateList();
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    state.PauseTiming();
    start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(FloorRead(orders.host_folder()));
    best_floor = std::min(best_floor, Seconds(std::chrono::steady_clock::now() - start));
    state.ResumeTiming();
  }
  fs_calls::Reset();
  orders.window().UpdateList();
  bench::ReportCalls(state, rows, "header");
  state.counters["x_floor"] = best / best_floor;
  state.counters["rows"] = orders.window().MList1.Count();
}

void BM_Floor(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(FloorRead(orders.host_folder()));
  fs_calls::Reset();
  FloorRead(orders.host_folder());
  bench::ReportCalls(state, static_cast<double>(state.range(0)), "header");
}

// Passes a minute apart see the folder listed again: the listing of a pass
// is kept only for moments, so the pause lets that time go by.
void BM_IdlePass(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  KORVdelayedSend1& window = orders.window();
  window.Timer1_Timer();
  window.Timer1_Timer();
  for (auto _ : state) {
    state.PauseTiming();
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    fs_calls::Reset();
    state.ResumeTiming();
    window.Timer1_Timer();
  }
  bench::ReportCalls(state, 1, "pass");  // the last pass's calls
}

void BM_FolderRefresh(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    orders.window().File1.Refresh();
    benchmark::DoNotOptimize(orders.window().File1.ListCount());
  }
}

BENCHMARK(BM_FullRead)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdlePass)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderRefresh)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korv

BENCHMARK_MAIN();
