// What a dispatch pass costs on a share: DataRoot behind a FUSE mount that
// waits on every request (KORV_SHARE_DELAY_US, 1 000 by default: a share
// with 1 ms round trips; names cached, attributes not), 10 000 pending.
// Skipped, saying why, where the mount cannot be made.
//   BM_ShareFullRead    every header read again, against the floor over the
//                       same mount (one header after the other; x_floor)
//   BM_ShareIdleTick    a tick a minute after the last, nothing due
//   BM_ShareDueToTickets  the tick of the minute an order falls due: from
//                       its start to the order sent (to_sent_s), and the
//                       whole tick (tick_s); /1: the tick of the full read,
//                       /2: that tick with the header rewritten meanwhile
//   BM_ShareSends       100 due among 10 000: the tick beyond an idle tick,
//                       and a send (send_s; send_rtt: a send's time in
//                       round trips; share_rtt: the share's round trips a
//                       send waited on one after another, from the mount's
//                       trace); /1: with the phone orders of the numbers'
//                       last round still there, as after a station's first
//                       499 sends, so that each copy rewrites a file

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "bench/floor_read.h"
#include "bench/send_station.h"
#include "bench/share_waits.h"
#include "common/order_paths.h"
#include "scheduler/korv_delayed_send.h"
#include "testing/latency_mount.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPending = 10000;

int DelayUs() {
  const char* v = std::getenv("KORV_SHARE_DELAY_US");
  return v ? std::atoi(v) : 1000;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A sending station whose DataRoot is on the mount, `pending` orders of
// which every every_due-th is due on 12/24/2026 (and DS5000, with due_643,
// on 12/23/2026 at 6:43 PM), the list read at a first tick on 12/23/2026 at
// 6:42 PM and its headers settled since.
class ShareStation {
 public:
  ShareStation(int pending, int every_due, bool due_643 = false, bool traced = false) {
    Trace(traced);
    mount_ = testing::MountDataDrive(s_.t.dir.path(), DelayUs());
    if (!mount_->Mounted()) return;
    bench::WritePending(SourceFolder(), pending, every_due);
    if (due_643) WriteDue643("555-0101");
    s_.WriteSharedFiles();
    window_ = std::make_unique<KORVdelayedSend1>(s_.t.station, *s_.platform, "bench");
    window_->Form_Load();
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    s_.t.clock.Set(DateTime{Date{2026, 12, 23}, 18 * 3600 + 42 * 60});
    window_->Timer1_Timer();
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  }
  // DS5000, due at 6:43 PM, for the customer of that phone.
  void WriteDue643(const std::string& phone) {
    testing::WriteHostFile(
        SourceFolder() / "DS5000.PH",
        "\"" + phone + "\",\" 1\",\"Ann Smith\",\"DS5000\",\"12/23/2026\",\"6:43 PM\"\r\n");
  }
  // Phone orders 1 to count, as the numbers' last round left them.
  void WriteLastRoundsPhoneOrders(int count) {
    for (int n = 1; n <= count; ++n) {
      testing::WriteHostFile(SourceFolder() / (std::to_string(n) + ".PH"),
                             "\"555-0100\",\" 1\",\"Old Order\",\"" + std::to_string(n) +
                                 "\",\"12/01/2026\",\"6:00 PM\"\r\n");
      testing::WriteHostFile(SourceFolder() / (std::to_string(n) + ".Pio"),
                             "\" 1|Old Item            |$4.00|OLD|0 - Main Course|T|N\"\r\n");
    }
  }
  // Skips the benchmark when there is no mount; false then.
  bool Ready(benchmark::State& state) {
    if (mount_->Mounted()) return true;
    state.SkipWithError(("no share that waits: " + mount_->Problem()).c_str());
    return false;
  }
  KORVdelayedSend1& window() { return *window_; }
  testing::TestStation& t() { return s_.t; }
  fs::path SourceFolder() const { return mount_->Source() / "KORVAIN" / "PhoneOrders"; }
  fs::path MountedFolder() const { return mount_->path() / "KORVAIN" / "PhoneOrders"; }
  // The mount writes its trace where the caller asked, else beside a traced
  // station (only there: the trace costs the mount a write a request).
  void Trace(bool traced) {
    static const char* const given = std::getenv("KORV_SHARE_TRACE");
    static const std::string asked = given ? given : "";
    trace_ = !asked.empty() ? fs::path(asked)
             : traced       ? s_.t.dir.path() / "share-trace.txt"
                            : fs::path();
    if (trace_.empty())
      unsetenv("KORV_SHARE_TRACE");
    else
      setenv("KORV_SHARE_TRACE", trace_.c_str(), 1);
  }
  // A tick a minute after the last.
  double Tick() {
    s_.t.clock.AdvanceMs(60000);
    tick_began_ = Clock::now();
    window_->Timer1_Timer();
    tick_ended_ = Clock::now();
    return Seconds(tick_ended_ - tick_began_);
  }
  // The share's waits in a row during the last tick.
  double TickWaits() const {
    return bench::WaitsInARow(trace_, tick_began_, tick_ended_, DelayUs());
  }

 private:
  bench::SendStation s_;
  std::unique_ptr<KORVdelayedSend1> window_;
  std::unique_ptr<testing::LatencyMount> mount_;  // goes before the station's folder
  fs::path trace_;
  Clock::time_point tick_began_, tick_ended_;
};

void BM_ShareFullRead(benchmark::State& state) {
  ShareStation s(kPending, 0);
  if (!s.Ready(state)) return;
  double read = 0, floor = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    s.window().UpdateList();
    read = Seconds(Clock::now() - start);
    start = Clock::now();
    benchmark::DoNotOptimize(bench::FloorRead(s.MountedFolder()));
    floor = Seconds(Clock::now() - start);
  }
  state.counters["read_s"] = read;
  state.counters["floor_s"] = floor;
  state.counters["x_floor"] = read / floor;
}

