// How long one dispatch pass takes to send many due orders while many more
// are pending: 1 000 due orders of ten lines among 10 000, printed to dir:
// printers, with the sample menu's button files in place. The pass must not
// reread every pending header after each send. Beside the time: the
// file-system calls a send adds to its tick (the tick's calls less those of
// a tick with nothing due, divided by the sends), and the folder listings
// among them (none: the tick's one listing serves all its sends).

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/fs_counts.h"
#include "bench/send_station.h"
#include "scheduler/korv_delayed_send.h"

namespace korv {
namespace {

using bench::SendStation;

void BM_SendDueAmongPending(benchmark::State& state) {
  const int pending = static_cast<int>(state.range(0));
  const int due = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    SendStation station;
    testing::TestStation& t = station.t;
    station.WriteSharedFiles();
    // Every tenth order is due (yesterday); the others are due tomorrow.
    bench::WritePending(t.files.HostPath(PhoneOrdersFolder("F:\\KORVAIN\\")), pending,
                        pending / due);
    KORVdelayedSend1 w(t.station, *station.platform, "bench");
    w.Form_Load();
    // The list as a station has it: read at an earlier tick, its headers
    // older than the times a stamp needs to settle. A tick with nothing due
    // then shows what the sends' tick costs besides its sends.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    t.clock.Set(DateTime{Date{2026, 12, 23}, 18 * 3600});
    w.Timer1_Timer();
    t.clock.AdvanceMs(60000);
    fs_calls::Reset();
    w.Timer1_Timer();
    const auto idle = fs_calls::Counts();
    t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600});
    fs_calls::Reset();
    state.ResumeTiming();
    w.Timer1_Timer();
    state.PauseTiming();
    bench::ReportCalls(state, due, "send", idle);
    state.counters["left"] = w.MList1.Count();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_SendDueAmongPending)
    ->Args({1000, 100})
    ->Args({10000, 1000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace korv

BENCHMARK_MAIN();
