#include "scheduler/korv_delayed_send.h"

#include "common/runtime_error.h"

namespace korv {

KORVdelayedSend1::KORVdelayedSend1(Station& station, Platform& platform, std::string version)
    : File1(platform.files),
      station_(station),
      platform_(platform),
      version_(std::move(version)),
      send_clock_(platform.clock),
      engine_platform_{platform.files, send_clock_,    platform.printer, platform.loop,
                       platform.boxes, platform.sound, platform.host,    platform.status},
      claim_(platform.files.paths()) {
  Timer1.Tick = [this] { RunDispatchPass(); };
  MList1.SetCaption("Pending Orders To SEND");
  MList1.ColumnTitles = {"Customer", "Date Ordered", "Date to Send",
                         "Day",      "Time to Send", "CustNumber"};
  MList2.ColumnTitles = {"Qty", "Item", "Price", "Kitchen/Bar Print", "Route", "Tax", "Sent"};
  SSPanel1.SetVisible(false);
  SSPanel2.SetVisible(false);
  SSCommand4.SetVisible(false);
  WireOperatorControls();
}

KORVdelayedSend1::KORVdelayedSend1(Station& station, Platform& platform, std::string version,
                                   Mail& mail)
    : KORVdelayedSend1(station, platform, std::move(version)) {
  mail_ = &mail;
}

// Whatever a pass meets, the station goes on sending: an error that escapes
// it is said and the next pass is armed.
void KORVdelayedSend1::RunDispatchPass() {
  try {
    Timer1_Timer();
  } catch (const std::exception& e) {
    ReportError("The dispatch pass stopped: " + AsRuntimeError(e).description(), false);
    Timer1.SetInterval(kPassIntervalMs);
  }
}

KorvMain& KORVdelayedSend1::Engine() {
  if (!engine_) {
    engine_ = std::make_unique<KorvMain>(station_, engine_platform_, &engine_files_);
    engine_->ReportProblem = [this](const std::string& message) { ReportError(message); };
    engine_->EndAsked = [this] { return Ending(); };
    engine_->Load();
  }
  return *engine_;
}

}  // namespace korv
