// Form_Load: prepares the hidden order engine for one order. Every step runs
// on its own; a failing step is skipped and the next one runs.

#include <array>

#include "common/steps.h"
#include "common/val.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "engine/station_config.h"

namespace korv {
namespace {

// One configuration switch and what it does to the order commands.
struct SwitchRule {
  ConfigField field;
  void (*apply)(KorvMain& w, const Station& s);
};

void Show(std::initializer_list<Button*> buttons, bool visible) {
  for (Button* b : buttons) b->SetVisible(visible);
}

// The switches in the order they are applied; HideMoreButton overrides
// MoreButton, so it comes after it.
const std::array<SwitchRule, 10> kButtonSwitches = {{
    {ConfigField::TableService,
     [](KorvMain& w, const Station& s) {
       if (s.ConfigValue39 == -1) Show({&w.SSCommand9, &w.SSCommand10, &w.SSCommand11}, true);
     }},
    {ConfigField::BarButton,
     [](KorvMain& w, const Station& s) {
       w.SSCommand13.SetVisible(SwitchOn(s, ConfigField::BarButton));
     }},
    {ConfigField::UpChargeButton,
     [](KorvMain& w, const Station& s) {
       w.SSCommand19.SetVisible(SwitchOn(s, ConfigField::UpChargeButton));
     }},
    {ConfigField::CouponButton,
     [](KorvMain& w, const Station& s) {
       w.SSCommand17.SetVisible(!SwitchOn(s, ConfigField::CouponButton));
     }},
    {ConfigField::MoreButton,
     [](KorvMain& w, const Station& s) {
       w.SSCommand20.SetVisible(s.Config.Text(ConfigField::MoreButton) == "Y");
     }},
    {ConfigField::HideMoreButton,
     [](KorvMain& w, const Station& s) {
       if (SwitchOn(s, ConfigField::HideMoreButton)) w.SSCommand20.SetVisible(false);
     }},
    {ConfigField::HideGiftCardButton,
     [](KorvMain& w, const Station& s) {
       if (SwitchOn(s, ConfigField::HideGiftCardButton)) w.SSCommand16.SetVisible(false);
     }},
    {ConfigField::HideDiscountButton,
     [](KorvMain& w, const Station& s) {
       if (SwitchOn(s, ConfigField::HideDiscountButton)) w.SSCommand18.SetVisible(false);
     }},
    {ConfigField::HideTenderButton,
     [](KorvMain& w, const Station& s) {
       if (!SwitchOn(s, ConfigField::HideTenderButton)) return;
       w.SSCommand1.SetVisible(false);
       w.SSCommand1.SetEnabled(false);
     }},
    {ConfigField::CardAdvanceButton,
     [](KorvMain& w, const Station& s) {
       if (SwitchOn(s, ConfigField::CardAdvanceButton)) w.SSCommand25.SetVisible(true);
     }},
}};

}  // namespace

void KorvMain::Form_Load() {
  Station& s = station_;
  FileSystem& files = platform_.files;
  Steps skip = Steps::Skip();
  skip([&] { s.LocalRoot = "C:\\Korvain\\"; });
  skip([&] { ReadStationConfigFile(s, files, kept_); });
  skip([&] {
    if (auto name = platform_.host.ComputerName()) s.StationName = *name;
  });
  skip([&] { Reset_Quanity(); });
  skip([&] { Label4.SetCaption("1"); });
  skip([&] { SSCommand1.SetEnabled(false); });
  skip([&] { fill_buttons(); });
  skip([&] { Load_Data(); });
  skip([&] { files.CloseAll(); });
  skip([&] { platform_.loop.DoEvents(); });
  skip([&] {
    if (s.TaxRate == 0) s.TaxRate = 0.081;
  });
  skip([&] {
    if (Trim(Label7.Caption()).empty()) Label7.SetCaption("   Welcome");
  });
  skip([&] { CalcTotal(); });
  for (const SwitchRule& rule : kButtonSwitches) skip([&] { rule.apply(*this, s); });
  skip([&] { platform_.loop.DoEvents(); });
  skip([&] { Label4.SetCaption("1"); });
  // The scan switch and the quantity switch come last, after pending events.
  bool scan = SwitchOn(s, ConfigField::ScanEntry);
  skip([&] { SSCommand23.SetVisible(scan); });
  if (scan) skip([&] { FocusText1(); });
  skip([&] {
    if (s.Config.Number(ConfigField::FewQuantityButtons) == 0) return;
    for (int i = 0; i < 8; ++i) SSCommand4[i].SetVisible(false);
  });
}

}  // namespace korv
