#pragma once
// The station configuration's button switches: a switch is on when the
// numeric value of its field is -1.

#include "common/station.h"

namespace korv {

inline bool SwitchOn(const Station& station, ConfigField field) {
  return station.Config.Number(field) == -1;
}

}  // namespace korv
