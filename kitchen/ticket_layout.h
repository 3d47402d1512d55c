#pragma once
// The layout the kitchen, station and bar tickets share: sizes and font from
// the station's settings, printer choice by device-name prefix, the ticket
// head, the buffer lines with their bold, red and repeated-modifier rules, the
// take-out banner and the paper feed.
//
// Every printer operation runs through the caller's Steps: the station
// tickets (Print_Kit3, Print_Kit2) skip a failing statement and go on, while
// the main and bar tickets hand the error to the kitchen send.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/record_tables.h"
#include "common/steps.h"
#include "platform/print/print_service.h"
#include "platform/screen/elements.h"

namespace korv {

// The rule line of every ticket: 57 underscores.
inline constexpr char kTicketRule[] = "_________________________________________________________";
static_assert(sizeof(kTicketRule) == 58);

// B = the size step + 5 (base size), H = B + 15 (head size).
struct TicketSizes {
  double base;
  double head;
};
TicketSizes TicketSizesOf(const StationConfig& config);
// The ticket font, "Arial" when blank (the kitchen tickets' default).
std::string KitchenFont(const StationConfig& config);

// An order-type text of a phone-in or take-out order ("Phone In", "Take
// Out", "Phone IN 12"): its first two characters, trimmed, are "Ph" or "Ta".
bool IsOrderTypeLine(std::string_view line);

// A modifier line ("*...") that begins with the whole of the kitchen line
// before it (trimmed): it is sent and printed once.
bool RepeatsPrevious(std::string_view line, std::string_view previous);

// The printer names that switch a ticket off, spelled as the stations spell
// them: the main kitchen ticket only by "None" exactly ("NONE" names a
// printer); the "KITCHEN 2" copy and a station ticket by a blank name or by
// "NONE" in any letter case.
bool MainTicketOff(std::string_view printer_name);
bool CopyTicketOff(std::string_view printer_name);

// True when device begins with name, letter case as stored; a blank name
// matches every device.
bool PrinterMatches(std::string_view device, std::string_view name);
// Index of the first printer whose device name begins with name; -1 if none.
int FirstMatchingPrinter(const std::vector<std::string>& printers, std::string_view name);

// Printer operations, each one statement under the caller's Steps.
class TicketWriter {
 public:
  TicketWriter(PrintService& printer, Steps steps) : printer_(printer), steps_(std::move(steps)) {}

  void Font(const std::string& name);
  void Size(double size);
  void Bold(bool on);
  void Italic(bool on);
  void Color(korv::Color color);
  void Line(std::vector<std::string> items = {});
  void Rule() { Line({kTicketRule}); }
  void EndDoc();
  // Makes the first matching printer current; none matching leaves it.
  void SelectFirst(std::string_view name);
  // Makes every matching printer current in turn, so the last one listed
  // stays current; none matching leaves the current printer.
  void SelectLast(std::string_view name);
  // Feed after the end line: the configured feed lines, at least one.
  void Feed(const StationConfig& config);
  // Any other statement of the ticket.
  bool Run(const std::function<void()>& step) const { return steps_(step); }

 private:
  PrintService& printer_;
  Steps steps_;
};

// Font, bold on, italic off; heading at B, "ORDER" at H, the kitchen number
// at H + 15; then size B, bold off.
void PrintKitchenHead(TicketWriter& w, const std::string& font, const TicketSizes& sizes,
                      const std::string& heading, const std::string& order_no);

// Prints the ticket buffer line by line; `red` when data\RED.DAT exists.
// Returns true when an order-type line ("Ph..."/"Ta...") marked the ticket as
// take-out.
bool PrintBufferLines(TicketWriter& w, const ListBox& buffer, double base, bool red);

// After the buffer: bold off, an empty line, the rule, two empty lines.
void PrintBufferEnd(TicketWriter& w);

// The take-out banner: buffer line 1 bold, "TAKE OUT" large, then the
// station's name.
void PrintTakeOutBanner(TicketWriter& w, const ListBox& buffer, const std::string& font,
                        const std::string& station_name);

}  // namespace korv
