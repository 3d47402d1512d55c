#pragma once
// Step runners: the procedures' failure rules written once.
//   Steps::Skip()        a failing step is abandoned and the next one runs;
//   Steps::Handle(fn)    fn sees the error, then the next step runs;
//   Steps::Propagate()   the error goes to the caller (no handler at all).
// A procedure runs each of its statements through one runner, so "the next
// statement after the one that failed" is simply the next Run call.

#include <functional>
#include <string>
#include <utility>

#include "common/runtime_error.h"

namespace korv {

// Stops the procedure that raises it and every procedure above it, past
// every step runner and error handler, up to the one that started the work:
// a send whose journal cannot record a step goes no further, so nothing
// happens that the journal would not know. Not a std::exception on purpose.
struct StepsHalted {
  std::string reason;
  // The fault is in a file every send needs (a shared counter): the pass
  // sends nothing more until its next tick.
  bool ends_pass = false;
};

class Steps {
 public:
  using Handler = std::function<void(const RuntimeError&)>;

  static Steps Skip() {
    return Steps(Handler([](const RuntimeError&) {}), true);
  }
  static Steps Handle(Handler handler) { return Steps(std::move(handler), true); }
  static Steps Propagate() { return Steps(nullptr, false); }

  // Runs one step under the policy. Returns true when it completed.
  bool Run(const std::function<void()>& step) const {
    if (!catches_) {
      step();
      return true;
    }
    try {
      step();
      return true;
    } catch (const std::exception& e) {
      handler_(AsRuntimeError(e));
      return false;
    }
  }
  bool operator()(const std::function<void()>& step) const { return Run(step); }

 private:
  Steps(Handler handler, bool catches) : handler_(std::move(handler)), catches_(catches) {}
  Handler handler_;
  bool catches_;
};

}  // namespace korv
