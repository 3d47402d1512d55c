#include "common/station.h"

#include "common/val.h"

namespace korv {

void ApplyStationConfig(Station& s, const StationConfig& config) {
  s.Config = config;
  s.LocalRoot = Upper(config.Text(ConfigField::LocalRoot));
  s.DataRoot = Upper(config.Text(ConfigField::DataRoot));
  s.ConfigValue39 = config.Number(ConfigField::TableService);
  s.TaxRate = config.Number(ConfigField::TaxRate);
}

}  // namespace korv
