// Label7_Change: the order type drives the panel's text size and which order
// commands are offered.

#include "common/val.h"
#include "engine/korv_main.h"

namespace korv {
namespace {

// The panel's font keeps long order types inside the panel.
double PanelFontSize(size_t length) {
  if (length < 15) return 29;
  if (length <= 17) return 22;
  if (length <= 21) return 18;
  if (length <= 24) return 16;
  if (length <= 27) return 14;
  if (length <= 30) return 12;
  return 10;
}

}  // namespace

void KorvMain::Label7_Change() {
  const std::string& caption = Label7.Caption();
  SSPanel1.SetCaption(caption);
  SSPanel1.FontSize = PanelFontSize(caption.size());
  for (Button* b : {&SSCommand9, &SSCommand10, &SSCommand11, &SSCommand12, &SSCommand14})
    b->SetVisible(false);
  std::string type = Trim(caption);
  if (type == "Bar Cash" || StartsWith(type, "Ta")) return;
  if (StartsWith(type, "Dr")) {
    SSCommand9.SetVisible(true);
    SSCommand11.SetVisible(true);
  } else if (StartsWith(type, "De") || StartsWith(type, "Ph")) {
    for (Button* b : {&SSCommand9, &SSCommand10, &SSCommand11}) b->SetVisible(true);
  } else if (station_.ConfigValue39 == -1) {
    // A dine-in or table order offers its commands only on stations set up
    // for table service.
    for (Button* b :
         {&SSCommand9, &SSCommand10, &SSCommand11, &SSCommand12, &SSCommand15, &SSCommand14})
      b->SetVisible(true);
  }
}

}  // namespace korv
