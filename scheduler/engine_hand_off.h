#pragma once
// The hidden order engine (engine/korv_main.h) as the send's OrderEngine:
// LoadOrderIntoEngine hands it phone order n, fills its order line list
// from the line file, totals it and presses its kitchen send, as an
// operator would on an order-entry station. The engine sees the time the
// send began, held for the whole kitchen send, so a send resumed later
// prints what the first attempt would have.

#include <functional>
#include <memory>
#include <string>

#include "common/station.h"
#include "engine/korv_main.h"
#include "platform/files/kept_files.h"
#include "platform/platform.h"
#include "scheduler/order_engine.h"

namespace korv {

class EngineHandOff : public OrderEngine {
 public:
  // say: a problem the engine meets, for the error text; ending: true once
  // the station is asked to end (a counter wait then stops).
  EngineHandOff(Station& station, Platform& platform, std::function<void(const std::string&)> say,
                std::function<bool()> ending);

  void SendToKitchen(SendJournal& journal, const std::string* lines) override;
  void Unload() override { engine_.reset(); }
  bool Loaded() const override { return engine_ != nullptr; }

  // Loads the order engine hidden when it is not loaded.
  KorvMain& Engine();
  // lines: the order's line file as the send wrote it; null to read it.
  void LoadOrderIntoEngine(const std::string* lines = nullptr);

 private:
  Station& station_;
  Platform& platform_;
  std::function<void(const std::string&)> say_;
  std::function<bool()> ending_;
  HeldClock send_clock_;
  Platform engine_platform_;
  KeptFiles engine_files_;  // configuration and menu as the engines read them
  std::unique_ptr<KorvMain> engine_;
};

}  // namespace korv
