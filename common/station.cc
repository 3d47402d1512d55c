#include "common/station.h"

#include "common/val.h"

namespace korv {

void ApplyStationConfig(Station& s, const StationConfig& config) {
  s.Config = config;
  s.ConfigLoaded = true;
  s.LocalRoot = config.Text(6);
  s.DataRoot = config.Text(49);
  s.LocalRoot = Upper(s.LocalRoot);
  s.DataRoot = Upper(s.DataRoot);
  s.ConfigText51 = config.Text(51);
  s.ConfigText52 = config.Text(52);
  s.ConfigValue39 = config.Number(39);
  s.ConfigText40 = config.Text(40);
  s.TaxRate = config.Number(7);
  s.ConfigText1 = config.Text(1);
  s.ConfigText2 = config.Text(2);
  s.ConfigText3 = config.Text(3);
  s.ConfigText4 = config.Text(4);
  s.ConfigText5 = config.Text(5);
  s.ConfigText8 = config.Text(8);
  s.ConfigText9 = config.Text(9);
}

}  // namespace korv
