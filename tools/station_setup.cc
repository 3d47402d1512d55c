#include "tools/station_setup.h"

#include <cstdio>
#include <sstream>

#include "common/bar_row.h"
#include "common/record_tables.h"
#include "common/val.h"
#include "platform/files/open_file_guard.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/orderfiles/line_file.h"
#include "tools/sample_menu.h"

namespace korv {
namespace {

constexpr char kConfig[] = "C:\\Korvain\\KorvINI.dat";
constexpr char kPrinters[] = "C:\\Korvain\\printers.conf";

const char kPrintersText[] =
    "# Ticket printers of this station, in the order the station lists them:\n"
    "#   device name = destination [; option ...]\n"
    "# Each dir: printer leaves every ticket as NNNNNN.txt and NNNNNN.html in its\n"
    "# folder. A real printer is socket://HOST:9100, device:/dev/usb/lp0 or\n"
    "# cups:QUEUE (see the README).\n"
    "KITCHEN1 TM-U220   = dir:C:\\Korvain\\printed\\kitchen1 ; red\n"
    "KITCHEN2 TM-U220   = dir:C:\\Korvain\\printed\\kitchen2\n"
    "BAR TM-T88         = dir:C:\\Korvain\\printed\\bar\n"
    "GRILL TM-T20       = dir:C:\\Korvain\\printed\\grill\n"
    "PIZZA TM-T20       = dir:C:\\Korvain\\printed\\pizza\n"
    "OFFICE             = dir:C:\\Korvain\\printed\\office ; default\n";

StationConfig DemoConfig(const std::string& data_root) {
  StationConfig c;
  const std::pair<ConfigField, std::string> fields[] = {
      {ConfigField::RestaurantName, "KORVAIN GRILL & BAR"},
      {ConfigField::RestaurantStreet, "120 Harbor Street"},
      {ConfigField::RestaurantTown, "Portland, ME 04101"},
      {ConfigField::LocalRoot, "C:\\KORVAIN\\"},
      {ConfigField::TaxRate, ".0825"},
      {ConfigField::StationPrinter, "OFFICE"},
      {ConfigField::TicketFont, "Arial"},
      {ConfigField::TicketSizeStep, "5"},
      {ConfigField::MainKitchenPrinter, "KITCHEN1"},
      {ConfigField::CutAfterMainTicket, "-1"},
      {ConfigField::BarPrinter, "BAR"},
      {ConfigField::CutAfterBar, "-1"},
      {ConfigField::DataRoot, data_root},
      {ConfigField::KitchenCopyPrinter, "KITCHEN2"},
      {ConfigField::CutAfterCopy, "-1"},
      {ConfigField::FeedLines, "3"},
      {ConfigField::KitchenMonitor, "-1"},
      {ConfigField::StationPrinters, "GRILL"},
      {StationPrinterField(1), "PIZZA"}};
  for (const auto& [n, v] : fields) c.Set(n, v);
  return c;
}

// NAME.YYYYMMDD-HHMMSS.bak beside the file, -2, -3, ... after the stamp when
// that name is taken (two runs within a second).
std::string CopyName(const std::string& path, const DateTime& now, int attempt) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, ".%04d%02d%02d-%02d%02d%02d", now.date.year, now.date.month,
                now.date.day, now.seconds / 3600, now.seconds / 60 % 60, now.seconds % 60);
  return path + stamp + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".bak";
}

// A copy of the file beside it, on disk, never over another file; its name.
std::string KeepCopy(FileSystem& files, const std::string& path, const DateTime& now) {
  const std::string old_bytes = files.ReadFileText(path);
  for (int attempt = 1;; ++attempt) {
    std::string copy = CopyName(path, now, attempt);
    if (files.CreateWhole(copy, old_bytes)) return copy;
  }
}

class Placer {
 public:
  Placer(FileSystem& files, ExistingFile existing, const DateTime& now)
      : files_(files), existing_(existing), now_(now) {}

  // Writes a file of the new station and says what became of it; false when
  // a file of the station's own was kept.
  bool Place(const std::string& path, std::string_view bytes, const std::string& note = {}) {
    if (files_.CreateWhole(path, bytes)) {
      out_ << "made " << path << note << "\n";
      return true;
    }
    if (existing_ == ExistingFile::kKeep) {
      out_ << "kept " << path << ": it is there (--replace replaces it, keeping a copy)\n";
      return false;
    }
    if (files_.ReadFileText(path) == bytes) {
      out_ << "left " << path << ": it is already the new station's\n";
      return true;
    }
    const std::string copy = KeepCopy(files_, path, now_);
    files_.WriteWhole(path, bytes);
    out_ << "replaced " << path << note << "; the old one is kept as " << copy << "\n";
    return true;
  }

  bool replacing() const { return existing_ == ExistingFile::kReplaceKeepingACopy; }
  std::ostringstream& out() { return out_; }

 private:
  FileSystem& files_;
  ExistingFile existing_;
  DateTime now_;
  std::ostringstream out_;
};

