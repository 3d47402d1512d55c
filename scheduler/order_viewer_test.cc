#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/order_paths.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kRoot[] = "F:\\KORVAIN\\";
const char kLog[] = "F:\\KORVAIN\\PhoneOrders\\1226DElayedSend.LOG";
const char kRowBurger[] = " 2|Burger              |$17.00|no onions| 1 - Mains|T|N";
const char kRowNote[] = "*|  extra pickles|$0.00|| 1 - Mains|T|N";
const char kRule[] = "\" ___________________________________________________\"\r\n";

class NoMail : public Mail {
 public:
  std::string SupportAddress() override { return "support@example.com"; }
  void Send(const MailMessage&) override {}
};

class OrderViewerTest : public ::testing::Test {
 protected:
  OrderViewerTest() : window(t.station, t.platform, "test", mail) {
    t.station.DataRoot = kRoot;
    window.File1.SetPath(std::string(kRoot) + "PhoneOrders\\");
    window.File1.SetPattern("DS*.PH");
    // Due long ago: only the open view keeps it from being sent.
    WriteDelayedOrder(t.files, kRoot, {"555-0103", " 3", "Ann Lee", "DS3", "12/1/2026", "9:00 AM"},
                      {kRowBurger});
    WriteDelayedOrder(t.files, kRoot,
                      {"555-0107", " 7", "Bob Jones", "DS7", "12/25/2026", "7:30 PM"},
                      {kRowBurger, kRowNote});
    window.File1.Refresh();
    window.UpdateList();
    window.Timer1.SetInterval(60000);
  }

  // Opens the order view of DS7, the second row.
  void ViewDS7() {
    ASSERT_EQ(window.MList1.ItemData(1), "DS7");
    window.MList1.RowClick(1);
  }

  TestStation t;
  NoMail mail;
  KORVdelayedSend1 window;
};

TEST_F(OrderViewerTest, ARowOpensTheOrderViewAndDoneClosesIt) {
  // A send under way owns these values; the view leaves them alone.
  t.station.PioNumber = 17;
  t.station.PioNumberText = t.station.OrderKey = "17";

  ViewDS7();

  EXPECT_EQ(window.Timer1.Interval(), 0);
  EXPECT_EQ(t.station.ScreenMode, kScreenViewOpen);
  EXPECT_TRUE(window.SSPanel1.Visible());
  EXPECT_FALSE(window.MList1.Visible());
  ASSERT_EQ(window.MList2.Count(), 2);
  EXPECT_EQ(window.MList2.Item(0), kRowBurger);
  EXPECT_EQ(window.MList2.Item(1), kRowNote);
  EXPECT_EQ(window.Label3.Caption(), "DS7");
  EXPECT_EQ(window.Label9.Caption(), "Bob Jones");
  EXPECT_EQ(window.Label10.Caption(), "Send on 12/25/2026 at 7:30 PM");
  EXPECT_EQ(window.Label11.Caption(), "555-0107");
  EXPECT_EQ(window.MousePointer, kDefaultPointer);
  EXPECT_EQ(t.files.OpenCount(), 0);
  EXPECT_EQ(t.Read(kLog),
            "\" ORDER DISPLAYED ON DELAYED SEND PROGRAM\"\r\n"
            "\" File Name F:\\KORVAIN\\PhoneOrders\\DS7.PH\"\r\n"
            "\" ORDER SEND ON 12/25/2026 at 7:30 PM\"\r\n"
            "\" Customer Bob Jones\"\r\n"
            "\" Delayed Send Order DS7\"\r\n"
            "\" Occured on Tuesday 12/08/2026 at 12:00 PM\"\r\n"
            "\"Total Pending Orders 2\"\r\n"
            "\" - DS3 - DS7\"\r\n" +
                std::string(kRule));

  // A tick while the view is open sends nothing, not even the overdue DS3.
  window.Timer1_Timer();
  EXPECT_TRUE(t.Exists("F:\\KORVAIN\\PhoneOrders\\DS3.PH"));
  EXPECT_TRUE(t.printed.empty());

  // Neither Done nor End (nor the icon's End Program) leaves the view open
  // behind a hidden or ended window.
  window.SSCommand2.Press();
  window.SSCommand1.Press();
  EXPECT_TRUE(window.Visible);
  EXPECT_FALSE(window.EndRequested);
  EXPECT_FALSE(window.TrayMenu()[1].enabled);

  window.SSCommand3.Press();

  EXPECT_EQ(window.Timer1.Interval(), KORVdelayedSend1::kAfterViewMs);
  EXPECT_EQ(t.station.ScreenMode, kScreenOrderViewClosed);
  EXPECT_FALSE(window.SSPanel1.Visible());
  EXPECT_TRUE(window.MList1.Visible());
  EXPECT_EQ(window.MList2.Count(), 0);
  for (const Label* label : {&window.Label3, &window.Label9, &window.Label10, &window.Label11})
    EXPECT_EQ(label->Caption(), "");
  EXPECT_EQ(t.station.PioNumber, 17);
  EXPECT_EQ(t.station.PioNumberText, "17");
  EXPECT_EQ(t.station.OrderKey, "17");
  EXPECT_TRUE(window.SSCommand2.Enabled());
  EXPECT_TRUE(window.SSCommand1.Enabled());
}

