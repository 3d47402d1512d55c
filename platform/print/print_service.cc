#include "platform/print/print_service.h"

#include <algorithm>

#include "common/runtime_error.h"
#include "common/steps.h"

namespace korv {

std::string PrintedLine::Text() const {
  std::string out;
  for (const std::string& item : items) out += item;
  return out;
}

PrintService::~PrintService() {
  for (InstalledPrinter& p : printers_)
    if (p.destination) p.destination->Stop();
}

PrintService::PrintService(std::vector<InstalledPrinter> printers, int current)
    : printers_(std::move(printers)) {
  current_ = printers_.empty() ? -1 : (current >= 0 && current < PrinterCount() ? current : 0);
}

std::vector<std::string> PrintService::Printers() const {
  std::vector<std::string> names;
  for (const InstalledPrinter& p : printers_) names.push_back(p.device_name);
  return names;
}

bool PrintService::CanPrint(int index) const {
  return index >= 0 && index < PrinterCount() && printers_[index].destination &&
         printers_[index].destination->CanPrint();
}

std::string PrintService::CurrentName() const {
  return current_ < 0 ? std::string() : printers_[current_].device_name;
}

void PrintService::Select(int index) {
  if (index < 0 || index >= PrinterCount()) throw RuntimeError(kErrInvalidCall);
  if (index == current_ || !DocumentOpen()) {
    current_ = index;
    return;
  }
  // The new printer is current even when the old document fails to go out,
  // so the next ticket never lands on the printer that just failed.
  try {
    EndDoc();
  } catch (...) {
    current_ = index;
    throw;
  }
  current_ = index;
}

void PrintService::PrintLine(std::vector<std::string> items) {
  if (current_ < 0) throw RuntimeError(kErrPrinter, "No printer is installed");
  PrintedLine line = state_;
  line.items = std::move(items);
  open_.printer = printers_[current_].device_name;
  open_.lines.push_back(std::move(line));
}

void PrintService::EndDoc() {
  if (!DocumentOpen() || current_ < 0) return;
  Document doc = std::move(open_);
  open_ = Document{};
  InstalledPrinter& p = printers_[current_];
  if (!p.destination && ledger_)
    throw StepsHalted{"its ticket for printer " + p.device_name +
                      " cannot be printed: the printer's entry names no destination this station "
                      "can print to"};
  if (!p.destination) return;
  if (ledger_) {
    DeliverOnce(*p.destination, doc);
  } else {
    p.destination->Deliver(doc);
  }
}

void PrintService::SetLedger(DocumentLedger* ledger) {
  ledger_ = ledger;
  ended_ = 0;
}

void PrintService::Start() {
  for (InstalledPrinter& p : printers_)
    if (p.destination) p.destination->Start();
}

void PrintService::RetryHeldTickets() {
  for (InstalledPrinter& p : printers_)
    if (p.destination) p.destination->RetryNow();
}

// The number is recorded before the document is written and its arrival
// after, so a crash in between is settled by looking at the printer's spool.
// A delivery that fails leaves its entry begun: the send stops, and its
// resumption looks for the document and delivers it then.
void PrintService::DeliverOnce(Destination& d, const Document& doc) {
  const int k = ++ended_;
  try {
    DeliverEntry(d, doc, k);
  } catch (const std::exception& e) {
    throw StepsHalted{"its ticket for printer " + doc.printer + " (" + d.Describe() +
                      ") could not be delivered: " + ExplainedError(AsRuntimeError(e))};
  }
}

void PrintService::DeliverEntry(Destination& d, const Document& doc, int k) {
  constexpr int kAttempts = 100;  // numbers another writer took first
  const LedgerEntry entry = ledger_->Entry(k);
  const bool same = entry.begun && entry.printer == doc.printer;
  if (same && entry.done) {
    if (entry.delivered) d.Release(entry.ref);
    return;
  }
  if (same && d.Holds(entry.ref, doc)) {
    ledger_->Done(k, true);
    return d.Release(entry.ref);
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int64_t ref = entry.ref;
    if (attempt > 0 || !same) {
      ref = d.Reserve(doc);
      ledger_->Begin(k, doc.printer, ref);
    }
    if (d.DeliverAs(ref, doc)) {
      ledger_->Done(k, true);
      return d.Release(ref);
    }
  }
  throw RuntimeError(kErrPathFileAccess, "No free document number at " + doc.printer);
}

std::vector<std::string> PrintService::HeldBackWarnings() const {
  std::vector<std::string> warnings;
  for (const InstalledPrinter& p : printers_) {
    if (!p.destination) continue;
    DestinationState state = p.destination->State();
    if (state.held == 0 || state.problem.empty()) continue;
    warnings.push_back("Printer " + p.device_name + " (" + p.destination->Describe() + ") holds " +
                       std::to_string(state.held) +
                       (state.held == 1 ? " print job" : " print jobs") +
                       " back and keeps trying: " + state.problem);
  }
  return warnings;
}

bool PrintService::Drain(std::chrono::milliseconds within) {
  auto end = std::chrono::steady_clock::now() + within;
  bool all = true;
  for (InstalledPrinter& p : printers_) {
    if (!p.destination) continue;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    all &= p.destination->Drain(std::max(left, std::chrono::milliseconds(0)));
  }
  return all;
}

}  // namespace korv
