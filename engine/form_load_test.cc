#include <gtest/gtest.h>

#include "engine/korv_main.h"
#include "testing/test_station.h"

namespace korv {
namespace {

TEST(FormLoadTest, WithoutConfigurationUsesDefaults) {
  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
  w.Load();
  EXPECT_EQ(ts.station.LocalRoot, "C:\\Korvain\\");
  EXPECT_EQ(ts.station.DataRoot, "c:\\korvain\\");  // fill_buttons' fallback
  EXPECT_DOUBLE_EQ(ts.station.TaxRate, 0.081);
  EXPECT_EQ(ts.station.StationName, "STATION7");
  EXPECT_EQ(w.Label7.Caption(), "Dine In");
  EXPECT_EQ(w.SSPanel1.Caption(), "Dine In");
  EXPECT_EQ(w.Label4.Caption(), "1");
  EXPECT_EQ(w.Label2.Caption(), "$0.00");
  EXPECT_FALSE(w.SSCommand20.Visible());
  EXPECT_FALSE(w.SSCommand23.Visible());
  EXPECT_EQ(ts.files.OpenCount(), 0);
  EXPECT_FALSE(ts.Exists("C:\\Korvain\\ini\\MainButtons.dat"));  // never created
}

TEST(FormLoadTest, ReadsConfigurationAndComputerName) {
  testing::TestStation ts;
  ts.WriteConfig({{ConfigField::TaxRate, "  .0825"}, {ConfigField::LocalRoot, "c:\\korvain\\  "}});
  ts.host.name.reset();
  ts.station.StationName = "EARLIER";
  KorvMain w{ts.station, ts.platform};
  w.Load();
  EXPECT_DOUBLE_EQ(ts.station.TaxRate, 0.0825);
  EXPECT_EQ(ts.station.LocalRoot, "C:\\KORVAIN\\");
  EXPECT_EQ(ts.station.DataRoot, "F:\\KORVAIN\\");
  EXPECT_EQ(ts.station.StationName, "EARLIER");
}

TEST(FormLoadTest, BlankOrderTypeBecomesWelcome) {
  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
  w.Label7.SetCaption(" ");
  w.Load();
  EXPECT_EQ(w.Label7.Caption(), "   Welcome");
  EXPECT_EQ(w.SSPanel1.Caption(), "   Welcome");
  EXPECT_EQ(w.SSPanel1.FontSize, 29);
}

TEST(FormLoadTest, ButtonSwitches) {
  testing::TestStation ts;
  ts.WriteConfig({{ConfigField::MoreButton, "Y"},
                  {ConfigField::HideMoreButton, "-1"},
                  {ConfigField::BarButton, "-1"},
                  {ConfigField::HideTenderButton, "-1"},
                  {ConfigField::HideDiscountButton, "-1"},
                  {ConfigField::CardAdvanceButton, "-1"},
                  {ConfigField::TableService, "-1"},
                  {ConfigField::FewQuantityButtons, "1"},
                  {ConfigField::ScanEntry, "-1"}});
  KorvMain w{ts.station, ts.platform};
  w.SSCommand25.SetVisible(false);
  w.Load();
  EXPECT_FALSE(w.SSCommand20.Visible());  // MORE: field 84 overrides 69
  EXPECT_TRUE(w.SSCommand13.Visible());
  EXPECT_FALSE(w.SSCommand19.Visible());
  EXPECT_FALSE(w.SSCommand1.Visible());
  EXPECT_FALSE(w.SSCommand1.Enabled());
  EXPECT_FALSE(w.SSCommand18.Visible());
  EXPECT_TRUE(w.SSCommand16.Visible());
  EXPECT_TRUE(w.SSCommand25.Visible());
  EXPECT_TRUE(w.SSCommand9.Visible());
  EXPECT_TRUE(w.SSCommand23.Visible());
  EXPECT_FALSE(w.Text1.HasFocus);
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(w.SSCommand4[i].Visible()) << i;
  EXPECT_TRUE(w.SSCommand4[8].Visible());
  EXPECT_TRUE(w.SSCommand4[9].Visible());

  testing::TestStation plain;
  plain.WriteConfig({{ConfigField::MoreButton, "Y"}});
  KorvMain v{plain.station, plain.platform};
  v.Load();
  EXPECT_TRUE(v.SSCommand20.Visible());
  EXPECT_TRUE(v.SSCommand4[0].Visible());
}

TEST(FormLoadTest, LockedConfigurationLeavesSettingsAndStartUpGoesOn) {
  testing::TestStation ts;
  ts.WriteConfig({{ConfigField::TaxRate, ".05"}});
  FileSystem other{PathMap(ts.dir.path())};
  int f = other.Open("C:\\Korvain\\KorvINI.dat", OpenMode::kRandom, 2300);
  other.Lock(f);
  ts.station.DataRoot = "F:\\KORVAIN\\";
  KorvMain w{ts.station, ts.platform};
  w.Load();
  // Nothing of a record that could not be read is applied.
  EXPECT_EQ(ts.station.Config.Text(ConfigField::TaxRate), "");
  EXPECT_EQ(ts.station.DataRoot, "F:\\KORVAIN\\");
  EXPECT_DOUBLE_EQ(ts.station.TaxRate, 0.081);
  EXPECT_EQ(w.Label2.Caption(), "$0.00");
  EXPECT_EQ(ts.files.OpenCount(), 0);
  other.Unlock(f);
}

}  // namespace
}  // namespace korv
