// How long the pending list takes to rebuild from many delayed headers on
// local disk. The dispatch pass rebuilds it whenever the count of headers
// changes and after every send, so a busy station rebuilds it often.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/order_paths.h"
#include "scheduler/korv_delayed_send.h"
#include "testing/test_station.h"

namespace korv {
namespace {

class PendingOrders {
 public:
  explicit PendingOrders(int count) : window_(t_.station, t_.platform, "bench") {
    t_.station.DataRoot = "F:\\KORVAIN\\";
    std::string folder = PhoneOrdersFolder("F:\\KORVAIN\\");
    // Written straight to the host folder: resolving each new name through
    // the case-insensitive path map would scan the growing folder each time.
    std::filesystem::path host = t_.files.HostPath(folder);
    for (int k = 1; k <= count; ++k) {
      std::string id = "DS" + std::to_string(k);
      testing::WriteHostFile(host / (id + ".PH"), "\"555-0101\",\" 25\",\"Ann Smith\",\"" + id +
                                                      "\",\"12/25/2026\",\"7:30 PM\"\r\n");
      testing::WriteHostFile(host / (id + ".Pio"), "\" 1|Soup|$4.00|hot| 1 - Starters|T|N\"\r\n");
    }
    window_.File1.SetPath(folder);
    window_.File1.SetPattern("DS*.PH");
    window_.File1.Refresh();
  }
  KORVdelayedSend1& window() { return window_; }

 private:
  testing::TestStation t_;
  KORVdelayedSend1 window_;
};

void BM_UpdateList(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    orders.window().UpdateList();
    benchmark::DoNotOptimize(orders.window().MList1.Count());
  }
  state.counters["rows"] = orders.window().MList1.Count();
}

void BM_FolderRefresh(benchmark::State& state) {
  PendingOrders orders(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    orders.window().File1.Refresh();
    benchmark::DoNotOptimize(orders.window().File1.ListCount());
  }
}

BENCHMARK(BM_UpdateList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderRefresh)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korv

BENCHMARK_MAIN();
