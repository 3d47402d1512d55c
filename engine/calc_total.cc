// CalcTotal: every total and the order buttons' state, rebuilt from the rows.

#include <optional>

#include "common/currency.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "engine/order_line.h"

namespace korv {
namespace {

void ResetTotals(KorvMain& w) {
  w.List4.Clear();
  for (Label* l : {&w.Ltax, &w.Ltotal, &w.Lnet, &w.Label15}) l->SetCaption("0");
}

// Adds to a total held as a caption; the caption is the store.
void AddTo(Label& label, Currency amount) {
  label.SetCaption(PlainText(Currency::FromDouble(Val(label.Caption())) + amount));
}

// Adds one row to the totals; returns its line amount.
Currency AddRow(KorvMain& w, const std::string& row) {
  const Station& s = w.station();
  // A field that cannot be cut out counts as empty, never as the field of
  // the row before.
  Currency amount = LineAmount(OrderLineField(row, 3).value_or(""));
  std::string route = OrderLineField(row, 5).value_or("");
  Currency tax;
  bool dine_in_only = SwitchOn(s, ConfigField::TaxDineInOnly);
  if ((!dine_in_only || StartsWith(w.SSPanel1.Caption(), "Dine")) && IsTaxableRow(row)) {
    tax = amount * s.TaxRate;
  }
  AddTo(w.Ltax, tax);
  AddTo(w.Ltotal, tax + amount);
  AddTo(w.Lnet, amount);
  if (!(s.Config.Number(ConfigField::UntotalledLRoutes) != 0 && IsLRoute(route)))
    AddTo(w.Label15, amount);
  return amount;
}

// Scans the rows into the totals. A junk row is removed and the scan starts
// over, so the totals are those of the rows that stay.
void ScanRows(KorvMain& w) {
  std::optional<Currency> last;
  for (int i = 0; i < w.MList1.Count(); ++i) {
    const std::string row = w.MList1.Item(i);
    w.List4.AddItem(row);
    if (IsJunkRow(row)) {
      w.MList1.RemoveItem(i);
      ResetTotals(w);
      w.Label5.SetCaption("0");
      last.reset();
      i = -1;
      continue;
    }
    last = AddRow(w, row);
  }
  w.Label2.SetCaption(FormatCurrency(Val(w.Ltotal.Caption())));
  w.Label5.SetCaption(last ? PlainText(*last) : "");
}

// Send and Send Later are offered while any row is unsent.
void ApplySendState(KorvMain& w) {
  w.SSCommand9.SetEnabled(false);
  w.SSCommand27.SetEnabled(false);
  w.SSCommand9.Style = 0;
  for (int i = 0; i < w.MList1.Count(); ++i) {
    const std::string& row = w.MList1.Item(i);
    if (!row.empty() && row.back() == 'N') {
      w.SSCommand9.Style = 3;
      w.SSCommand27.SetEnabled(true);
      w.SSCommand9.SetEnabled(true);
      return;
    }
  }
}

void ApplyOrderButtons(KorvMain& w) {
  const Station& s = w.station();
  double total = Val(w.Ltotal.Caption());
  w.SSCommand14.SetVisible(true);
  if (total > 0) w.SSCommand1.SetEnabled(true);
  if (total == 0) w.SSCommand14.SetVisible(false);
  std::string type = Left(w.SSPanel1.Caption(), 3);
  if (type == "Del" || type == "Tak" || type == "Pho") w.SSCommand14.SetVisible(false);
  w.SSCommand17.SetVisible(SwitchOn(s, ConfigField::CouponButton));
}

void ApplyConvertButton(KorvMain& w) {
  w.SSCommand24.SetVisible(false);
  std::string type = Trim(w.SSPanel1.Caption());
  if (StartsWith(type, "Deliv")) {
    w.SSCommand24.SetCaption("Convert to Phone Order");
    w.SSCommand24.SetVisible(true);
  } else if (StartsWith(type, "Phone")) {
    w.SSCommand24.SetCaption("Convert to Delivery Order");
    w.SSCommand24.SetVisible(true);
  }
}

}  // namespace

void KorvMain::CalcTotal() {
  Station& s = station_;
  SSPanel2.SetVisible(false);
  ResetTotals(*this);
  SSCommand1.SetEnabled(!SwitchOn(s, ConfigField::TenderOff));
  ScanRows(*this);
  ApplySendState(*this);
  MList1.SetListIndex(MList1.Count() - 1);
  ApplyOrderButtons(*this);
  s.ServerName = Trim(s.ServerName);
  Label12.SetCaption(s.ServerName);
  if (Val(Label4.Caption()) == 0) Label4.SetCaption("1");
  if (Val(Ltotal.Caption()) > 0) SSCommand10.SetEnabled(true);
  SSCommand4_Click(0);
  ApplyConvertButton(*this);
  if (SwitchOn(s, ConfigField::ScanEntry)) Steps::Skip()([this] { FocusText1(); });
}

}  // namespace korv
