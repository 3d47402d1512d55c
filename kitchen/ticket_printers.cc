// Print_Kit3 and Print_Kit2: the station kitchen tickets ("KITCHEN 3" to
// "KITCHEN 8") and the second kitchen printer's copy ("KITCHEN 2"). Both
// print the ticket buffer List2 unchanged and ignore every error: a printer
// that is off line costs its ticket, never the send.

#include "common/steps.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "kitchen/needed_printers.h"
#include "kitchen/ticket_layout.h"

namespace korv {
namespace {

// The foot of a dine-in ticket: the server's place (sent orders carry no
// server name) and the station. A take-out ticket has its banner instead.
void PrintServerFoot(TicketWriter& w, bool take_out, const std::string& station_name) {
  w.Bold(false);
  w.Italic(true);
  w.Size(8);
  if (!take_out) w.Line({"Server"});
  w.Italic(false);
  w.Size(10);
  if (!take_out) w.Line();
  w.Size(8);
  if (!take_out) w.Line({"Station - ", station_name});
}

// One kitchen ticket on the first printer whose device name begins with
// printer_name; a blank name or "NONE" in any letter case prints nothing.
void PrintKitchenCopy(KorvMain& m, const std::string& printer_name, const std::string& heading,
                      const std::string& end_text) {
  if (CopyTicketOff(printer_name)) return;
  Station& s = m.station();
  Platform& pf = m.platform();
  TicketWriter w(pf.printer, Steps::Skip());
  w.SelectFirst(printer_name);
  const std::string font = KitchenFont(s.Config);
  const TicketSizes sizes = TicketSizesOf(s.Config);
  PrintKitchenHead(w, font, sizes, heading, s.KitchenOrderNo);
  const bool red = pf.files.Present(s.DataRoot + "data\\RED.DAT");
  const bool take_out = PrintBufferLines(w, m.List2, sizes.base, red);
  PrintBufferEnd(w);
  if (take_out) PrintTakeOutBanner(w, m.List2, font, s.StationName);
  PrintServerFoot(w, take_out, s.StationName);
  w.Size(10);
  w.Line({end_text + s.KitchenOrderNo});
  w.Rule();
  w.Feed(s.Config);
  w.EndDoc();
  w.Run([&] { pf.loop.DoEvents(); });
  if (SwitchOn(s, ConfigField::CutAfterCopy)) {
    w.Run([&] { m.Cut_Paper(); });
    w.Run([&] { m.Set_Printer(); });
  }
}

}  // namespace

void KorvMain::Print_Kit3() {
  PrintKitchenCopy(*this, Trim(station_.KitchenPrinterName), station_.KitchenHeading,
                   ".... END Order ");
}

void KorvMain::Print_Kit2() {
  if (KitchenCopyOff(station_, platform_.files)) return;
  PrintKitchenCopy(*this, station_.Config.Text(ConfigField::KitchenCopyPrinter), "KITCHEN 2",
                   "......................... END Order ");
}

}  // namespace korv
