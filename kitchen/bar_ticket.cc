// PrintBarTicket: the drinks of an order on the bar printer, under the day's
// bar order number. No error handling of its own: a failing printer
// operation ends it and goes to the kitchen send, with the bar number already
// drawn.

#include "common/date_time.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "kitchen/send_routing.h"
#include "kitchen/ticket_layout.h"

namespace korv {
namespace {

void PrintBarLines(TicketWriter& w, const ListBox& lines) {
  for (const std::string& line : lines.Items()) {
    w.Bold(Val(line) > 0);
    w.Line({line});
  }
}

}  // namespace

// The document is ended after the feed, before the cut, which follows it as
// a document of its own (Cut_Paper), as on the kitchen tickets.
void KorvMain::PrintBarTicket() {
  const StationConfig& c = station_.Config;
  const std::string printer_name = c.Text(ConfigField::BarPrinter);
  if (!BarTicketOn(station_)) return;
  TicketWriter w(platform_.printer, Steps::Propagate());
  w.SelectLast(printer_name);
  GetBar_OrderNumb();
  const TicketSizes sizes = TicketSizesOf(c);
  const std::string font =
      c.Text(ConfigField::TicketFont);  // no default: the bar ticket never had one
  w.Run([&] { platform_.printer.SetCopies(1); });
  w.Font(font);
  w.Bold(true);
  w.Size(sizes.base);
  w.Italic(false);
  w.Line({"Beverage"});
  w.Size(sizes.head + 5);
  w.Line({"ORDER"});
  w.Size(sizes.base);
  w.Line({SSPanel1.Caption()});
  w.Rule();
  w.Size(sizes.base);
  w.Bold(true);
  w.Line();
  const bool take_out = IsOrderTypeLine(SSPanel1.Caption());
  PrintBarLines(w, List3);
  w.Line();
  w.Rule();
  w.Size(sizes.base);
  w.Line({"OrderNumber"});
  w.Size(sizes.head);
  w.Line({station_.BarOrderNo});
  w.Size(c.Number(ConfigField::TicketSizeStep));
  w.Rule();
  if (take_out) PrintTakeOutBanner(w, List2, font, station_.StationName);
  const DateTime now = platform_.clock.Now();
  w.Line({DefaultDateText(now.date), "   ", DefaultTimeText(now.seconds)});
  w.Line();
  w.Bold(false);
  w.Feed(c);
  w.EndDoc();
  if (SwitchOn(station_, ConfigField::CutAfterBar)) Cut_Paper();
  Set_Printer();
}

}  // namespace korv
