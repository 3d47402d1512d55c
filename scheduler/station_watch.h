#pragma once
// StationWatch: the station's state after each pass, for the people who
// must act on it. Normal; attention (an order held, a printer holding
// tickets); fault (the configuration cannot be used, the shared folder
// cannot be reached, a send halted). Each condition is told once when it
// begins and once when it ends, however many passes meet it, so a fault met
// every minute is never a message a minute.
//
// Who calls it: the dispatch pass, as one of its observers; it looks at no
// file. Its listeners are the window (icon, tip, status line, desktop
// notifications), the state file that `korvtool status` reads, and the
// service manager's status line.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "platform/print/print_service.h"
#include "scheduler/dispatch_pass.h"

namespace korv {

enum class Health { kNormal, kAttention, kFault };
// "normal", "attention", "fault".
const char* HealthName(Health health);

struct Condition {
  std::string key;  // what it is about: "order DS5", "printer KITCHEN1", "share", ...
  Health level = Health::kAttention;
  std::string brief;   // a few words, for the tip: "KITCHEN1 holds 3 tickets (no paper)"
  std::string detail;  // the whole of it, as said in the error text
};

struct PrinterState {
  std::string name;               // device name
  std::string destination;        // "socket://10.0.0.5:9100"
  int held = 0;                   // tickets it holds back
  std::string problem;            // why it did not take the last one; empty when it did
  std::optional<DateTime> since;  // first seen holding tickets, while it does
};

struct StationState {
  Health health = Health::kNormal;
  std::string summary;  // "2 pending; KITCHEN1 holds 3 tickets (no paper)"
  std::optional<DateTime> pass_began, pass_ended;
  int pending = 0;       // delayed header files last counted
  std::string next_due;  // "DS9 12/25/2026 6:31 PM", the earliest send moment; empty: none
  std::vector<Condition> conditions;  // faults first
  std::vector<PrinterState> printers;
};

class StationWatchListener {
 public:
  virtual ~StationWatchListener() = default;
  virtual void ConditionBegan(const Condition& /*condition*/) {}
  virtual void ConditionEnded(const Condition& /*condition*/) {}
  // After each pass, once the conditions' news are told.
  virtual void StateChanged(const StationState& /*state*/) {}
};

class StationWatch : public PassObserver {
 public:
  StationWatch(const DispatchPass& pass, const Clock& clock, PrintService& printers)
      : pass_(pass), clock_(clock), printers_(printers) {}
  void AddListener(StationWatchListener* listener) { listeners_.push_back(listener); }
  // For a listener that goes before the watch (a window's panel).
  void RemoveListener(StationWatchListener* listener) { std::erase(listeners_, listener); }
  const StationState& State() const { return state_; }

  void PassBegan() override;
  void OrderHeld(const std::string& id, const std::string& why) override;
  void SendHalted(const std::string& id, const std::string& reason) override;
  void ShareDown(const std::string& why) override;
  void PassEnded() override;

 private:
  void Add(Condition condition);
  std::vector<PrinterState> Printers();
  std::string NextDue() const;
  void TellChanges(const std::vector<Condition>& before);

  const DispatchPass& pass_;
  const Clock& clock_;
  PrintService& printers_;
  std::vector<StationWatchListener*> listeners_;
  std::vector<Condition> found_;  // this pass's, so far
  std::map<std::string, DateTime> holding_since_;
  StationState state_;
};

}  // namespace korv
