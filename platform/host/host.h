#pragma once
// The station's computer: its name and the single-copy guard.

#include <optional>
#include <string>

namespace korv {

class Host {
 public:
  virtual ~Host() = default;
  // The computer's network name; nullopt when it cannot be had.
  virtual std::optional<std::string> ComputerName() = 0;
  // True when another copy of the program already runs on this station. The
  // first call that answers false holds the station until the process ends.
  virtual bool PreviousInstance() = 0;
};

}  // namespace korv
