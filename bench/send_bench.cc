// How long one dispatch pass takes to send many due orders while many more
// are pending: 1 000 due orders of ten lines among 10 000, printed to dir:
// printers, with the sample menu's button files in place. The pass must not
// reread every pending header after each send. Beside the time: the
// file-system calls a send adds to its tick (the tick's calls less those of
// a tick with nothing due, divided by the sends), and the folder listings
// among them (the restart from the top after each send lists the folder
// once).

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/fs_counts.h"
#include "common/order_paths.h"
#include "common/val.h"
#include "platform/print/dir_destination.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "testing/test_station.h"
#include "tools/sample_menu.h"

namespace korv {
namespace {

void WritePending(testing::TestStation& t, int pending, int due) {
  std::filesystem::path host = t.files.HostPath(PhoneOrdersFolder("F:\\KORVAIN\\"));
  std::string lines;
  for (int i = 0; i < 10; ++i)
    lines += "\" 1|Item " + std::to_string(i) + "          |$4.00|ITEM " + std::to_string(i) + "|" +
             Str(i % 6) + " - Main Course|T|N\"\r\n";
  for (int k = 1; k <= pending; ++k) {
    std::string id = "DS" + std::to_string(k);
    // Every tenth order is due (yesterday); the others are due tomorrow.
    std::string date = (k % (pending / due) == 0) ? "12/24/2026" : "12/26/2026";
    testing::WriteHostFile(host / (id + ".PH"), "\"555-0101\",\" 1\",\"Ann Smith\",\"" + id +
                                                    "\",\"" + date + "\",\"7:30 PM\"\r\n");
    testing::WriteHostFile(host / (id + ".Pio"), lines);
  }
}

void BM_SendDueAmongPending(benchmark::State& state) {
  const int pending = static_cast<int>(state.range(0));
  const int due = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    testing::TestStation t(std::vector<std::string>{});
    std::vector<InstalledPrinter> printers;
    for (const char* name : {"KITCHEN1", "KITCHEN2", "BAR", "OFFICE"})
      printers.push_back(InstalledPrinter{
          name, std::make_unique<DirDestination>(t.dir.path() / "printed" / name, "dir:"), false});
    PrintService printer(std::move(printers));
    Platform platform{t.files, t.clock, printer, t.loop, t.boxes, t.sound, t.host, t.status};
    t.WriteConfig({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                   {ConfigField::KitchenCopyPrinter, "KITCHEN2"},
                   {ConfigField::BarPrinter, "BAR"},
                   {ConfigField::StationPrinter, "OFFICE"}});
    t.files.MakeFolders("C:\\Korvain\\data");  // the kitchen ticket archive's
    CustomerRecord customer;
    customer.Set(2, "555-0101");
    customer.Set(3, "Ann Smith");
    WriteCustomer(t.files, "F:\\KORVAIN\\", 1, customer);
    WriteSampleMenu(t.files, "F:\\KORVAIN\\");
    WritePending(t, pending, due);
    KORVdelayedSend1 w(t.station, platform, "bench");
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
