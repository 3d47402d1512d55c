#include "engine/korv_main.h"

namespace korv {

KorvMain::KorvMain(Station& station, Platform& platform, KeptFiles* kept)
    : station_(station), platform_(platform), kept_(kept) {
  Label7.Change = [this] { Label7_Change(); };
  for (int i = 0; i < 10; ++i) SSCommand4[i].SetCaption(std::to_string(i + 1));
}

void KorvMain::Report(const std::string& message) {
  if (ReportProblem)
    ReportProblem(message);
  else
    platform_.status.Say(message);
}

void KorvMain::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

}  // namespace korv
