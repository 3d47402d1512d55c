#include "scheduler/engine_hand_off.h"

#include "common/currency.h"
#include "common/order_paths.h"
#include "common/val.h"
#include "engine/order_line.h"
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

EngineHandOff::EngineHandOff(Station& station, Platform& platform,
                             std::function<void(const std::string&)> say,
                             std::function<bool()> ending)
    : station_(station),
      platform_(platform),
      say_(std::move(say)),
      ending_(std::move(ending)),
      send_clock_(platform.clock),
      engine_platform_{platform.files, send_clock_,    platform.printer, platform.loop,
                       platform.boxes, platform.sound, platform.host,    platform.status} {}

KorvMain& EngineHandOff::Engine() {
  if (!engine_) {
    engine_ = std::make_unique<KorvMain>(station_, engine_platform_, &engine_files_);
    engine_->ReportProblem = say_;
    engine_->EndAsked = ending_;
    engine_->Load();
  }
  return *engine_;
}

// The engine and the printing service work under the send's journal for the
// kitchen send, and let go of it however the kitchen send ends.
void EngineHandOff::SendToKitchen(SendJournal& journal, const std::string* lines) {
  struct HeldTime {
    HeldClock& clock;
    ~HeldTime() { clock.Let(); }
  } held{send_clock_};
  send_clock_.Hold(journal.beginning().time);
  struct Ledgers {
    KorvMain& engine;
    PrintService& printer;
    ~Ledgers() {
      engine.SetLedger(nullptr);
      printer.SetLedger(nullptr);
    }
  } ledgers{Engine(), platform_.printer};
  ledgers.engine.SetLedger(&journal);
  ledgers.printer.SetLedger(&journal);
  LoadOrderIntoEngine(lines);
}

void EngineHandOff::LoadOrderIntoEngine(const std::string* lines) {
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
  const std::vector<std::string> rows =
      lines ? LineRows(*lines) : ReadLineRowsIfAny(platform_.files, station_.WorkPath);
  for (const std::string& said : RowsWithoutFields(rows, station_.WorkPath)) say_(said);
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