void BM_ShareIdleTick(benchmark::State& state) {
  ShareStation s(kPending, 0);
  if (!s.Ready(state)) return;
  double tick = 0;
  for (auto _ : state) tick = s.Tick();
  state.counters["tick_s"] = tick;
}

// DS5000 falls due at 6:43 PM; the tick comes two seconds after the minute.
// /1: on the tick of the full read; /2: that tick, and another station has
// rewritten DS5000 since it was read, so the full read comes before its
// send (the worst case).
void BM_ShareDueToTickets(benchmark::State& state) {
  ShareStation s(kPending, 0, true);
  if (!s.Ready(state)) return;
  if (state.range(0) >= 1) s.t().station.TickCount = 5;  // the sixth tick
  if (state.range(0) == 2) s.WriteDue643("555-0102");
  std::optional<Clock::time_point> sent;
  s.window().Label2.Change = [&] {
    if (!sent && s.window().Label2.Caption() == std::to_string(kPending - 1)) sent = Clock::now();
  };
  double tick = 0, to_sent = 0;
  for (auto _ : state) {
    s.t().clock.Set(DateTime{Date{2026, 12, 23}, 18 * 3600 + 43 * 60 + 2});
    auto start = Clock::now();
    s.window().Timer1_Timer();
    tick = Seconds(Clock::now() - start);
    to_sent = sent ? Seconds(*sent - start) : -1;
  }
  state.counters["to_sent_s"] = to_sent;
  state.counters["tick_s"] = tick;
}

void BM_ShareSends(benchmark::State& state) {
  const int due = 100;
  ShareStation s(kPending, kPending / due, false, true);
  if (!s.Ready(state)) return;
  if (state.range(0) == 1) s.WriteLastRoundsPhoneOrders(due + 20);
  double idle = 0, sends = 0, idle_waits = 0, send_waits = 0;
  for (auto _ : state) {
    idle = s.Tick();
    idle_waits = s.TickWaits();
    s.t().clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600});
    sends = s.Tick();
    send_waits = s.TickWaits();
  }
  state.counters["idle_s"] = idle;
  state.counters["beyond_idle_s"] = sends - idle;
  state.counters["send_s"] = (sends - idle) / due;
  state.counters["send_rtt"] = (sends - idle) / due / (DelayUs() / 1e6);
  state.counters["share_rtt"] = (send_waits - idle_waits) / due;
  state.counters["left"] = s.window().MList1.Count();
}

BENCHMARK(BM_ShareFullRead)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareIdleTick)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareDueToTickets)->Arg(0)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ShareSends)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace korv

BENCHMARK_MAIN();
