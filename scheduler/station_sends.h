#pragma once
// For the tests: a station's dispatch pass and send transaction with the
// station's own order engine and no window. What the pass says is kept as
// the error text would show it.

#include <functional>
#include <string>

#include "scheduler/dispatch_pass.h"
#include "scheduler/engine_hand_off.h"
#include "scheduler/send_transaction.h"

namespace korv {

struct StationSends : PassObserver {
  StationSends(Station& station, Platform& platform)
      : pass(station, platform),
        engine(
            station, platform, [this](const std::string& message) { pass.Say(message); },
            [this] { return ending; }),
        send(station, platform, engine, pass) {
    pass.SetSend(&send);
    pass.AddObserver(this);
    pass.Ending = [this] { return ending; };
  }
  // Start-up: the configuration read, and the sends left unfinished done.
  void Start() {
    pass.ReadStationConfig();
    pass.RecoverSends();
  }
  void FaultSaid(const std::string& message) override {
    said += "\r" + message;
    if (on_said) on_said();
  }
  void Pass() { pass.Run(); }

  DispatchPass pass;
  EngineHandOff engine;
  SendTransaction send;
  std::string said;               // every fault said, as the error text holds them
  std::function<void()> on_said;  // after each
  bool ending = false;            // the station asked to end
};

}  // namespace korv
