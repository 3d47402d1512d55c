#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

TEST(Startup, ReadsTheConfigurationAndArmsTheFirstPass) {
  TestStation t;
  t.WriteConfig({{ConfigField::LocalRoot, "c:\\korvain\\local  "},
                 {ConfigField::DataRoot, "f:\\korvain\\"},
                 {ConfigField::TaxRate, "  .0825"}});
  t.Write("C:\\Korvain\\station.conf",
          "# the order-entry stations' short date\r\n"
          "date-order = d/m/y   # day first\r\n");
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
  EXPECT_EQ(t.station.date_order, DateOrder::kDayMonthYear);
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

// A configuration the station cannot work from is said, naming the file or
// the folder; nothing is watched (no PhoneOrders\ of the working folder) and
// nothing sent, and every pass reads the file again until it can be used.
TEST(Startup, AnUnusableConfigurationIsSaidAndReadAgainAtEveryPass) {
  struct Case {
    const char* name;
    std::function<void(TestStation&)> spoil;
    std::string said;
  };
  FileSystem other_station{PathMap("/")};
  const std::string ini = "C:\\Korvain\\KorvINI.dat";
  const std::string conf = "C:\\Korvain\\station.conf";
  const Case cases[] = {
      {"missing", [&](TestStation& t) { t.files.Kill(ini); }, ini + " does not exist"},
      {"empty", [&](TestStation& t) { t.Write(ini, ""); }, ini + " is empty"},
      {"cut short", [&](TestStation& t) { t.Write(ini, t.Read(ini).substr(0, 1100)); },
       ini + " holds 1100 bytes, not the 2300 of a station record"},
      {"locked by another station",
       [&](TestStation& t) {
         other_station.Lock(
             other_station.Open(t.files.HostPath(ini).string(), OpenMode::kRandom, 2300));
       },
       ini + " cannot be read: permission denied (error 70)"},
      {"DataRoot without its final backslash",
       [](TestStation& t) {
         t.WriteConfig({{ConfigField::DataRoot, "F:\\KORVAIN"}});
       },
       "DataRoot (field 49) of " + ini +
           " \"F:\\KORVAIN\" does not end with a backslash: the station would use "
           "F:\\KORVAINPhoneOrders\\"},
      {"DataRoot blank",
       [](TestStation& t) {
         t.WriteConfig({{ConfigField::DataRoot, ""}});
       },
       "DataRoot (field 49) of " + ini + " is blank"},
      {"DataRoot not there",
       [](TestStation& t) {
         t.WriteConfig({{ConfigField::DataRoot, "G:\\KORVAIN\\"}});
       },
       "G:\\KORVAIN\\ ("},
      {"no PhoneOrders folder",
       [](TestStation& t) {
         std::filesystem::rename(t.files.HostPath("F:\\KORVAIN\\PhoneOrders"),
                                 t.files.HostPath("F:\\KORVAIN\\Orders"));
       },
       "F:\\KORVAIN\\PhoneOrders\\ ("},
      {"station settings with an unknown date order",
       [&](TestStation& t) { t.Write(conf, "date-order = DD.MM.YYYY\r\n"); },
       "Station settings " + conf +
           ": line 1: date-order \"DD.MM.YYYY\" is not M/D/Y, D/M/Y or Y/M/D"},
      {"station settings with a retention that is no number of days",
       [&](TestStation& t) { t.Write(conf, "date-order = M/D/Y\r\nretention-days = 1 year\r\n"); },
       "Station settings " + conf +
           ": line 2: retention-days \"1 year\" is not a number of days from 1 to 36500 (0 for "
           "the default, 365)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestStation t;
    t.WriteConfig();
    WriteDelayedOrder(t.files, "F:\\KORVAIN\\",
                      {"555-0101", " 0", "Ann Lee", "DS1", "12/1/2020", "9:00 AM"},
                      {" 1|Burger              |$9.00|Burger| 0 - Mains|T|N"});
    const std::string good = t.Read(ini);
    const std::string listed_folder = "F:\\KORVAIN\\PhoneOrders\\";
    c.spoil(t);
    KORVdelayedSend1 w(t.station, t.platform, "2.1.0");
    ASSERT_TRUE(w.Form_Load());
    w.Timer1_Timer();

    EXPECT_EQ(w.File1.Path(), "");
    EXPECT_EQ(w.PendingCount(), 0);
    EXPECT_NE(w.ConfigProblem().find(c.said), std::string::npos) << w.ConfigProblem();
    EXPECT_TRUE(w.SSCommand4.Visible());
    const std::string text = w.RichTextBox1.Text();
    const size_t at = text.find(c.said);
    EXPECT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.find(c.said, at + 1), std::string::npos) << "said once";
    EXPECT_EQ(w.Timer1.Interval(), w.MsToNextMinutesPass()) << "the next minute's pass";
    EXPECT_TRUE(t.printed.empty());
    EXPECT_TRUE(t.Exists("C:\\Korvain\\data\\StationState.txt")) << "the station's own folder";

    // Mended, the next pass reads it and sends the order.
    other_station.CloseAll();
    if (!t.files.FolderExists(listed_folder))
      std::filesystem::rename(t.files.HostPath("F:\\KORVAIN\\Orders"),
                              t.files.HostPath(listed_folder));
    t.Write(ini, good);
    if (t.Exists(conf)) t.files.Kill(conf);
    w.Timer1_Timer();
    EXPECT_EQ(w.ConfigProblem(), "");
    EXPECT_EQ(w.File1.Path(), listed_folder);
    EXPECT_FALSE(t.Exists(listed_folder + "DS1.PH"));
    EXPECT_FALSE(t.printed.empty());
  }
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
