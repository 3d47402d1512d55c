#pragma once
// The installed printers of the station, from its printer file
// C:\Korvain\printers.conf: one printer a line, in the order the station
// lists them,
//   device name = destination [; option ...]
// Device names may hold blanks (but no "="). A line whose first non-blank
// character is "#" is a comment, and so is the rest of a line from a "#"
// after the "=" that starts a word. Destinations: see destinations.h. Options:
//   red          the printer prints red (a two-colour ribbon)
//   default      current at start-up (else the first printer is)
//   columns=N    characters a line in the printer's standard font, 16 to 255
//                (ESC/POS printers: 48 when not given; dir: fits only when given)
//   codepage=N   the printer's character table: 1252 (when not given), 858 or 437
//   status=off   never ask the printer's condition (for a printer that
//                prints the queries, or answers them wrongly); on by default
//   backup=NAME  the printer (by device name, or the first whose name begins
//                with NAME) that prints this one's held tickets
//   backup_after=N  seconds a ticket is held before it goes to the backup,
//                1 to 3600 (60 when not given)
// Only network, device and CUPS printers ask their condition, and only they
// can have a backup or be one.
// A line that cannot be read is skipped with a warning naming its line number;
// an unknown option or destination, or an option value that cannot be used, is
// warned about and the printer kept.

#include <iostream>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/print/destinations.h"
#include "platform/print/print_service.h"

namespace korv {

inline constexpr const char* kPrintersConf = "C:\\Korvain\\printers.conf";

// The shortest and the longest lines of a ticket printer, in characters.
inline constexpr int kFewestColumns = 16;
inline constexpr int kMostColumns = 255;

// The columns a "columns=" value gives; none for text that is not a whole
// number from kFewestColumns to kMostColumns.
std::optional<int> ColumnsValue(const std::string& text);

struct InstalledPrinters {
  std::vector<InstalledPrinter> printers;
  int current = -1;  // the printer current at start-up; -1 with none
};

// Reads the printer file, then adds the CUPS server's queues that the file
// does not name (setup.cups_queues), in the server's order. A missing or
// unreadable file installs no printers of its own. Reading errors and bad
// lines go to `warnings` and never stop the station.
InstalledPrinters LoadInstalledPrinters(FileSystem& files, const PrinterSetup& setup,
                                        std::ostream& warnings = std::cerr);
// The station program's: PrinterSetup::Station() (senders started, CUPS
// asked).
InstalledPrinters LoadInstalledPrinters(FileSystem& files, std::ostream& warnings = std::cerr);

// The same from the file's text.
InstalledPrinters ParsePrintersConf(std::string_view text, const FileSystem& files,
                                    const PrinterSetup& setup, std::ostream& warnings);

}  // namespace korv
