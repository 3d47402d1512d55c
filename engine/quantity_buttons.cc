// The quantity buttons: the chosen quantity for the next order line, shown by
// the buttons' colours and held in Label4.

#include "common/steps.h"
#include "engine/config_switch.h"
#include "engine/korv_main.h"
#include "engine/whoosh.h"

namespace korv {
namespace {

constexpr Color kQuantityText = Rgb(0, 64, 64);
constexpr Color kQuantityBack = Rgb(0, 128, 128);

void MarkChosen(KorvMain& w, int index) {
  for (Button& b : w.SSCommand4) {
    b.ForeColor = kQuantityText;
    b.BackColor = kQuantityBack;
  }
  Button& chosen = w.SSCommand4.at(index);
  chosen.ForeColor = kRed;
  chosen.BackColor = kButtonFace;
}

}  // namespace

void KorvMain::SSCommand4_Click(int Index) {
  PlayWhoosh(station_, platform_);
  MarkChosen(*this, Index);
  Label4.SetCaption(std::to_string(Index + 1));
  if (SwitchOn(station_, ConfigField::ScanEntry)) Steps::Skip()([this] { FocusText1(); });
}

void KorvMain::Reset_Quanity() {
  MarkChosen(*this, 0);
  Label4.SetCaption("1");
}

}  // namespace korv
