#include "qt/delayed_send_window.h"

#include <gtest/gtest.h>

#include <QTest>

#include "qt/qt_test_app.h"
#include "qt/station_icons.h"
#include "qt/station_tray.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "testing/test_station.h"

namespace korv {
namespace {

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kOrders = kRoot + "PhoneOrders\\";

class NoMail : public Mail {
 public:
  std::string SupportAddress() override { return "support@example.com"; }
  void Send(const MailMessage&) override {}
};

// A station on Friday 12/25/2026 at 6:30 PM with its printers configured
// and one known customer, its window on an offscreen screen with Qt's loop.
class DelayedSendWindowTest : public ::testing::Test {
 protected:
  DelayedSendWindowTest() : t({"KITCHEN1 TM-U220", "BAR TM-T88", "OFFICE"}) {
    t.WriteConfig({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                   {ConfigField::BarPrinter, "BAR"},
                   {ConfigField::StationPrinter, "OFFICE"},
                   {ConfigField::TaxRate, ".08"}});
    t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600 + 30 * 60});
    CustomerRecord c;
    c.Set(1, "7");
    c.Set(2, "207-555-0107");
    c.Set(3, "Margaret Hale");
    WriteCustomer(t.files, kRoot, 7, c);
  }

  // Starts the window; the dispatch passes of a test are its own calls.
  void Start() {
    ASSERT_TRUE(window.Form_Load());
    window.Timer1.SetInterval(0);
    screen.Show();
    QApplication::processEvents();
  }

  void Order(const std::string& id, const std::string& time, const std::string& customer = " 7",
             const std::string& date = "12/25/2026") {
    WriteDelayedOrder(t.files, kRoot,
                      OrderHeader{"207-555-0107", customer, "Margaret Hale", id, date, time},
                      {" 2|Cheeseburger        |$23.00|CHEESEBURGER| 4 - Main Course|T|N"});
  }