// The pass lets window events run; a view the operator opens then stops it
// before its next send, and the timer waits for the view's Done.
TEST_F(OrderViewerTest, AViewOpenedDuringAPassStopsItBeforeItsNextSend) {
  t.loop.Post([this] { ViewDS7(); });
  window.Timer1_Timer();
  EXPECT_EQ(t.station.ScreenMode, kScreenViewOpen);
  EXPECT_TRUE(t.Exists("F:\\KORVAIN\\PhoneOrders\\DS3.PH"));
  EXPECT_TRUE(t.printed.empty());
  EXPECT_EQ(window.Timer1.Interval(), 0);

  window.SSCommand3.Press();
  EXPECT_EQ(window.Timer1.Interval(), KORVdelayedSend1::kAfterViewMs);
  window.Timer1_Timer();
  EXPECT_FALSE(t.Exists("F:\\KORVAIN\\PhoneOrders\\DS3.PH"));
}

TEST_F(OrderViewerTest, AnOrderWhoseHeaderWentShowsItsLinesAndLogsNothing) {
  t.files.Kill("F:\\KORVAIN\\PhoneOrders\\DS7.PH");
  ViewDS7();
  EXPECT_EQ(window.Label3.Caption(), "DS7");
  EXPECT_EQ(window.MList2.Count(), 2);
  EXPECT_EQ(window.Label9.Caption(), "");
  EXPECT_FALSE(t.Exists(kLog));
  EXPECT_EQ(t.station.ScreenMode, kScreenViewOpen);
}

TEST_F(OrderViewerTest, ThePrePrintGoesToTheCurrentPrinterAndIsLoggedEachTime) {
  ViewDS7();
  const std::string displayed = t.Read(kLog);
  t.clock.Set(DateTime{Date{2026, 12, 8}, 12 * 3600 + 5 * 60});

  window.SSCommand7.Press();
  window.SSCommand7.Press();

  ASSERT_EQ(t.printed.size(), 2u);
  const std::vector<std::pair<double, std::string>> expected = {
      {18, "  KITCHEN ORDER"},
      {10, "================================="},
      {24, "DELAYED SEND"},
      {24, "   PRE-PRINT"},
      {10, "_________________________________"},
      {10, "Bob Jones"},
      {10, "555-0107"},
      {10, "Send on 12/25/2026 at 7:30 PM"},
      {10, "_________________________________"},
      {10, ""},
      {10, " 2  Burger              "},
      {10, "*    extra pickles"},
      {10, ""},
      {10, "_________________________________"},
      {12, "Phone Order"},
      {28, "DS7"},
      {8, "Order number will change when sent"},
      {12, "End Order"},
      {10, "Printed on 12/08/2026"},
      {10, ""},
  };
  for (const Document& doc : t.printed) {
    EXPECT_EQ(doc.printer, t.printer.CurrentName());
    std::vector<std::pair<double, std::string>> got;
    for (const PrintedLine& line : doc.lines) got.push_back({line.size, line.Text()});
    EXPECT_EQ(got, expected);
  }
  const std::string printed =
      "\" ORDER PRINTED ON DELAYED SEND PROGRAM\"\r\n"
      "\" File Name F:\\KORVAIN\\PhoneOrders\\DS7.PH\"\r\n"
      "\" Delayed Send Order DS7\"\r\n"
      "\" Occured on Tuesday 12/08/2026 at 12:05 PM\"\r\n" +
      std::string(kRule);
  EXPECT_EQ(t.Read(kLog), displayed + printed + printed);
  EXPECT_TRUE(window.SSCommand7.Enabled());
  EXPECT_TRUE(window.SSCommand3.Enabled());
  EXPECT_EQ(window.MousePointer, kDefaultPointer);

  // A ticket that does not reach the printer is said, and not logged.
  auto& destination = static_cast<testing::RecordingDestination&>(
      *t.printer.printer(t.printer.Current()).destination);
  destination.fail_with = 57;
  window.SSCommand7.Press();
  ASSERT_EQ(t.boxes.shown.size(), 1u);
  EXPECT_NE(t.boxes.shown[0].text.find("DS7 was not printed"), std::string::npos);
  EXPECT_EQ(t.Read(kLog), displayed + printed + printed);
  EXPECT_TRUE(window.SSCommand7.Enabled());
  EXPECT_TRUE(window.SSCommand3.Enabled());
}

