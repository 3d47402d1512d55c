// PrintKitchenTicket: the main kitchen ticket of a send, and the copy of the
// order that a kitchen display station reads from KitMonitor\.
//
// No error handling of its own: a failing file or printer operation ends it
// and goes to the kitchen send. The kitchen number is drawn first, so it is
// used up even when nothing is printed.

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "kitchen/ticket_layout.h"

namespace korv {
namespace {

// KitMonitor\<last five characters of "00000" & the number>.dat: K-5 is
// 00K-5.dat, K-1234 is -1234.dat.
std::string MonitorFileName(const Station& s) {
  return s.DataRoot + "KitMonitor\\" + Right("00000" + Trim(s.KitchenOrderNo), 5) + ".dat";
}

// The order type, the number with the time and station, then every order
// line as it stands, one quoted field a line. A new file appears whole and
// an old one of the same name is rewritten in place, so the display station
// never reads an empty or half order.
void WriteMonitorFile(KorvMain& m) {
  const Station& s = m.station();
  Platform& pf = m.platform();
  std::string text = QuotedLine({Trim(m.SSPanel1.Caption())});
  text += QuotedLine({s.KitchenOrderNo + "  -  " + FormatHHMMAmPm(pf.clock.Now().seconds) + " - " +
                      s.StationName});
  for (int i = 0; i < m.MList1.Count(); ++i) text += QuotedLine({m.MList1.Item(i)});
  pf.files.CloseAll();
  pf.files.WriteWhole(MonitorFileName(s), text);
}

// Printed on every main kitchen ticket, also for a blank customer record.
std::vector<std::string> DelayedOrderLine(const CustomerRecord& customer) {
  return {"DELAYED order for ", customer.Text(3), " ", PadRight(customer.Raw(2), 20)};
}

}  // namespace

void KorvMain::PrintKitchenTicket() {
  GetKOrderNumber();
  if (SwitchOn(station_, ConfigField::KitchenMonitor)) WriteMonitorFile(*this);
  const std::string printer_name = station_.Config.Text(ConfigField::MainKitchenPrinter);
  if (MainTicketOff(printer_name)) {
    platform_.loop.DoEvents();
    return;
  }
  const StationConfig& c = station_.Config;
  TicketWriter w(platform_.printer, Steps::Propagate());
  w.SelectLast(printer_name);
  const std::string font = KitchenFont(c);
  const TicketSizes sizes = TicketSizesOf(c);
  PrintKitchenHead(w, font, sizes, "KITCHEN", station_.KitchenOrderNo);
  const bool red = platform_.files.Exists(station_.DataRoot + "data\\RED.DAT");
  const bool take_out = PrintBufferLines(w, List2, sizes.base, red);
  PrintBufferEnd(w);
  if (take_out) PrintTakeOutBanner(w, List2, font, station_.StationName);
  w.Bold(false);
  w.Italic(true);
  w.Size(8);
  w.Line(DelayedOrderLine(station_.Customer));
  w.Italic(false);
  w.Size(sizes.base);
  w.Line({"..... END Order " + station_.KitchenOrderNo});
  w.Feed(c);
  w.EndDoc();
  platform_.loop.DoEvents();
  if (SwitchOn(station_, ConfigField::CutAfterMainTicket)) Cut_Paper();
  Set_Printer();
  platform_.loop.DoEvents();
}

}  // namespace korv
