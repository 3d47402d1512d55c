#include "kitchen/ticket_layout.h"

#include <algorithm>

#include "common/val.h"

namespace korv {

namespace {

// "* {{" with one to four blanks: an instruction the kitchen must not miss.
bool IsHighlighted(std::string_view line) {
  if (!StartsWith(line, "*")) return false;
  size_t blanks = 0;
  while (1 + blanks < line.size() && line[1 + blanks] == ' ') ++blanks;
  return blanks >= 1 && blanks <= 4 && line.substr(1 + blanks, 2) == "{{";
}

}  // namespace

// The prefix rule is intended. Nothing repeats an empty line, so a modifier
// after a blank line or at the top is always printed.
bool RepeatsPrevious(std::string_view line, std::string_view previous) {
  return StartsWith(line, "*") && !previous.empty() && StartsWith(line, previous);
}

bool IsOrderTypeLine(std::string_view line) {
  std::string t = Trim(Left(line, 2));
  return t == "Ph" || t == "Ta";
}

TicketSizes TicketSizesOf(const StationConfig& config) {
  double base = config.Number(ConfigField::TicketSizeStep) + 5;
  return {base, base + 15};
}

std::string KitchenFont(const StationConfig& config) {
  std::string font = config.Text(ConfigField::TicketFont);
  return font.empty() ? "Arial" : font;
}

bool MainTicketOff(std::string_view printer_name) { return printer_name == "None"; }

bool CopyTicketOff(std::string_view printer_name) {
  return Trim(printer_name).empty() || Upper(printer_name) == "NONE";
}

bool PrinterMatches(std::string_view device, std::string_view name) {
  return StartsWith(device, name);
}

int FirstMatchingPrinter(const std::vector<std::string>& printers, std::string_view name) {
  for (size_t i = 0; i < printers.size(); ++i)
    if (PrinterMatches(printers[i], name)) return static_cast<int>(i);
  return -1;
}

void TicketWriter::Font(const std::string& name) {
  steps_([&] { printer_.SetFontName(name); });
}
void TicketWriter::Size(double size) {
  steps_([&] { printer_.SetFontSize(size); });
}
void TicketWriter::Bold(bool on) {
  steps_([&] { printer_.SetBold(on); });
}
void TicketWriter::Italic(bool on) {
  steps_([&] { printer_.SetItalic(on); });
}
void TicketWriter::Color(korv::Color color) {
  steps_([&] { printer_.SetForeColor(color); });
}
void TicketWriter::Line(std::vector<std::string> items) {
  steps_([&] { printer_.PrintLine(std::move(items)); });
}
void TicketWriter::EndDoc() {
  steps_([&] { printer_.EndDoc(); });
}

void TicketWriter::SelectFirst(std::string_view name) {
  steps_([&] {
    int index = FirstMatchingPrinter(printer_.Printers(), name);
    if (index >= 0) printer_.Select(index);
  });
}

void TicketWriter::SelectLast(std::string_view name) {
  steps_([&] {
    std::vector<std::string> printers = printer_.Printers();
    for (size_t i = 0; i < printers.size(); ++i)
      if (PrinterMatches(printers[i], name)) printer_.Select(static_cast<int>(i));
  });
}

void TicketWriter::Feed(const StationConfig& config) {
  int lines = static_cast<int>(std::max(1.0, config.Number(ConfigField::FeedLines)));
  for (int i = 0; i < lines; ++i) Line();
}

void PrintKitchenHead(TicketWriter& w, const std::string& font, const TicketSizes& sizes,
                      const std::string& heading, const std::string& order_no) {
  w.Font(font);
  w.Bold(true);
  w.Italic(false);
  w.Size(sizes.base);
  w.Line({heading});
  w.Size(sizes.head);
  w.Line({"ORDER"});
  w.Size(sizes.head + 15);
  w.Line({order_no});
  w.Size(sizes.base);
  w.Bold(false);
}

bool PrintBufferLines(TicketWriter& w, const ListBox& buffer, double base, bool red) {
  bool take_out = false;
  std::string previous;
  for (int i = 0; i < buffer.Count(); ++i) {
    const std::string& line = buffer.Item(i);
    w.Bold(false);
    w.Size(base);
    if (!RepeatsPrevious(line, previous)) {
      w.Bold(Val(line) > 0);
      if (IsOrderTypeLine(line)) take_out = true;
      if (red && IsHighlighted(line)) {
        w.Color(kRed);
        w.Bold(true);
      }
      w.Line({line});
      w.Color(kButtonText);
      w.Bold(false);
    }
    previous = Trim(line);
    if (i == 0) w.Rule();
  }
  return take_out;
}

void PrintBufferEnd(TicketWriter& w) {
  w.Bold(false);
  w.Line();
  w.Rule();
  w.Line();
  w.Line();
}

void PrintTakeOutBanner(TicketWriter& w, const ListBox& buffer, const std::string& font,
                        const std::string& station_name) {
  w.Bold(true);
  w.Run([&] { w.Line({buffer.Item(1)}); });
  w.Font(font);
  w.Size(36);
  w.Bold(true);
  w.Line({"TAKE OUT"});
  w.Font(font);
  w.Size(10);
  w.Line({"Station -", station_name});
}

}  // namespace korv
