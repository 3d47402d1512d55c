#include <gtest/gtest.h>

#include "scheduler/korv_delayed_send.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

TEST(Startup, ReadsTheConfigurationAndArmsTheFirstPass) {
  TestStation t;
  t.WriteConfig({{ConfigField::LocalRoot, "c:\\korvain\\local  "},
                 {ConfigField::DataRoot, "f:\\korvain\\"},
                 {ConfigField::TaxRate, "  .0825"}});
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  ASSERT_TRUE(w.Form_Load());
  EXPECT_EQ(t.station.LocalRoot, "C:\\KORVAIN\\LOCAL");
  EXPECT_EQ(t.station.DataRoot, "F:\\KORVAIN\\");
  EXPECT_DOUBLE_EQ(t.station.TaxRate, 0.0825);
  EXPECT_EQ(w.File1.Path(), "F:\\KORVAIN\\PhoneOrders\\");
  EXPECT_EQ(w.File1.Pattern(), "DS*.PH");
  EXPECT_EQ(w.Label12.Caption(), "Version 2.1.0");
  EXPECT_TRUE(w.Tray.Shown);
  EXPECT_EQ(w.Tray.TipText, "Korvain Delayed Kitchen Order Send");
  EXPECT_EQ(w.Timer1.Interval(), KORVdelayedSend1::kFirstPassMs);
  EXPECT_EQ(t.files.OpenCount(), 0) << "the configuration is closed after reading";
  w.Form_Terminate();
  EXPECT_FALSE(w.Tray.Shown);
}

TEST(Startup, ABlankTaxRateReadsAsZero) {
  TestStation t;
  t.WriteConfig({{ConfigField::TaxRate, ""}});
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  ASSERT_TRUE(w.Form_Load());
  EXPECT_DOUBLE_EQ(t.station.TaxRate, 0);
}

TEST(Startup, WithoutConfigurationTheStationStillStarts) {
  TestStation t;
  t.WriteConfig({{ConfigField::TaxRate, ""}});
  t.files.Kill("C:\\Korvain\\KorvINI.dat");
  KORVdelayedSend1 w(t.station, t.platform, "10.02.7");
  ASSERT_TRUE(w.Form_Load());
  EXPECT_EQ(t.station.LocalRoot, "C:\\Korvain\\");
  EXPECT_EQ(t.station.DataRoot, "");
  EXPECT_DOUBLE_EQ(t.station.TaxRate, 0);
  EXPECT_EQ(w.File1.Path(), "PhoneOrders\\");
  EXPECT_EQ(w.Label12.Caption(), "Version 10.2.7");
  EXPECT_TRUE(t.boxes.shown.empty());
}

TEST(Startup, ASecondCopyIsRefusedWithTheStartupErrorBox) {
  TestStation t;
  t.host.previous = true;
  KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
  EXPECT_FALSE(w.Form_Load());
  ASSERT_EQ(t.boxes.shown.size(), 1u);
  EXPECT_EQ(t.boxes.shown[0].title, "Startup Error");
  EXPECT_EQ(t.boxes.shown[0].text,
            "The Kitchen Order Delayed Send program is already running! Please Click OK.");
  EXPECT_EQ(t.boxes.shown[0].icon, BoxIcon::kCritical);
  EXPECT_FALSE(w.Tray.Shown);
  EXPECT_EQ(w.Timer1.Interval(), 0);
}

}  // namespace
}  // namespace korv
