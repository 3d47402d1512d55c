// PrintKitchenTicket: the main kitchen ticket of a send, and the copy of the
// order that a kitchen display station reads from KitMonitor\.
//
// A failing printer operation ends it and goes to the kitchen send. The
// kitchen number is drawn first, so it is used up even when nothing is
// printed; the draw waits for its counter rather than fail (order_numbers.cc).
// A monitor file that cannot be written is said and costs nothing else: the
// kitchen's ticket matters more than the display's copy.

#include "common/date_time.h"
#include "common/quoted_list.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "kitchen/ticket_layout.h"

namespace korv {
namespace {

std::string MonitorFolder(const Station& s) { return s.DataRoot + "KitMonitor\\"; }

// KitMonitor\<last five characters of "00000" & the number>.dat: K-5 is
// 00K-5.dat, K-1234 is -1234.dat.
std::string MonitorFileName(const Station& s) {
  return MonitorFolder(s) + Right("00000" + Trim(s.KitchenOrderNo), 5) + ".dat";
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

// Said in the window's error text; a missing folder once, however many
// orders it misses.
void WriteMonitorFileOrSay(KorvMain& m) {
  Steps::Handle([&](const RuntimeError& e) {
    const std::string folder = MonitorFolder(m.station());
    if (!m.platform().files.FolderExists(folder))
      m.Report("The kitchen monitor folder " + folder +
               " does not exist: the kitchen display gets no orders until it is made");
    else
      m.Report("The kitchen monitor file " + MonitorFileName(m.station()) +
               " cannot be written: " + ExplainedError(e) + "; the kitchen display misses order " +
               m.station().KitchenOrderNo);
  })([&] { WriteMonitorFile(m); });
}

// Printed on every main kitchen ticket, also for a blank customer record.
std::vector<std::string> DelayedOrderLine(const CustomerRecord& customer) {
  return {"DELAYED order for ", customer.Text(3), " ", PadRight(customer.Raw(2), 20)};
}

}  // namespace

void KorvMain::PrintKitchenTicket() {
  GetKOrderNumber();
  if (SwitchOn(station_, ConfigField::KitchenMonitor)) WriteMonitorFileOrSay(*this);
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
  const bool red = platform_.files.Present(station_.DataRoot + "data\\RED.DAT");
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
