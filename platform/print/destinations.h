#pragma once
// The destinations a printers.conf entry can name, made from the text after
// its "=":
//   dir:PATH            files in a folder (DirDestination); PATH is a host
//                       path (/var/...) or a station path (C:\...)
//   socket://HOST[:PORT] a ticket printer's raw print port (9100 by default)
//   device:PATH         a ticket printer's device file (/dev/usb/lp0)
//   cups:QUEUE          a raw queue of the CUPS server
// The last three print ESC/POS through the printer's spool folder
// C:\Korvain\spool\<folder>\ (SpooledDestination), fitted to the paper's
// columns (48 when not given) in its code page. A dir: printer writes the
// lines as printed, or, when its columns are given, as that paper shows them.
// Any other text is listed as a printer that cannot print, with a warning.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/print/cups_link.h"
#include "platform/print/print_service.h"
#include "platform/print/socket_link.h"
#include "platform/print/spooled_destination.h"

namespace korv {

inline constexpr const char* kSpoolRoot = "C:\\Korvain\\spool";

// Every document fails with error 482 "printer not available".
class UnavailableDestination : public Destination {
 public:
  explicit UnavailableDestination(std::string described) : described_(std::move(described)) {}
  void Deliver(const Document& doc) override;
  std::string Describe() const override { return described_; }
  bool CanPrint() const override { return false; }
  std::string Check(std::chrono::milliseconds) const override {
    return "unknown destination \"" + described_ + "\"";
  }

 private:
  std::string described_;
};

// How the installed printers are made.
struct PrinterSetup {
  // Own the printers' spools and folders (the station program): clear what
  // its dead processes left half written, and send. False only looks:
  // spools are listed, nothing is sent (tools, tests).
  bool send = false;
  SenderOptions sender;
  SocketTimeouts socket;
  CupsTimeouts cups;
  std::string cups_server;  // empty: libcups's default server
  // The CUPS server's queues, listed after the printer file's printers;
  // null: CUPS is not asked.
  std::function<std::vector<std::string>()> cups_queues;

  // The station program's: sending (the senders start at
  // PrintService::Start), and CUPS asked for its queues (given up after 1.5 s
  // when no server answers).
  static PrinterSetup Station();
};

struct MadeDestination {
  std::unique_ptr<Destination> destination;  // null: the text is unusable
  std::string problem;                       // why it is null, or a warning about a listed one
};

// One printer's entry: text is the destination trimmed, not empty;
// spool_folder the name of its folder under kSpoolRoot.
struct DestinationRequest {
  std::string text;
  std::string device_name;
  bool red = false;
  PaperSetup paper;
  std::string spool_folder;
  bool ask_status = true;  // "status=off": the printer is never asked its condition
};

MadeDestination MakeDestination(const DestinationRequest& request, const FileSystem& files,
                                const PrinterSetup& setup);

}  // namespace korv