// The menu goes in whole or not at all: a restaurant's menu with sample
// pages mixed into it would show on its order-entry stations.
void PlaceMenu(FileSystem& files, const std::string& data_root, Placer& placer) {
  const std::string folder = data_root + "ini\\";
  files.MakeFolders(folder);
  const std::vector<std::string> there = files.List(folder, "*Button*.dat");
  if (!there.empty() && !placer.replacing()) {
    placer.out() << "kept the menu in " << folder << " (" << there.size()
                 << " button files, MainButtons.dat and Button*.dat): it is there (--replace "
                    "replaces it with the sample menu, keeping a copy of each file)\n";
    return;
  }
  for (const MenuFile& file : SampleMenuFiles(data_root))
    placer.Place(file.path, file.bytes, " (sample menu)");
}

}  // namespace

std::string InitStation(FileSystem& files, const std::string& data_root, ExistingFile existing,
                        const DateTime& now) {
  Placer placer(files, existing, now);
  files.MakeFolders("C:\\Korvain\\data");
  for (const char* folder :
       {"PhoneOrders\\Deleted", "data", "ini", "KitMonitor", "Delivery\\LastOrder"})
    files.MakeFolders(data_root + folder);
  placer.out() << "shared folders under " << data_root << "\n";
  placer.Place(kConfig, DemoConfig(data_root).bytes(), " (DataRoot " + data_root + ")");
  if (placer.Place(kPrinters, kPrintersText, " (printers write to C:\\Korvain\\printed\\)"))
    for (const char* p : {"kitchen1", "kitchen2", "bar", "grill", "pizza", "office"})
      files.MakeFolders(std::string("C:\\Korvain\\printed\\") + p);
  PlaceMenu(files, data_root, placer);
  return placer.out().str();
}

std::string WriteDemoOrders(FileSystem& files, const std::string& data_root, const DateTime& now) {
  const struct {
    int number;
    const char *phone, *name, *a1, *a2;
  } customers[] = {
      {1, "207-555-0101", "Margaret Hale", "14 Elm Street", "Apt 2"},
      {2, "207-555-0142", "Tom Okafor", "88 Ocean Avenue", ""},
      {3, "207-555-0177", "Rosa Delgado", "5 Pine Court", "Back door"},
  };
  for (const auto& c : customers) {
    CustomerRecord r;
    r.Set(1, std::to_string(c.number));
    r.Set(2, c.phone);
    r.Set(3, c.name);
    r.Set(4, c.a1);
    r.Set(5, c.a2);
    r.Set(6, "Portland, ME");
    WriteCustomer(files, data_root, c.number, r);
  }
  auto at = [&](long day_offset, int seconds) {
    long serial = now.date.Serial() + day_offset + seconds / 86400;
    return std::make_pair(DefaultDateText(Date::FromSerial(serial)),
                          FormatHHMMAmPm(((seconds % 86400) + 86400) % 86400));
  };
  auto row = [](int q, const char* name, double price, const char* kitchen, int route,
                const char* course, const char* tax) {
    return OrderLineRow(OrderLineItem{q, PadRight(name, 20), price, kitchen, route, course, tax});
  };
  // A modifier row belongs to the item above it: "*" for a quantity, no
  // price, the item's route so it prints with it.
  auto modifier = [](const std::string& text, int route, const char* course) {
    return JoinBarRow(
        {"*", PadRight("* " + text, 20), "", text, Str(route) + " - " + course, "T", "N"});
  };
  struct Demo {
    std::pair<std::string, std::string> when;
    const char *phone, *customer, *name;
    std::vector<std::string> rows;
  };
  std::vector<Demo> orders = {
      {at(0, now.seconds - 600),
       "207-555-0101",
       " 1",
       "Margaret Hale",
       {row(2, "Cheeseburger", 11.50, "CHEESEBURGER MED", 4, "Main Course", "T"),
        modifier("NO ONIONS", 4, "Main Course"), modifier("{{ ALLERGY: NUTS }}", 4, "Main Course"),
        row(1, "Caesar Salad", 8.25, "CAESAR", 0, "Soup/Salad", "T"),
        row(2, "Draft IPA", 6.00, "IPA", 1, "", "T")}},
      {at(-1, 19 * 3600),
       "207-555-0142",
       " 2",
       "Tom Okafor",
       {row(1, "Margherita Pizza", 14.00, "MARGHERITA 12IN", 5, "Main Course", "T"),
        row(1, "Iced Tea", 2.75, "ICED TEA", 2, "", "T")}},
      {at(0, now.seconds - 60),
       "207-555-0199",
       " 0",
       "Walk-in Caller",
       {row(3, "Fish Tacos", 12.00, "FISH TACOS", 0, "Main Course", "T"),
        row(1, "Chocolate Cake", 6.50, "CHOC CAKE", 0, "Dessert", "F")}},
      {at(0, now.seconds + 3 * 3600),
       "207-555-0177",
       " 3",
       "Rosa Delgado",
       {row(1, "Lobster Roll", 24.00, "LOBSTER ROLL", 4, "Main Course", "T")}},
      {at(1, 12 * 3600),
       "207-555-0101",
       " 1",
       "Margaret Hale",
       {row(4, "Clam Chowder", 7.00, "CHOWDER CUP", 0, "Soup/Salad", "T")}},
  };
  std::ostringstream out;
  for (const Demo& d : orders) {
    std::string id = NextFreeDelayedOrderId(files, data_root);
    WriteDelayedOrder(files, data_root,
                      OrderHeader{d.phone, d.customer, d.name, id, d.when.first, d.when.second},
                      d.rows);
    out << id << " for " << d.name << ", due " << d.when.first << " " << d.when.second << "\n";
  }
  return out.str();
}

}  // namespace korv
