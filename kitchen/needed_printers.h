#pragma once
// The printers an order's tickets need, known before anything of the order
// is turned over: an order whose tickets would reach no printer stays
// pending, rather than being marked sent and printed nowhere.

#include <string>
#include <vector>

#include "common/station.h"
#include "kitchen/send_routing.h"
#include "platform/files/file_system.h"
#include "platform/print/print_service.h"

namespace korv {

struct NeededPrinter {
  std::string ticket;  // "main kitchen ticket", "KITCHEN 2 copy", "bar ticket", "KITCHEN 4 ticket"
  std::string name;    // the printer name of the station's settings
};

// True when the "KITCHEN 2" copy is switched off: by the marker file
// DontPrint.txt in DataRoot, or by its printer name.
bool KitchenCopyOff(const Station& station, FileSystem& files);

// The tickets the order's unsent rows go on, as the kitchen send routes
// them: a bar ticket only where the station prints them.
SendFlags TicketsOfRows(const Station& station, const std::vector<std::string>& rows);

// The tickets the order's unsent rows would print, in the order the kitchen
// send prints them, with their printer names: the main kitchen ticket and the
// "KITCHEN 2" copy when a row goes to the kitchen, the bar ticket, and each
// station ticket that has a row. A ticket its setting switches off needs no
// printer.
std::vector<NeededPrinter> NeededPrinters(const Station& station, FileSystem& files,
                                          const std::vector<std::string>& rows);

// The needed printers that would print on no installed printer. A ticket
// goes to the printer whose device name begins with its name, or else to the
// current printer (as a station with one printer for everything relies on),
// so only a station without any printer, or a printer whose entry names no
// destination it can print to, leaves a ticket nowhere.
std::vector<NeededPrinter> PrintersMissing(const PrintService& printer,
                                           const std::vector<NeededPrinter>& needed);

}  // namespace korv
