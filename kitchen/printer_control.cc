// Cut_Paper and Set_Printer: the paper cut after a ticket, and the switch
// back to the station's own printer.

#include "common/steps.h"
#include "common/val.h"
#include "engine/korv_main.h"
#include "kitchen/ticket_layout.h"
#include "platform/print/control_font.h"

namespace korv {

// The cut is the line "P" in the ticket driver's command font, printed after
// the ticket's document has ended. It goes out at once, as a document of its
// own right behind its ticket: left open, it would wait for the next ticket
// on that printer (the station's own printer stays current after
// Set_Printer), or be lost when the program ends. Errors go back to the
// calling ticket printer.
void KorvMain::Cut_Paper() {
  PrintService& p = platform_.printer;
  std::string font = Trim(p.FontName());
  p.SetFontSize(10);
  p.SetFontName(kControlFont);
  p.PrintLine({"P"});
  p.SetFontName(font);
  p.EndDoc();
}

// Selects the station's own printer (a prefix of its device name);
// every match is selected in turn, so the last one listed stays current, and
// a blank name selects the last printer. Selection errors go to the caller;
// the page setting after it never fails the ticket.
void KorvMain::Set_Printer() {
  PrintService& p = platform_.printer;
  TicketWriter(p, Steps::Propagate()).SelectLast(station_.Config.Text(ConfigField::StationPrinter));
  Steps::Skip()([&] { p.SetCopies(1); });
  Steps::Skip()([&] {
    if (p.Copies() != 1) p.SetCopies(1);
  });
}

}  // namespace korv
