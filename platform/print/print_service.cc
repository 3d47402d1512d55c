#include "platform/print/print_service.h"

#include "common/runtime_error.h"

namespace korv {

std::string PrintedLine::Text() const {
  std::string out;
  for (const std::string& item : items) out += item;
  return out;
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

std::string PrintService::CurrentName() const {
  return current_ < 0 ? std::string() : printers_[current_].device_name;
}

void PrintService::Select(int index) {
  if (index < 0 || index >= PrinterCount()) throw RuntimeError(kErrInvalidCall);
  if (index != current_ && DocumentOpen()) EndDoc();
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
  if (p.destination) p.destination->Deliver(doc);
}

}  // namespace korv
