#include "platform/print/destinations.h"

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/temp_files.h"
#include "platform/print/device_link.h"
#include "platform/print/dir_destination.h"

namespace korv {
namespace {

bool HasKind(const std::string& text, std::string_view kind) {
  return StartsWith(Lower(text), kind);
}

// The link of a spooled kind; null with *problem set when the text is unusable.
std::unique_ptr<PrinterLink> MakeLink(const DestinationRequest& request, const FileSystem& files,
                                      const PrinterSetup& setup, std::string* problem) {
  const std::string& text = request.text;
  const bool ask = request.ask_status;
  if (HasKind(text, "socket://")) {
    SocketAddress address;
    if (ParseSocketUri(text, &address))
      return std::make_unique<SocketLink>(address.host, address.port, setup.socket, ask);
    *problem = "\"" + text + "\" is not socket://HOST or socket://HOST:PORT";
    return nullptr;
  }
  std::string rest = Trim(text.substr(text.find(':') + 1));
  if (rest.empty()) {
    *problem = "\"" + text + "\" names no " + (HasKind(text, "cups:") ? "queue" : "device");
    return nullptr;
  }
  if (HasKind(text, "cups:"))
    return std::make_unique<CupsLink>(rest, setup.cups_server, setup.cups, ask);
  return std::make_unique<DeviceLink>(files.HostPath(rest).string(), std::chrono::seconds(10), ask);
}

}  // namespace

void UnavailableDestination::Deliver(const Document&) {
  throw RuntimeError(kErrPrinter, "printer not available");
}

PrinterSetup PrinterSetup::Station() {
  PrinterSetup setup;
  setup.send = true;
  setup.sender.start_later = true;
  setup.cups_queues = [] { return ListCupsQueues(); };
  return setup;
}

MadeDestination MakeDestination(const DestinationRequest& request, const FileSystem& files,
                                const PrinterSetup& setup) {
  const std::string& text = request.text;
  if (HasKind(text, "dir:")) {
    std::string path = Trim(text.substr(4));
    if (path.empty()) return {nullptr, "\"dir:\" names no folder"};
    // The sending station owns the folder: what its dead processes left half
    // written goes.
    if (setup.send) ClearDeadTemporaries(files.HostPath(path));
    return {std::make_unique<DirDestination>(files.HostPath(path), text, request.paper), {}};
  }
  if (HasKind(text, "socket://") || HasKind(text, "device:") || HasKind(text, "cups:")) {
    std::string problem;
    std::unique_ptr<PrinterLink> link = MakeLink(request, files, setup, &problem);
    if (!link) return {nullptr, problem};
    EscPosPrinter printer{request.red,
                          request.paper.columns ? request.paper.columns : kDefaultColumns,
                          request.paper.code_page};
    return {std::make_unique<SpooledDestination>(
                request.device_name, text, files.HostPath(kSpoolRoot) / request.spool_folder,
                std::move(link), printer, setup.sender, setup.send),
            {}};
  }
  return {std::make_unique<UnavailableDestination>(text),
          "unknown destination \"" + text + "\"; the printer is listed but cannot print"};
}

}  // namespace korv
