#include <gtest/gtest.h>

#include "engine/korv_main.h"
#include "testing/test_station.h"

namespace korv {
namespace {

int RedButtons(const KorvMain& w) {
  int red = 0;
  for (const Button& b : w.SSCommand4) red += b.ForeColor == kRed;
  return red;
}

TEST(QuantityButtonsTest, ChoosingAQuantityMarksOneButton) {
  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
  w.SSCommand4_Click(4);
  EXPECT_EQ(w.Label4.Caption(), "5");
  EXPECT_EQ(w.SSCommand4[4].ForeColor, kRed);
  EXPECT_EQ(w.SSCommand4[4].BackColor, kButtonFace);
  EXPECT_EQ(w.SSCommand4[0].ForeColor, Rgb(0, 64, 64));
  EXPECT_EQ(w.SSCommand4[0].BackColor, Rgb(0, 128, 128));
  EXPECT_EQ(RedButtons(w), 1);
  EXPECT_TRUE(ts.sound.played.empty());  // no Whoosh.wav on this station

  w.Reset_Quanity();
  EXPECT_EQ(w.Label4.Caption(), "1");
  EXPECT_EQ(w.SSCommand4[0].ForeColor, kRed);
  EXPECT_EQ(RedButtons(w), 1);
}

TEST(QuantityButtonsTest, SoundAndFocusSwitch) {
  testing::TestStation ts;
  ts.WriteConfig({{ConfigField::ScanEntry, "-1"}});
  ts.LoadConfig();
  ts.Write("C:\\KORVAIN\\Whoosh.wav", "RIFF");
  KorvMain w{ts.station, ts.platform};
  w.SSCommand4_Click(9);  // the hidden window's focus request fails quietly
  EXPECT_EQ(w.Label4.Caption(), "10");
  EXPECT_EQ(ts.sound.played.size(), 1u);
  EXPECT_FALSE(w.Text1.HasFocus);

  w.Visible = true;  // a shown window takes the focus
  w.SSCommand4_Click(0);
  EXPECT_TRUE(w.Text1.HasFocus);

  ts.WriteConfig({{ConfigField::ScanEntry, "1"}});
  ts.LoadConfig();
  w.Text1.HasFocus = false;
  w.SSCommand4_Click(0);
  EXPECT_FALSE(w.Text1.HasFocus);
}

}  // namespace
}  // namespace korv
