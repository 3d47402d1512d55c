#pragma once
// The journal of the send under way, as the order engine's procedures see
// it: the kitchen and bar numbers and the archive record a send took before
// the station stopped are the ones its resumed send uses, so no number is
// drawn twice for one order and none is handed to two orders.

#include <optional>
#include <string>
#include <string_view>

namespace korv {

class SendLedger {
 public:
  virtual ~SendLedger() = default;
  // The value kept under name by this send ("kitchen", "bar", "receipt").
  virtual std::optional<std::string> Kept(std::string_view name) const = 0;
  // Keeps it, on disk before it returns. A journal that cannot record
  // raises StepsHalted (common/steps.h): the send goes no further.
  virtual void Keep(std::string_view name, const std::string& value) = 0;
};

}  // namespace korv
