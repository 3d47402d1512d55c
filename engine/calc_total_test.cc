#include <gtest/gtest.h>

#include <string>

#include "engine/korv_main.h"
#include "testing/test_station.h"

namespace korv {
namespace {

std::string Row(const std::string& qty, const std::string& name, const std::string& amount,
                const std::string& route = " 1 - Main Course", const std::string& tax = "T",
                const std::string& sent = "N") {
  return qty + "|" + name + "|" + amount + "|" + name + "|" + route + "|" + tax + "|" + sent;
}

class CalcTotalTest : public ::testing::Test {
 protected:
  void Configure(const testing::ConfigFields& fields) {
    ts.WriteConfig(fields);
    ts.LoadConfig();
    ts.station.TaxRate = 0.08;
  }
  void Add(const std::string& row) { w.MList1.AddItem(row); }

  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
};

TEST_F(CalcTotalTest, WorkedExampleTotalsAndEnablesTheOrderCommands) {
  ts.station.TaxRate = 0.08;
  Add(Row(" 2", "Burger              ", "$10.00", " 1 - Main Course", "T"));
  Add(Row(" 1", "Fries               ", "$1.50", " 2 - Main Course", "F"));
  for (Button* b : {&w.SSCommand9, &w.SSCommand27, &w.SSCommand10, &w.SSCommand1})
    b->SetEnabled(false);
  w.CalcTotal();
  EXPECT_EQ(w.Lnet.Caption(), "11.5");
  EXPECT_EQ(w.Ltax.Caption(), "0.8");
  EXPECT_EQ(w.Ltotal.Caption(), "12.3");
  EXPECT_EQ(w.Label15.Caption(), "11.5");
  EXPECT_EQ(w.Label2.Caption(), "$12.30");
  EXPECT_EQ(w.Label5.Caption(), "1.5");
  for (Button* b : {&w.SSCommand9, &w.SSCommand27, &w.SSCommand10, &w.SSCommand1})
    EXPECT_TRUE(b->Enabled());
  EXPECT_EQ(w.SSCommand9.Style, 3);
  EXPECT_EQ(w.MList1.ListIndex(), 1);
  ASSERT_EQ(w.List4.Count(), 2);
  EXPECT_EQ(w.List4.Item(1), w.MList1.Item(1));
  EXPECT_TRUE(w.SSCommand14.Visible());  // dine-in with a total
}

TEST_F(CalcTotalTest, EmptyOrderAndAllSentOrder) {
  w.CalcTotal();
  EXPECT_EQ(w.Ltotal.Caption(), "0");
  EXPECT_EQ(w.Label2.Caption(), "$0.00");
  EXPECT_EQ(w.Label5.Caption(), "");
  EXPECT_FALSE(w.SSCommand9.Enabled());
  EXPECT_FALSE(w.SSCommand27.Enabled());
  EXPECT_EQ(w.MList1.ListIndex(), -1);
  EXPECT_FALSE(w.SSCommand14.Visible());

  Add(Row(" 1", "Soup", "$4.00", " 1 - Soup/Salad", "T", "Y"));
  Add(Row(" 1", "Steak", "$20.00", " 1 - Main Course", "T", "Y"));
  w.CalcTotal();
  EXPECT_FALSE(w.SSCommand9.Enabled());
  EXPECT_FALSE(w.SSCommand27.Enabled());
  EXPECT_EQ(w.SSCommand9.Style, 0);
}

TEST_F(CalcTotalTest, JunkRowsAreDroppedAndTotalsAreThoseOfTheRowsLeft) {
  ts.station.TaxRate = 0.1;
  Add(Row(" 1", "Salad", "$6.00"));
  Add(Row(" 1", "X", "$5.00"));    // one-character name
  Add("abc");                      // short and not a number at its end
  Add(Row(" 1", "   ", "$3.00"));  // blank name
  Add(Row(" 2", "Pie", "$8.00"));
  Add("1|Cola| 25");  // short, but ends in a non-zero number: kept
  w.CalcTotal();
  ASSERT_EQ(w.MList1.Count(), 3);
  EXPECT_EQ(w.MList1.Item(0), Row(" 1", "Salad", "$6.00"));
  EXPECT_EQ(w.MList1.Item(1), Row(" 2", "Pie", "$8.00"));
  EXPECT_EQ(w.MList1.Item(2), "1|Cola| 25");
  EXPECT_EQ(w.Lnet.Caption(), "14");
  EXPECT_EQ(w.Ltax.Caption(), "1.4");
  EXPECT_EQ(w.Ltotal.Caption(), "15.4");
  EXPECT_EQ(w.List4.Count(), 3);  // rebuilt after each removal
  // The kept short row has no amount field: it counts as nothing, not as
  // the amount of the row before it.
  EXPECT_EQ(w.Label5.Caption(), "0");
}

TEST_F(CalcTotalTest, TaxFlagsAndDineInOnlyTax) {
  ts.station.TaxRate = 0.1;
  for (const char* flag : {"T", "Y", " ", ""}) Add(Row(" 1", "Taxed", "$1.00", " 1 - x", flag));
  for (const char* flag : {"F", "N"}) Add(Row(" 1", "Untaxed", "$1.00", " 1 - x", flag));
  w.CalcTotal();
  EXPECT_EQ(w.Ltax.Caption(), "0.4");
  EXPECT_EQ(w.Lnet.Caption(), "6");

  Configure({{ConfigField::TaxDineInOnly, "-1"}, {ConfigField::TaxRate, ".1"}});
  ts.station.TaxRate = 0.1;
  w.Label7.SetCaption("Take Out");
  w.CalcTotal();
  EXPECT_EQ(w.Ltax.Caption(), "0");
  EXPECT_EQ(w.Ltotal.Caption(), "6");
  EXPECT_FALSE(w.SSCommand14.Visible());  // take-out orders are not split
  w.Label7.SetCaption("Dine In");
  w.CalcTotal();
  EXPECT_EQ(w.Ltax.Caption(), "0.4");
}

TEST_F(CalcTotalTest, Field119LeavesLRoutesOutOfLabel15) {
  Configure({{ConfigField::UntotalledLRoutes, "1"}});
  Add(Row(" 1", "Burger", "$10.00", " 1 - Main Course"));
  Add(Row(" 1", "Lotto", "$2.00", " L - Main Course"));
  w.CalcTotal();
  EXPECT_EQ(w.Lnet.Caption(), "12");
  EXPECT_EQ(w.Label15.Caption(), "10");

  Configure({});
  w.CalcTotal();
  EXPECT_EQ(w.Label15.Caption(), "12");
}

TEST_F(CalcTotalTest, OrderTypesDriveConvertButtonAndSplitCheck) {
  Add(Row(" 1", "Pizza", "$12.00"));
  w.Label7.SetCaption("Delivery 12");
  w.CalcTotal();
  EXPECT_TRUE(w.SSCommand24.Visible());
  EXPECT_EQ(w.SSCommand24.Caption(), "Convert to Phone Order");
  EXPECT_FALSE(w.SSCommand14.Visible());

  w.Label7.SetCaption("Phone IN 17");
  w.CalcTotal();
  EXPECT_TRUE(w.SSCommand24.Visible());
  EXPECT_EQ(w.SSCommand24.Caption(), "Convert to Delivery Order");
  EXPECT_FALSE(w.SSCommand14.Visible());

  w.Label7.SetCaption("Dine In");
  w.CalcTotal();
  EXPECT_FALSE(w.SSCommand24.Visible());
  EXPECT_TRUE(w.SSCommand14.Visible());
}

TEST_F(CalcTotalTest, SwitchesForTenderCouponAndFocus) {
  Configure({{ConfigField::TenderOff, "-1"},
             {ConfigField::CouponButton, "-1"},
             {ConfigField::ScanEntry, "-1"}});
  w.CalcTotal();  // empty order: Tender stays disabled by field 113
  EXPECT_FALSE(w.SSCommand1.Enabled());
  EXPECT_TRUE(w.SSCommand17.Visible());
  EXPECT_FALSE(w.Text1.HasFocus);  // the hidden window cannot take the focus

  Configure({});
  w.CalcTotal();
  EXPECT_TRUE(w.SSCommand1.Enabled());
  EXPECT_FALSE(w.SSCommand17.Visible());
}

TEST_F(CalcTotalTest, CentsNeverDrift) {
  ts.station.TaxRate = 0.081;
  for (int i = 0; i < 100; ++i) Add(Row(" 1", "Mint", "$0.10"));
  w.CalcTotal();
  EXPECT_EQ(w.Lnet.Caption(), "10");
  EXPECT_EQ(w.Ltax.Caption(), "0.81");
  EXPECT_EQ(w.Ltotal.Caption(), "10.81");
  EXPECT_EQ(w.Label2.Caption(), "$10.81");

  w.MList1.Clear();
  Add(Row(" 3", "Platter", "$1,234.50"));
  Add(Row("-1", "Refund", "($1.50)"));
  w.CalcTotal();
  EXPECT_EQ(w.Lnet.Caption(), "1233");

  // Sums past the currency's range stay at its end, never wrap into another
  // amount; a price past it is damaged and counts as nothing.
  w.MList1.Clear();
  for (int i = 0; i < 3; ++i) Add(Row(" 1", "Banquet", "$800,000,000,000,000.00"));
  Add(Row(" 1", "Damaged", "$999999999999999999999"));
  w.CalcTotal();
  EXPECT_EQ(w.Label2.Caption(), "$922,337,203,685,477.58");
  EXPECT_EQ(w.Lnet.Caption(), "922337203685478");
  EXPECT_EQ(w.Label5.Caption(), "0");
}

TEST_F(CalcTotalTest, QuantityGoesBackToOne) {
  w.SSCommand4_Click(6);
  EXPECT_EQ(w.Label4.Caption(), "7");
  w.CalcTotal();
  EXPECT_EQ(w.Label4.Caption(), "1");
  EXPECT_EQ(w.SSCommand4[0].ForeColor, kRed);
  EXPECT_NE(w.SSCommand4[6].ForeColor, kRed);
}

TEST(OrderTypeTest, PanelFontAndCommandsFollowTheOrderType) {
  testing::TestStation ts;
  KorvMain w{ts.station, ts.platform};
  w.Label7.SetCaption("Phone IN 1234567");  // 16 characters
  EXPECT_EQ(w.SSPanel1.Caption(), "Phone IN 1234567");
  EXPECT_EQ(w.SSPanel1.FontSize, 22);
  EXPECT_TRUE(w.SSCommand10.Visible());
  EXPECT_FALSE(w.SSCommand12.Visible());

  w.Label7.SetCaption("Drive Thru");
  EXPECT_EQ(w.SSPanel1.FontSize, 29);
  EXPECT_TRUE(w.SSCommand9.Visible());
  EXPECT_FALSE(w.SSCommand10.Visible());

  w.Label7.SetCaption("Take Out");
  EXPECT_FALSE(w.SSCommand9.Visible());

  w.Label7.SetCaption(std::string(31, 'T') + "able");
  EXPECT_EQ(w.SSPanel1.FontSize, 10);
  w.Label7.SetCaption("Dine In");
  EXPECT_FALSE(w.SSCommand9.Visible());
  ts.station.ConfigValue39 = -1;
  w.Label7.SetCaption("Dine In");
  for (Button* b : {&w.SSCommand9, &w.SSCommand10, &w.SSCommand11, &w.SSCommand12, &w.SSCommand14,
                    &w.SSCommand15})
    EXPECT_TRUE(b->Visible());
}

}  // namespace
}  // namespace korv
