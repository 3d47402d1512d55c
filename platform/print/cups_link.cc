#include "platform/print/cups_link.h"

#include <cups/cups.h>

#include <memory>

namespace korv {
namespace {

struct Waiting {
  Deadline deadline;
  const std::atomic<bool>* stop;
};

// libcups asks each second whether to go on waiting for the server.
int GoOnWaiting(http_t*, void* data) {
  auto* w = static_cast<Waiting*>(data);
  return !w->deadline.Passed() && !*w->stop;
}

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;

// "host:port", "host", "[v6]:port" or "/run/cups/cups.sock"; empty: libcups's
// default.
Http Connect(const std::string& configured, std::chrono::milliseconds within) {
  // libcups looks queues up on "its" server, a setting of the calling thread
  // only; it must be the server this connection goes to.
  if (!configured.empty()) cupsSetServer(configured.c_str());
  std::string host = cupsServer();
  int port = ippPort();
  size_t colon = host.rfind(':');
  bool has_port = !host.empty() && host[0] != '/' && colon != std::string::npos &&
                  (host[0] == '[' ? host[colon - 1] == ']' : host.find(':') == colon);
  if (has_port) {
    port = atoi(host.c_str() + colon + 1);
    host.resize(colon);
  }
  if (host.size() > 2 && host[0] == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  return Http(httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           static_cast<int>(within.count()), nullptr));
}

[[noreturn]] void Refused(const std::string& queue, const std::string& what) {
  RaisePrinterProblem("CUPS queue " + queue + ": " + what + ": " + cupsLastErrorString());
}

// Why the queue cannot print tickets; empty when it can. A queue with a
// driver would print the ESC/POS commands as text: only CUPS's raw queue
// passes them through.
std::string QueueProblem(const cups_dest_t* dest) {
  if (!dest) return "does not exist";
  auto option = [&](const char* name) {
    const char* value = cupsGetOption(name, dest->num_options, dest->options);
    return std::string(value ? value : "");
  };
  if (std::string model = option("printer-make-and-model"); model != "Local Raw Printer")
    return "is not a raw queue (its driver is \"" + model + "\")";
  if (option("printer-state") == "5") return "is stopped (cupsenable starts it)";
  if (option("printer-is-accepting-jobs") == "false")
    return "rejects jobs (cupsaccept makes it accept them)";
  return {};
}

// The queue's condition as the server tells it; kUnknown when it does not.
PrinterCondition QueueCondition(http_t* http, const std::string& queue) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", queue.c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  static const char* const kWanted[] = {"printer-state", "printer-state-reasons"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                kWanted);
  ipp_t* response = cupsDoRequest(http, request, "/");
  if (!response) return PrinterCondition::kUnknown;
  int state = 0;
  std::string reasons;
  if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
    state = ippGetInteger(a, 0);
  if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD))
    for (int i = 0; i < ippGetCount(a); ++i)
      reasons.append(ippGetString(a, i, nullptr)).append(",");
  const bool answered = ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING;
  ippDelete(response);
  return answered ? CupsCondition(state, reasons) : PrinterCondition::kUnknown;
}

}  // namespace

PrinterCondition CupsLink::Ask(std::chrono::milliseconds within) const {
  if (!ask_status_) return PrinterCondition::kUnknown;
  Http http = Connect(server_, within);
  if (!http) return PrinterCondition::kUnknown;
  std::atomic<bool> never{false};
  Waiting waiting{Deadline(within), &never};
  httpSetTimeout(http.get(), 0.5, GoOnWaiting, &waiting);
  return QueueCondition(http.get(), queue_);
}

void CupsLink::Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) {
  Http http = Connect(server_, timeouts_.connect);
  if (!http) RaisePrinterProblem("CUPS queue " + queue_ + ": no CUPS server answers");
  Waiting waiting{Deadline(timeouts_.io), &stop};
  httpSetTimeout(http.get(), 1.0, GoOnWaiting, &waiting);
  const char* q = queue_.c_str();
  if (ask_status_) {
    attempt.before = QueueCondition(http.get(), queue_);
    if (HoldsTickets(attempt.before))
      RaisePrinterProblem("CUPS queue " + queue_ + " reports " + ConditionText(attempt.before));
  }
  int job = cupsCreateJob(http.get(), q, "Korvain ticket", 0, nullptr);
  if (job == 0) Refused(queue_, "job not accepted");
  bool sent =
      cupsStartDocument(http.get(), q, job, "ticket", CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE &&
      cupsWriteRequestData(http.get(), bytes.data(), bytes.size()) == HTTP_STATUS_CONTINUE &&
      cupsFinishDocument(http.get(), q) == IPP_STATUS_OK;
  if (sent) return;
  std::string why = cupsLastErrorString();
  cupsCancelJob2(http.get(), q, job, 1);
  RaisePrinterProblem("CUPS queue " + queue_ + ": document not accepted: " + why);
}

std::string CupsLink::Check(std::chrono::milliseconds within) const {
  Http http = Connect(server_, within);
  if (!http) {
    std::string server = cupsServer();
    if (!server.empty() && server[0] != '/') server.append(":").append(std::to_string(ippPort()));
    return "no CUPS server answers at " + server;
  }
  std::atomic<bool> never{false};
  Waiting waiting{Deadline(within), &never};
  httpSetTimeout(http.get(), 0.5, GoOnWaiting, &waiting);
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(http.get(), &dests);
  std::string problem = QueueProblem(cupsGetDest(queue_.c_str(), nullptr, count, dests));
  cupsFreeDests(count, dests);
  return problem.empty() ? problem : "CUPS queue " + queue_ + " " + problem;
}

std::vector<std::string> ListCupsQueues(const std::string& server,
                                        std::chrono::milliseconds within) {
  Http http = Connect(server, within);
  if (!http) return {};
  std::atomic<bool> never{false};
  Waiting waiting{Deadline(within), &never};
  httpSetTimeout(http.get(), 0.5, GoOnWaiting, &waiting);
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(http.get(), &dests);
  std::vector<std::string> queues;
  for (int i = 0; i < count; ++i)
    if (!dests[i].instance) queues.push_back(dests[i].name);
  cupsFreeDests(count, dests);
  return queues;
}

}  // namespace korv
