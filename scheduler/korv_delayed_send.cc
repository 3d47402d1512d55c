// The window as a view of the dispatch pass: what the pass tells it, shown
// in the pending list, the counts, the progress text, the icon's tip and the
// error text, and its timer stopped while a pass is under way.

#include "scheduler/korv_delayed_send.h"

#include "common/date_time.h"
#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {

KORVdelayedSend1::KORVdelayedSend1(Station& station, Platform& platform, std::string version)
    : station_(station),
      platform_(platform),
      version_(std::move(version)),
      pass_(station, platform),
      engine_(
          station, platform, [this](const std::string& message) { ReportError(message); },
          [this] { return Ending(); }),
      send_(station, platform, engine_, pass_),
      watch_(pass_, platform.clock, platform.printer),
      state_file_(platform.files, platform.status, station.LocalRoot),
      File1(pass_.Listing()) {
  pass_.SetSend(&send_);
  pass_.AddObserver(this);
  pass_.AddObserver(&watch_);
  watch_.AddListener(&state_file_);
  watch_.AddListener(this);
  pass_.Ending = [this] { return Ending(); };
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
    passing_ = false;
    ReportError("The dispatch pass stopped: " + AsRuntimeError(e).description(), false);
    Timer1.SetInterval(MsToNextMinutesPass());
  }
}

int KORVdelayedSend1::MsToNextMinutesPass() const {
  const int second = platform_.clock.Now().seconds % 60;
  return (60 - second) * 1000 + kPastTheMinuteMs;
}

void KORVdelayedSend1::RowsCleared() {
  MList1.Clear();
  List1.Clear();
}

void KORVdelayedSend1::RowAdded(const PendingOrder& order) {
  MList1.AddItem(PendingRowText(order));
  MList1.SetItemData(MList1.NewIndex(), order.id);
  List1.AddItem(order.header.order_id);
}

void KORVdelayedSend1::RowRemoved(int index) {
  MList1.RemoveItem(index);
  List1.RemoveItem(index);
}

void KORVdelayedSend1::Counted(int count) { Label2.SetCaption(PlainNumber(count)); }

// The list's caption says a reading is under way, and is put back however
// it ends.
void KORVdelayedSend1::Updating(bool updating) {
  if (updating) {
    caption_before_update_ = MList1.Caption();
    MList1.SetCaption("Updating List");
  } else if (caption_before_update_) {
    MList1.SetCaption(*caption_before_update_);
    caption_before_update_.reset();
  }
}

void KORVdelayedSend1::Listed(int count) {
  SetTipText(count);
  MList1.SetCaption("Pending Orders to Send - Current Time " +
                    FormatHHMMAmPm(platform_.clock.Now().seconds));
}

void KORVdelayedSend1::Ticked(int tick_count) { Label6.SetCaption(PlainNumber(tick_count)); }

void KORVdelayedSend1::Progress(const std::string& text) { Label7.SetCaption(text); }

void KORVdelayedSend1::FaultSaid(const std::string& message) {
  SSCommand4.SetVisible(true);
  RichTextBox1.SetText(RichTextBox1.Text() + "\r" + message);
}

// The pass lets window events run; a Done pressed meanwhile must not arm a
// second pass inside this one.
void KORVdelayedSend1::Busy() {
  passing_ = true;
  Timer1.SetInterval(0);
}

void KORVdelayedSend1::PassEnded() {
  passing_ = false;
  // A view opened during the pass keeps the timer stopped; its Done re-arms it.
  Timer1.SetInterval(station_.ScreenMode == kScreenViewOpen ? 0 : MsToNextMinutesPass());
  Label7.SetCaption("");
  SetTipText(File1.ListCount());
}

// A state other than normal is named on a line of its own, before the time.
void KORVdelayedSend1::SetTipText(int count) {
  const std::string cr = "\r";
  const StationState& state = watch_.State();
  const std::string words = state.health == Health::kNormal ? "" : state.summary + cr;
  Tray.SetTip("Korvain Kitchen Orders " + cr + "DELAYED SEND " + cr + "Pending - " +
              std::to_string(count) + cr + words + "Current Time " +
              FormatHHMMAmPm(platform_.clock.Now().seconds) + cr + std::string(1, '\0'));
}

void KORVdelayedSend1::ConditionBegan(const Condition& condition) {
  Tray.ShowMessage(
      std::string("Delayed Send - ") + (condition.level == Health::kFault ? "fault" : "attention"),
      condition.detail);
}

void KORVdelayedSend1::ConditionEnded(const Condition& condition) {
  Tray.ShowMessage("Delayed Send - cleared", "Cleared: " + condition.brief);
}

void KORVdelayedSend1::StateChanged(const StationState& state) {
  Tray.SetState(HealthName(state.health));
  StateLine.SetCaption(state.health == Health::kNormal ? std::string() : state.summary);
  SetTipText(File1.ListCount());
}

void KORVdelayedSend1::SendHeldTicketsNow() {
  platform_.printer.RetryHeldTickets();
  if (Timer1.Interval() > kAfterRetryMs) Timer1.SetInterval(kAfterRetryMs);
}

std::vector<std::string> KORVdelayedSend1::WhatWouldWait() const {
  std::vector<std::string> waiting;
  if (passing_) waiting.push_back("a send under way (it is finished at the next start)");
  DateTime hour = platform_.clock.Now();
  hour.seconds += 3600;
  if (hour.seconds >= 86400) {
    hour.seconds -= 86400;
    hour.date = Date::FromSerial(hour.date.Serial() + 1);
  }
  for (const PendingOrder& order : PendingOrders())
    if (IsDueAt(order, hour))
      waiting.push_back("order " + order.id + ", due " + Trim(order.header.send_date) + " " +
                        Trim(order.header.send_time));
  for (const PrinterState& p : watch_.State().printers)
    if (p.held > 0)
      waiting.push_back(std::to_string(p.held) + (p.held == 1 ? " ticket" : " tickets") +
                        " held for printer " + p.name);
  return waiting;
}

std::vector<std::string> KORVdelayedSend1::PendingIds() const {
  std::vector<std::string> ids;
  for (const PendingOrder& order : PendingOrders()) ids.push_back(order.header.order_id);
  return ids;
}

}  // namespace korv
