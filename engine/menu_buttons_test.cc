#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/korv_main.h"
#include "engine/menu_tables.h"
#include "platform/files/kept_files.h"
#include "testing/test_station.h"

namespace korv {
namespace {

ButtonRecord Item(const std::string& caption, const std::string& f11, const std::string& f12,
                  const std::string& price = "4.50", const std::string& price2 = "",
                  const std::string& course = "") {
  ButtonRecord r;
  r.Set(1, "1");
  r.Set(2, caption);
  r.Set(4, "T");
  r.Set(5, caption);
  r.Set(6, "KIT " + caption);
  r.Set(7, "T");
  r.Set(9, price);
  r.Set(10, price2);
  r.Set(11, f11);
  r.Set(12, f12);
  r.Set(16, course);
  return r;
}

std::string FileOf(const std::vector<ButtonRecord>& records) {
  std::string bytes;
  for (const ButtonRecord& r : records) bytes += r.bytes();
  return bytes;
}

TEST(MenuTablesTest, RouteCodesAndColumns) {
  EXPECT_EQ(RouteCode(Item("a", "1", "1")), 2);
  EXPECT_EQ(RouteCode(Item("a", "0", "1")), 0);
  EXPECT_EQ(RouteCode(Item("a", "1", "0")), 1);
  EXPECT_EQ(RouteCode(Item("a", "", "")), 3);
  EXPECT_EQ(RouteCode(Item("a", "9", "5")), 5);
  EXPECT_EQ(RouteCode(Item("a", "x", "5")), 5);
  EXPECT_EQ(RouteCode(Item("a", "2", "2")), 0);

  std::vector<std::string> row = ItemButtonRow(Item("Burger", "1", "1", "11.50"), false);
  EXPECT_EQ(row[0], "1");
  EXPECT_EQ(row[1], "Burger            ");  // page tables keep the caption as stored
  EXPECT_EQ(row[4], "Burger              ");
  EXPECT_EQ(row[9], " 2");
  EXPECT_EQ(row[10], row[7]);  // blank second price is the unit price
  EXPECT_EQ(row[13], "Main Course");
  EXPECT_EQ(ItemButtonRow(Item("Burger", "1", "1"), true)[1], "Burger");
  row = ItemButtonRow(Item("Pie", "0", "5", "5.00", "4.00", "Dessert"), false);
  EXPECT_EQ(row[10], "4.00      ");
  EXPECT_EQ(row[13], "Dessert");
}

class MenuLoadTest : public ::testing::Test {
 protected:
  void WriteMenu(const std::string& root) {
    std::vector<ButtonRecord> categories(12);
    categories[0].Set(1, "1");
    categories[0].Set(2, "Starters");
    categories[0].Set(3, "Starters too");
    categories[0].Set(4, "T");
    categories[1].Set(2, "Hidden");
    categories[1].Set(4, "F");
    ts.Write(root + "ini\\MainButtons.dat", FileOf(categories));
    ts.Write(root + "ini\\ButtonFB.dat", FileOf({Item("Coffee", "", ""), Item("Tea", "", "")}));
    for (int page = 0; page < 10; ++page)
      ts.Write(root + PageButtonFile(page),
               FileOf({Item("Page" + std::to_string(page), "1", "0")}));
  }

  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
};

TEST_F(MenuLoadTest, LoadsTablesAndLabelsButtons) {
  WriteMenu("F:\\KORVAIN\\");
  ts.station.DataRoot = "F:\\KORVAIN\\";
  for (Button& b : w.SSCommand8) b.SetVisible(false);
  w.fill_buttons();
  w.Load_Data();
  EXPECT_EQ(w.SSCommand2[0].Caption(), "Starters          ");
  EXPECT_TRUE(w.SSCommand2[0].Visible());
  EXPECT_FALSE(w.SSCommand2[1].Visible());
  EXPECT_EQ(ts.station.MainButtonTable[0],
            (std::vector<std::string>{"1", "Starters          ", "T", "Starters too        "}));
  EXPECT_EQ(w.SSCommand8[1].Caption(), "Tea");
  EXPECT_TRUE(w.SSCommand8[1].Visible());
  EXPECT_FALSE(w.SSCommand8[2].Visible());  // a blank row leaves its button alone
  EXPECT_EQ(ts.station.PageButtonTables[9][0][4], "Page9               ");
  EXPECT_EQ(ts.station.PageButtonTables[9][0][9], " 1");
  EXPECT_EQ(ts.station.PageButtonTables[9][1][13], "Main Course");  // blank record
  EXPECT_EQ(ts.station.PageButtonTables[10][0][4], "");             // optional page absent

  ts.Write("F:\\KORVAIN\\ini\\Button11.dat", FileOf({Item("Late", "0", "7")}));
  w.Load_Data();
  EXPECT_EQ(ts.station.PageButtonTables[11][0][9], " 7");
  EXPECT_FALSE(ts.Exists("F:\\KORVAIN\\ini\\Button10.dat"));
}

TEST_F(MenuLoadTest, EmptyDataRootReadsTheStationFolder) {
  WriteMenu("C:\\Korvain\\");
  w.fill_buttons();
  EXPECT_EQ(ts.station.DataRoot, "c:\\korvain\\");
  EXPECT_EQ(w.SSCommand2[0].Caption(), "Starters          ");
}

// A station's engines read a menu file again only when it changed since
// one of them last read it.
TEST_F(MenuLoadTest, AKeptMenuFileIsReadAgainOnlyWhenItChanged) {
  WriteMenu("F:\\KORVAIN\\");
  ts.station.DataRoot = "F:\\KORVAIN\\";
  KeptFiles kept;
  KorvMain(ts.station, ts.platform, &kept).Load_Data();
  // A stamp taken within moments of a change is not trusted: the next load
  // reads the files once more, and from then on they are kept.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  KorvMain(ts.station, ts.platform, &kept).Load_Data();

  FileSystem other{PathMap(ts.dir.path())};
  int held = other.Open("F:\\KORVAIN\\ini\\Button5.dat", OpenMode::kInput);
  other.Lock(held);  // read, this page would be skipped after waiting for the lock
  ts.station.PageButtonTables[5][0][4] = "before";
  ts.Write("F:\\KORVAIN\\" + PageButtonFile(6), FileOf({Item("Page6 new", "1", "0")}));
  KorvMain(ts.station, ts.platform, &kept).Load_Data();
  EXPECT_EQ(ts.station.PageButtonTables[5][0][4], "Page5               ");
  EXPECT_EQ(ts.station.PageButtonTables[6][0][4], "Page6 new           ");
  other.Unlock(held);
}

TEST_F(MenuLoadTest, DamagedMenuFilesNeverStopStartUp) {
  ts.WriteConfig();
  WriteMenu("F:\\KORVAIN\\");
  ts.files.Kill("F:\\KORVAIN\\ini\\MainButtons.dat");
  ts.Write("F:\\KORVAIN\\ini\\Button3.dat", std::string(700, 'x'));  // cut short
  ts.station.PageButtonTables[5][0][4] = "before";
  FileSystem other{PathMap(ts.dir.path())};
  int f = other.Open("F:\\KORVAIN\\ini\\Button5.dat", OpenMode::kRandom, 500);
  other.Lock(f);  // another station rewriting this page

  w.Load();
  EXPECT_EQ(ts.station.PageButtonTables[5][0][4], "before");
  EXPECT_EQ(ts.station.PageButtonTables[6][0][4], "Page6               ");
  EXPECT_EQ(ts.station.PageButtonTables[3][2][4], std::string(20, ' '));
  EXPECT_EQ(w.SSCommand8[0].Caption(), "Coffee");
  EXPECT_EQ(w.Label2.Caption(), "$0.00");  // the start-up ran to its end
  EXPECT_DOUBLE_EQ(ts.station.TaxRate, 0.081);
  EXPECT_EQ(ts.files.OpenCount(), 0);
  EXPECT_FALSE(ts.Exists("F:\\KORVAIN\\ini\\MainButtons.dat"));
  other.Unlock(f);
}

}  // namespace
}  // namespace korv
