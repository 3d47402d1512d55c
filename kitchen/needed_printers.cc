#include "kitchen/needed_printers.h"

#include "kitchen/send_routing.h"
#include "kitchen/ticket_layout.h"

namespace korv {

bool KitchenCopyOff(const Station& station, FileSystem& files) {
  return files.Present(station.DataRoot + "DontPrint.txt") ||
         CopyTicketOff(station.Config.Text(ConfigField::KitchenCopyPrinter));
}

SendFlags TicketsOfRows(const Station& station, const std::vector<std::string>& rows) {
  const bool bar_ticket = BarTicketOn(station);
  SendFlags flags;
  for (const std::string& row : rows) {
    if (!row.empty() && row.back() == 'Y') continue;
    const RowTickets to = TicketsOfRow(row, bar_ticket);
    flags.kitchen = flags.kitchen || to.kitchen;
    flags.bar = flags.bar || (to.bar && bar_ticket);
    if (to.station >= 0) flags.station[to.station] = true;
  }
  return flags;
}

std::vector<NeededPrinter> NeededPrinters(const Station& station, FileSystem& files,
                                          const std::vector<std::string>& rows) {
  const StationConfig& c = station.Config;
  const SendFlags tickets = TicketsOfRows(station, rows);
  std::vector<NeededPrinter> needed;
  const std::string main_name = c.Text(ConfigField::MainKitchenPrinter);
  if (tickets.kitchen && !MainTicketOff(main_name))
    needed.push_back({"main kitchen ticket", main_name});
  if (tickets.kitchen && !KitchenCopyOff(station, files))
    needed.push_back({"KITCHEN 2 copy", c.Text(ConfigField::KitchenCopyPrinter)});
  if (tickets.bar) needed.push_back({"bar ticket", c.Text(ConfigField::BarPrinter)});
  for (int k = 0; k < kStationPrinterCount; ++k) {
    const std::string name = c.Text(StationPrinterField(k));
    if (tickets.station[k] && !CopyTicketOff(name))
      needed.push_back({"KITCHEN " + std::to_string(k + 3) + " ticket", name});
  }
  return needed;
}

namespace {

// The printer a ticket of that name selects: the last whose device name
// begins with it, else the current one.
int PrinterOfTicket(const std::vector<std::string>& installed, const std::string& name,
                    int current) {
  int chosen = current;
  for (size_t i = 0; i < installed.size(); ++i)
    if (PrinterMatches(installed[i], name)) chosen = static_cast<int>(i);
  return chosen;
}

}  // namespace

std::vector<NeededPrinter> PrintersMissing(const PrintService& printer,
                                           const std::vector<NeededPrinter>& needed) {
  std::vector<NeededPrinter> missing;
  const std::vector<std::string> installed = printer.Printers();
  for (const NeededPrinter& p : needed)
    if (!printer.CanPrint(PrinterOfTicket(installed, p.name, printer.Current())))
      missing.push_back(p);
  return missing;
}

}  // namespace korv
