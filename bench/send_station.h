#pragma once
// A station ready to send, for the benchmarks: four dir: printers, the
// sample menu's button files, customer 1 on file, and `pending` delayed
// orders of ten lines written straight into the host folder `phone_orders`
// (every order whose number is a multiple of every_due due on 12/24/2026,
// the others on 12/26/2026, all at 7:30 PM).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/order_paths.h"
#include "common/val.h"
#include "platform/print/dir_destination.h"
#include "scheduler/orderfiles/customer_file.h"
#include "testing/test_station.h"
#include "tools/sample_menu.h"

namespace korv::bench {

inline void WritePending(const std::filesystem::path& phone_orders, int pending, int every_due) {
  std::string lines;
  for (int i = 0; i < 10; ++i)
    lines += "\" 1|Item " + std::to_string(i) + "          |$4.00|ITEM " + std::to_string(i) + "|" +
             Str(i % 6) + " - Main Course|T|N\"\r\n";
  for (int k = 1; k <= pending; ++k) {
    std::string id = "DS" + std::to_string(k);
    std::string date = every_due > 0 && k % every_due == 0 ? "12/24/2026" : "12/26/2026";
    testing::WriteHostFile(
        phone_orders / (id + ".PH"),
        "\"555-0101\",\" 1\",\"Ann Smith\",\"" + id + "\",\"" + date + "\",\"7:30 PM\"\r\n");
    testing::WriteHostFile(phone_orders / (id + ".Pio"), lines);
  }
}

// The printers, the configuration, the kitchen archive's folder, the
// customer and the menu of a station that sends.
class SendStation {
 public:
  SendStation() : t(std::vector<std::string>{}) {
    std::vector<InstalledPrinter> printers;
    for (const char* name : {"KITCHEN1", "KITCHEN2", "BAR", "OFFICE"})
      printers.push_back(InstalledPrinter{
          name, std::make_unique<DirDestination>(t.dir.path() / "printed" / name, "dir:"), false});
    printer = std::make_unique<PrintService>(std::move(printers));
    platform = std::make_unique<Platform>(
        Platform{t.files, t.clock, *printer, t.loop, t.boxes, t.sound, t.host, t.status});
    t.WriteConfig({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                   {ConfigField::KitchenCopyPrinter, "KITCHEN2"},
                   {ConfigField::BarPrinter, "BAR"},
                   {ConfigField::StationPrinter, "OFFICE"}});
    t.files.MakeFolders("C:\\Korvain\\data");  // the kitchen ticket archive's
  }
  // The shared files of DataRoot, written once its drive is in place.
  void WriteSharedFiles() {
    CustomerRecord customer;
    customer.Set(2, "555-0101");
    customer.Set(3, "Ann Smith");
    WriteCustomer(t.files, "F:\\KORVAIN\\", 1, customer);
    WriteSampleMenu(t.files, "F:\\KORVAIN\\");
  }

  testing::TestStation t;
  std::unique_ptr<PrintService> printer;
  std::unique_ptr<Platform> platform;
};

}  // namespace korv::bench