  template <class W = QWidget>
  W* Find(const char* name, QWidget* in = nullptr) {
    W* found = (in ? in : &screen.widget())->findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Click(const char* button, QWidget* in = nullptr) {
    QTest::mouseClick(Find<QPushButton>(button, in), Qt::LeftButton);
  }
  void ClickRow(int row) {
    auto* list = Find<QTreeWidget>("MList1");
    QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }
  bool Shown(const char* name) { return Find(name)->isVisible(); }
  std::string Log() { return t.Read(kOrders + "1226DElayedSend.LOG"); }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  QApplication& app = testing::TestApplication();  // before any widget
  testing::TestStation t;
  QtLoop loop;
  Platform platform{t.files, t.clock, t.printer, loop, t.boxes, t.sound, t.host, t.status};
  NoMail mail;
  KORVdelayedSend1 window{t.station, platform, "2.1.0", mail};
  QtDelayedSendWindow screen{window, loop};
};

TEST_F(DelayedSendWindowTest, NoOrderGoesWhileAnOrderIsOnViewAndTheFirstPassAfterDoneSendsIt) {
  Order("DS5", "6:45 PM");
  Start();
  window.Timer1_Timer();  // not due yet: listed only
  EXPECT_EQ(screen.widget().windowTitle(), "Kitchen Orders - Delayed  Send");
  ASSERT_EQ(Find<QTreeWidget>("MList1")->topLevelItemCount(), 1);
  EXPECT_EQ(Find<QTreeWidget>("MList1")->topLevelItem(0)->text(0), "DS5 - Margaret Hale");
  EXPECT_EQ(Find<QLabel>("Label2")->text(), "1");

  ClickRow(0);
  EXPECT_TRUE(Shown("SSPanel1"));
  EXPECT_FALSE(Shown("MList1Frame"));
  EXPECT_EQ(Find<QLabel>("Label3")->text(), "DS5");
  EXPECT_EQ(Find<QLabel>("Label10")->text(), "Send on 12/25/2026 at 6:45 PM");
  EXPECT_EQ(Find<QTreeWidget>("MList2")->topLevelItem(0)->text(1), "Cheeseburger        ");
  EXPECT_EQ(window.Timer1.Interval(), 0);

  // The order falls due while it is on view; a pass already under way ends.
  t.clock.Set(DateTime{Date{2026, 12, 25}, 19 * 3600});
  window.Timer1_Timer();
  EXPECT_TRUE(t.Exists(kOrders + "DS5.PH"));
  EXPECT_TRUE(t.printed.empty());

  // The title bar's close neither hides the window nor ends the station
  // while the view is open.
  screen.widget().close();
  QApplication::processEvents();
  EXPECT_TRUE(screen.widget().isVisible());
  EXPECT_TRUE(window.Visible);
  EXPECT_FALSE(window.EndRequested);
  EXPECT_TRUE(Shown("SSPanel1"));

  Click("SSCommand3");
  EXPECT_FALSE(Shown("SSPanel1"));
  EXPECT_TRUE(Shown("MList1Frame"));
  EXPECT_EQ(window.Timer1.Interval(), KORVdelayedSend1::kAfterViewMs);
  window.Timer1_Timer();
  EXPECT_FALSE(t.Exists(kOrders + "DS5.PH"));
  EXPECT_EQ(Count(Log(), "Delayed Order Sent DS5 was sent as PhoneOrder 1"), 1);
  EXPECT_FALSE(t.printed.empty());
  EXPECT_EQ(Find<QTreeWidget>("MList1")->topLevelItemCount(), 0);
}

TEST_F(DelayedSendWindowTest, PrintingThePrePrintTwiceLogsTwoPrintedEntries) {
  Order("DS5", "9:00 PM");
  Start();
  window.Timer1_Timer();
  ClickRow(0);
  Click("SSCommand7");
  Click("SSCommand7");
  EXPECT_EQ(t.printed.size(), 2u);
  EXPECT_EQ(Count(Log(), "ORDER PRINTED ON DELAYED SEND PROGRAM"), 2);
  EXPECT_TRUE(Find<QPushButton>("SSCommand7")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("SSCommand3")->isEnabled());
}

TEST_F(DelayedSendWindowTest, ClearEmptiesTheErrorTextAndLeavesTheErrorButton) {
  Order("DS3", "6:00 PM", " 0");  // an unknown customer, due
  Start();
  EXPECT_FALSE(Shown("SSCommand4"));
  window.Timer1_Timer();
  EXPECT_TRUE(Shown("SSCommand4"));

  Click("SSCommand4");
  EXPECT_TRUE(Shown("SSPanel2"));
  EXPECT_FALSE(Shown("MList1Frame"));
  EXPECT_FALSE(Find<QPushButton>("SSCommand1")->isEnabled());
  auto* text = Find<QPlainTextEdit>("RichTextBox1", Find("SSPanel2"));
  EXPECT_TRUE(text->toPlainText().contains("Customer not found"))
      << text->toPlainText().toStdString();
  EXPECT_TRUE(text->isReadOnly());

  Click("SSCommand6");
  EXPECT_EQ(text->toPlainText(), "");
  Click("SSCommand5");
  EXPECT_FALSE(Shown("SSPanel2"));
  EXPECT_TRUE(Shown("MList1Frame"));
  EXPECT_TRUE(Shown("SSCommand4"));
  EXPECT_TRUE(Find<QPushButton>("SSCommand1")->isEnabled());
}

TEST_F(DelayedSendWindowTest, EmptyClearsTheTraceLogAndLeavesTheDelayedSendLog) {
  t.Write(kOrders + "1226DElayedSend.LOG", "\"entry \x80 5\"\r\n");
  t.Write("C:\\Korvain\\TraceLog.txt", "old trace\r\n");
  Start();
  Click("SSCommand8");
  ASSERT_NE(screen.log_viewer(), nullptr);
  QWidget& viewer = screen.log_viewer()->widget();
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_EQ(viewer.windowTitle(), "Delayed Send Log Viewer");
  auto* text = Find<QPlainTextEdit>("RichTextBox1", &viewer);
  EXPECT_EQ(text->toPlainText(), "\"entry \u20AC 5\"\n");

  Click("SSCommand2", &viewer);
  EXPECT_EQ(text->toPlainText(), "");
  EXPECT_EQ(t.Read("C:\\Korvain\\TraceLog.txt"), "");
  EXPECT_EQ(Log(), "\"entry \x80 5\"\r\n");

  viewer.close();  // the title bar's close is Done
  EXPECT_FALSE(viewer.isVisible());
  EXPECT_FALSE(window.LogViewer()->Visible);
}

TEST_F(DelayedSendWindowTest, TheViewerOnTheFirstDayOfAMonthStartsTheMonthsEmptyLog) {
  t.Write(kOrders + "1226DElayedSend.LOG", "\"december\"\r\n");
  t.clock.Set(DateTime{Date{2027, 1, 1}, 0});
  Start();
  Click("SSCommand8");
  ASSERT_NE(screen.log_viewer(), nullptr);
  EXPECT_EQ(Find<QPlainTextEdit>("RichTextBox1", &screen.log_viewer()->widget())->toPlainText(),
            "");
  ASSERT_TRUE(t.Exists(kOrders + "0127DElayedSend.LOG"));
  EXPECT_EQ(t.Read(kOrders + "0127DElayedSend.LOG"), "");
}

// A mouse button held while moving over the picture brings the window up;
// a bare move does not. Label6 shows the pass's tick count.
TEST_F(DelayedSendWindowTest, APressedMoveOverThePictureBringsTheWindowUp) {
  Order("DS5", "9:00 PM");
  Start();
  window.Timer1_Timer();
  EXPECT_EQ(Find<QLabel>("Label6")->text(), "1");
  Click("SSCommand2");
  ASSERT_FALSE(window.Visible);
  QWidget* picture = Find("Picture1");
  auto move = [&](Qt::MouseButtons held) {
    QMouseEvent event(QEvent::MouseMove, QPointF(4, 4), picture->mapToGlobal(QPointF(4, 4)),
                      Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(picture, &event);
  };
  move(Qt::NoButton);
  EXPECT_FALSE(window.Visible);
  move(Qt::RightButton);
  EXPECT_TRUE(window.Visible);
  EXPECT_TRUE(screen.widget().isMaximized());
}

// A station that needs someone is seen without opening anything: the icon's
// picture and tip and the window's state line follow the state, and each
// condition is one notification of its kind when it begins and one when it
// ends, however many passes meet it.
TEST_F(DelayedSendWindowTest, TheIconTheTipAndTheStateLineFollowTheStateAndEachChangeIsToldOnce) {
  QSystemTrayIcon icon;  // the desktop's, as a station with a notification area has it
  StationTray tray(window.Tray, icon, screen.icon());
  std::vector<std::string> told;
  tray.show_message = [&](const QString& title, const QString& text,
                          QSystemTrayIcon::MessageIcon kind) {
    const char* kinds[] = {"none", "information", "warning", "critical"};
    told.push_back(std::string(kinds[kind]) + ": " + title.toStdString() + ": " +
                   text.toStdString());
  };
  const auto picture = [&] { return icon.icon().pixmap(22).toImage(); };
  const auto line_color = [&] {
    auto* line = Find<QLabel>("StateLine");
    return line->isVisible() ? line->grab().toImage().pixelColor(2, 2) : QColor();
  };
  Start();
  window.Timer1_Timer();
  const QImage normal = picture();
  EXPECT_TRUE(icon.isVisible());
  EXPECT_FALSE(Shown("StateLine"));

  Order("DS8", "5 PM", " 7", "13/45/2026");  // a send date nobody can read: held
  struct Pass {
    std::function<void()> events;
    std::string words;  // the state line; empty: hidden
    std::string state;
    std::vector<std::string> told;
  };
  const Pass passes[] = {
      {[&] { window.Timer1_Timer(); },
       "1 pending; DS8 held",
       "attention",
       {"warning: Delayed Send - attention: Order DS8 stays pending: the send date 13/45/2026 "
        "cannot be read"}},
      {[&] { window.Timer1_Timer(); }, "1 pending; DS8 held", "attention", {}},
      {[&] {
         t.files.Kill(kOrders + "DS8.PH");
         window.Timer1_Timer();
       },
       "",
       "normal",
       {"information: Delayed Send - cleared: Cleared: DS8 held"}},
      {[&] {  // a pass that cannot reach the shared folder
         window.Watch().PassBegan();
         window.Watch().ShareDown("F:\\KORVAIN\\PhoneOrders\\ cannot be reached");
         window.Watch().PassEnded();
       },
       "0 pending; the shared folder cannot be reached",
       "fault",
       {"critical: Delayed Send - fault: F:\\KORVAIN\\PhoneOrders\\ cannot be reached"}},
  };
  QImage attention;
  for (const Pass& pass : passes) {
    SCOPED_TRACE(pass.state + " " + pass.words);
    told.clear();
    t.clock.AdvanceMs(60000);
    pass.events();
    EXPECT_EQ(told.size(), pass.told.size());
    for (size_t i = 0; i < std::min(told.size(), pass.told.size()); ++i)
      EXPECT_EQ(told[i].rfind(pass.told[i], 0), 0u) << told[i];
    EXPECT_EQ(Find<QLabel>("StateLine")->text().toStdString(), pass.words);
    EXPECT_EQ(Shown("StateLine"), !pass.words.empty());
    const std::optional<StateColors> colors = StateColorsOf(pass.state);
    EXPECT_EQ(line_color(), colors ? colors->background : QColor());
    const QString tip = icon.toolTip();
    EXPECT_TRUE(pass.words.empty() ? !tip.contains("pending;")
                                   : tip.contains(QString::fromStdString(pass.words)))
        << tip.toStdString();
    EXPECT_EQ(picture() == normal, pass.state == "normal");
    if (pass.state == "attention") attention = picture();
    if (pass.state == "fault") {
      EXPECT_NE(picture(), attention);
    }
  }
}

// The printers window lists each printer as the last pass found it, a
// printer holding tickets with why and since when; its button makes every
// printer try at once, and the pass that shows how it went comes soon.
TEST_F(DelayedSendWindowTest, ThePrintersWindowListsEachPrinterAndSendsHeldTicketsNow) {
  auto held = std::make_unique<testing::HoldingDestination>("socket://10.0.0.5:9100");
  auto idle = std::make_unique<testing::HoldingDestination>("cups:Bar_Raw");
  testing::HoldingDestination& kitchen = *held;
  testing::HoldingDestination& bar = *idle;
  kitchen.state = {3, "printer not available: 10.0.0.5:9100: No route to host"};
  std::vector<InstalledPrinter> installed;
  installed.push_back({"KITCHEN1 TM-U220", std::move(held)});
  installed.push_back({"BAR TM-T88", std::move(idle)});
  t.printer = PrintService(std::move(installed));
  Start();
  window.Timer1_Timer();
  EXPECT_EQ(Find<QLabel>("StateLine")->text(),
            "0 pending; KITCHEN1 TM-U220 holds 3 tickets (printer not available: 10.0.0.5:9100: "
            "No route to host)");

  Click("PrintersButton");
  QWidget& printers = screen.printers().widget();
  EXPECT_TRUE(printers.isVisible());
  EXPECT_EQ(printers.windowTitle(), "Printers");
  auto* list = Find<QTreeWidget>("PrinterList", &printers);
  const auto row = [&](int i) {
    QStringList cells;
    for (int c = 0; c < list->columnCount(); ++c) cells << list->topLevelItem(i)->text(c);
    return cells;
  };
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(row(0),
            QStringList({"KITCHEN1 TM-U220", "socket://10.0.0.5:9100", "3", "12/25/2026 6:30:00 PM",
                         "printer not available: 10.0.0.5:9100: No route to host"}));
  EXPECT_EQ(row(1), QStringList({"BAR TM-T88", "cups:Bar_Raw", "0", "", ""}));

  Click("SendNow", &printers);
  EXPECT_EQ(kitchen.retries, 1);
  EXPECT_EQ(bar.retries, 1);
  EXPECT_EQ(window.Timer1.Interval(), KORVdelayedSend1::kAfterRetryMs);
  kitchen.state = {};  // the paper was all it needed
  t.clock.AdvanceMs(KORVdelayedSend1::kAfterRetryMs);
  window.Timer1_Timer();
  EXPECT_EQ(row(0)[2], "0");
  EXPECT_EQ(row(0)[3], "");
  EXPECT_FALSE(Find<QPushButton>("SendNow", &printers)->isEnabled());
  EXPECT_FALSE(Shown("StateLine"));
  EXPECT_EQ(window.Timer1.Interval(), window.MsToNextMinutesPass()) << "the next minute's pass";
}

TEST_F(DelayedSendWindowTest, WithoutANotificationAreaDoneMinimisesAndCloseEnds) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a notification area is there";
  Start();
  EXPECT_EQ(screen.tray(), nullptr);
  Click("SSCommand2");
  EXPECT_FALSE(window.Visible);
  EXPECT_TRUE(screen.widget().isMinimized());  // still there to be brought back
  EXPECT_TRUE(screen.widget().isVisible());

  // The icon's right click: the window's own menu, at the pointer.
  window.Tray.Menu();
  QMenu& menu = screen.menu();
  EXPECT_TRUE(menu.isVisible());
  ASSERT_EQ(menu.actions().size(), 2);
  EXPECT_EQ(menu.actions()[0]->text(), "Show");
  EXPECT_EQ(menu.actions()[1]->text(), "End Program");
  menu.actions()[0]->trigger();
  menu.hide();
  EXPECT_TRUE(window.Visible);
  EXPECT_TRUE(screen.widget().isMaximized());

  EXPECT_FALSE(window.EndRequested);
  screen.widget().close();
  EXPECT_TRUE(window.EndRequested);
}

}  // namespace
}  // namespace korv
