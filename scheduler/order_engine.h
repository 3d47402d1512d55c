#pragma once
// The order engine as a send sees it: phone order n handed over for its
// totals, its tickets and its completion files, as an operator's kitchen
// send on an order-entry station. The send (send_transaction.h) knows no
// more of the engine than this; EngineHandOff (engine_hand_off.h) is the
// station's own.

#include "scheduler/send_journal.h"

namespace korv {

class OrderEngine {
 public:
  virtual ~OrderEngine() = default;
  // Sends the phone order the station's values name (OrderKey, PioNumber,
  // the customer) to the kitchen under the send's journal: the numbers the
  // journal kept, each ticket once, at the time the send began. "SENT" in
  // the station's SendStatus once it is done. Raises what the kitchen send
  // cannot get past (a ticket not in its spool, a counter it cannot draw).
  // lines: the text the send has just written as the order's line file, so
  // it is not read back; null to read the file.
  virtual void SendToKitchen(SendJournal& journal, const std::string* lines) = 0;
  // Lets go of the engine and all it holds; the next send loads it again.
  virtual void Unload() = 0;
  virtual bool Loaded() const = 0;
};

}  // namespace korv
