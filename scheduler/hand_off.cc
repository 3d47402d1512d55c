// LoadOrderIntoEngine: hands phone order n to the hidden order engine, fills
// its order line list from the line file, totals it and presses its kitchen
// send, as an operator would on an order-entry station.

#include "common/currency.h"
#include "common/order_paths.h"
#include "common/val.h"
#include "engine/order_line.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/line_file.h"

namespace korv {
namespace {

// The row's third field (its line amount) in the "#####.##" pattern; a
// field beyond the currency range counts as no amount, as in the totals.
std::string AmountEntry(const std::string& row) {
  return FormatHashPattern(LineAmount(OrderLineField(row, 3).value_or("")).ToDouble());
}

// A row without a "|" holds no item to print (an order-entry station's
// damaged line): the totals drop it as a junk row, so it is on no ticket, in
// no phone order and in no monitor file. It is said, with the file and the
// line, rather than lost in silence; the delayed order's archive keeps it.
std::vector<std::string> RowsWithoutFields(const std::vector<std::string>& rows,
                                           const std::string& path) {
  std::vector<std::string> said;
  for (size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty() && rows[i].find('|') == std::string::npos)
      said.push_back("Line " + std::to_string(i + 1) + " of " + path + ", \"" + rows[i] +
                     "\", has no \"|\" between its fields: it is left out of the tickets, the "
                     "phone order and the kitchen monitor file");
  return said;
}

}  // namespace

void KORVdelayedSend1::LoadOrderIntoEngine() {
  station_.OrderKey = Trim(station_.PioNumberText.empty() ? PlainNumber(station_.PioNumber)
                                                          : station_.PioNumberText);
  platform_.files.CloseAll();
  KorvMain& engine = Engine();
  engine.MList1.Clear();
  engine.List1.Clear();
  engine.Label11.SetCaption(Trim(station_.CustName));
  engine.Label5.SetCaption("0");

  // Without a line file the order goes on with no lines.
  station_.WorkPath = EngineLinesPath(station_.DataRoot, station_.OrderKey);
  const std::vector<std::string> rows = ReadLineRowsIfAny(platform_.files, station_.WorkPath);
  for (const std::string& said : RowsWithoutFields(rows, station_.WorkPath)) ReportError(said);
  for (const std::string& row : rows) {
    engine.MList1.AddItem(row);
    if (!row.empty() && row.back() == 'Y')
      engine.MList1.SetRowColor(engine.MList1.NewIndex(), kYellow);
    engine.List1.AddItem(AmountEntry(row));
  }
  if (engine.List1.Count() > 0) {
    Currency sum;
    for (const std::string& entry : engine.List1.Items()) sum += Currency::FromDouble(Val(entry));
    engine.Label5.SetCaption(PlainText(sum));
  }
  engine.Label7.SetCaption("Phone IN " + station_.OrderKey);
  engine.SSCommand12.SetVisible(false);
  station_.PioNumberText = station_.OrderKey;
  station_.PioNumber = Val(station_.OrderKey);
  engine.CalcTotal();
  engine.SSCommand27.SetVisible(true);
  platform_.files.CloseAll();
  engine.SSCommand9_Click();
  platform_.loop.DoEvents();
}

}  // namespace korv
