#include "platform/print/ticket_headings.h"

#include <regex>

#include "common/color.h"
#include "platform/print/escpos_reader.h"

namespace korv {

bool PrintsText(std::string_view job_bytes) {
  for (const TicketLine& line : ReadTicket(job_bytes))
    if (line.text.find_first_not_of(' ') != std::string::npos) return true;
  return false;
}

std::string TicketLabel(std::string_view job_bytes) {
  static const std::regex kitchen_order(R"(\bK-\d+\b)");
  const std::vector<TicketLine> lines = ReadTicket(job_bytes);
  for (const TicketLine& line : lines) {
    std::smatch m;
    if (std::regex_search(line.text, m, kitchen_order)) return m.str();
  }
  // A bar ticket prints its number on the line after "OrderNumber".
  for (size_t i = 0; i + 1 < lines.size(); ++i)
    if (lines[i].text == "OrderNumber" && !lines[i + 1].text.empty())
      return "BAR " + lines[i + 1].text;
  return {};
}

std::string RepeatHeadingText(const std::string& label) {
  return "** REPEAT? " + (label.empty() ? std::string() : label + " - ") +
         "CHECK BEFORE COOKING **";
}

std::string BackupHeadingText(const std::string& device_name, PrinterCondition condition) {
  const std::string name = device_name.substr(0, device_name.find(' '));
  const char* why = "IS NOT PRINTING";
  if (condition == PrinterCondition::kPaperEnd) why = "HAS NO PAPER";
  if (condition == PrinterCondition::kCoverOpen) why = "HAS ITS COVER OPEN";
  if (condition == PrinterCondition::kOffline) why = "IS OFFLINE";
  return "FOR " + name + " - " + name + " " + why;
}

std::string HeadingBytes(const std::string& text, const EscPosPrinter& printer) {
  Document doc;
  doc.lines.push_back(PrintedLine{{text}, "Arial", 10, true, false, kRed});
  return RenderEscPos(doc, printer);
}

}  // namespace korv