// A send lets window events run, so the view of an order may open while a
// pass sends it: its pre-print would then print, and log, an order already
// sent. Print looks first whether the order is still pending as viewed.
TEST_F(OrderViewerTest, ThePrePrintOfAnOrderNoLongerPendingIsRefused) {
  const std::string header_path = "F:\\KORVAIN\\PhoneOrders\\DS7.PH";
  const std::string header = t.Read(header_path);
  struct Case {
    const char* name;
    std::function<void()> meanwhile;
    const char* said;
  };
  const char* sent = "it has been sent, or is being sent, since it was opened";
  const Case cases[] = {
      {"sent", [&] { t.files.Kill(header_path); }, sent},
      {"being sent", [&] { t.Write(SendJournalPath(t.station.LocalRoot, "DS7"), "begin\tDS7\n"); },
       sent},
      {"changed", [&] { t.Write(header_path, header.substr(0, header.size() - 2) + " \r\n"); },
       "it has been changed since it was opened; open it again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    t.Write(header_path, header);
    t.boxes.shown.clear();
    ViewDS7();
    const std::string logged = t.Read(kLog);
    c.meanwhile();
    window.SSCommand7.Press();
    EXPECT_TRUE(t.printed.empty());
    ASSERT_EQ(t.boxes.shown.size(), 1u);
    EXPECT_EQ(t.boxes.shown[0].text,
              std::string("The pre-print of order DS7 was not printed: ") + c.said);
    EXPECT_EQ(t.Read(kLog), logged);
    window.SSCommand3.Press();
    std::filesystem::remove(t.files.HostPath(SendJournalPath(t.station.LocalRoot, "DS7")));
  }
}

TEST_F(OrderViewerTest, TheErrorViewLocksTheWindowControlsUntilDone) {
  window.SSCommand4.SetVisible(true);
  window.RichTextBox1.SetText("\rCustomer not found - first\rCustomer not found - second");

  window.SSCommand4.Press();

  EXPECT_EQ(window.Timer1.Interval(), 0);
  EXPECT_EQ(t.station.ScreenMode, kScreenViewOpen);
  EXPECT_TRUE(window.SSPanel2.Visible());
  EXPECT_FALSE(window.MList1.Visible());
  for (const Button* b : {&window.SSCommand1, &window.SSCommand2, &window.SSCommand4})
    EXPECT_FALSE(b->Enabled());
  window.SSCommand1.Press();
  EXPECT_FALSE(window.EndRequested);
  EXPECT_FALSE(window.TrayMenu()[1].enabled);

  window.SSCommand6.Press();
  EXPECT_EQ(window.RichTextBox1.Text(), "");
  EXPECT_TRUE(window.SSCommand4.Visible());

  window.SSCommand5.Press();

  EXPECT_EQ(window.Timer1.Interval(), KORVdelayedSend1::kAfterViewMs);
  EXPECT_EQ(t.station.ScreenMode, kScreenErrorViewClosed);
  EXPECT_FALSE(window.SSPanel2.Visible());
  EXPECT_TRUE(window.MList1.Visible());
  for (const Button* b : {&window.SSCommand1, &window.SSCommand2, &window.SSCommand4})
    EXPECT_TRUE(b->Enabled());
}

TEST_F(OrderViewerTest, TheWindowHidesToTheIconAndComesBack) {
  int changes = 0;
  window.on_window_change = [&] { ++changes; };
  std::vector<KORVdelayedSend1::MenuEntry> menu;
  window.PopupMenu = [&](std::vector<KORVdelayedSend1::MenuEntry> entries) { menu = entries; };

  window.SSCommand2.Press();
  EXPECT_FALSE(window.Visible);
  EXPECT_EQ(window.WindowState, 1);
  window.Picture1_MouseMove(0);
  EXPECT_FALSE(window.Visible);
  window.Tray.Activate();
  EXPECT_TRUE(window.Visible);
  EXPECT_EQ(window.WindowState, 2);
  window.Tray.Activate();
  window.Picture1_MouseMove(2);
  EXPECT_TRUE(window.Visible);
  EXPECT_EQ(changes, 5);

  window.Tray.Menu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].caption, "Show");
  EXPECT_EQ(menu[1].caption, "End Program");
  menu[1].click();
  EXPECT_TRUE(window.EndRequested);
}

TEST_F(OrderViewerTest, LogOpensTheViewerOnThisMonthsLog) {
  t.Write(kLog, "\"entry\"\r\n");
  window.SSCommand8.Press();
  KorvTraceLOg* viewer = window.LogViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->Visible);
  EXPECT_EQ(viewer->RichTextBox1.Text(), "\"entry\"\r\n");

  viewer->SSCommand1.Press();
  AppendLogEntry(t.files, kLog, {"more"});
  window.SSCommand8.Press();
  EXPECT_EQ(window.LogViewer(), viewer);
  EXPECT_EQ(viewer->RichTextBox1.Text(), "\"entry\"\r\n\"more\"\r\n");
}

}  // namespace
}  // namespace korv
