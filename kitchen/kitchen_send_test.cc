#include <map>
#include <optional>
#include <stdexcept>

#include "common/steps.h"
#include "common/val.h"
#include "kitchen/kitchen_test_support.h"
#include "kitchen/ticket_layout.h"

namespace korv::testing {
namespace {

constexpr char kCounter[] = "F:\\KORVAIN\\KOrdNumb.dat";
constexpr char kArchive[] = "C:\\KORVAIN\\data\\KitData.Dat";
const std::string kPad(27, ' ');

// A ticket line as the send makes it: 5 characters of quantity, then text.
std::string TicketLine(const std::string& quantity, const std::string& text) {
  return Left(quantity + kPad, 5) + text + kPad;
}

struct SendFixture : KitchenFixture {
  explicit SendFixture(testing::ConfigFields config)
      : KitchenFixture(WithPrinters(std::move(config)),
                       {"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "BAR TM-T88", "KITCHEN4 TM-U220",
                        "OFFICE LASER"}) {
    ts.station.CustName = "Pat Smith";
    ts.station.PioNumberText = "12";
    ts.files.MakeFolders("C:\\KORVAIN\\data");
  }
  static testing::ConfigFields WithPrinters(testing::ConfigFields config) {
    config.insert({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                   {ConfigField::StationPrinter, "OFFICE"},
                   {StationPrinterField(1), "KITCHEN4"}});
    return config;
  }
  void Rows(const std::vector<std::string>& rows) {
    for (const std::string& r : rows) main.MList1.AddItem(r);
  }
  // The documents printed on the printer whose device name begins with name.
  std::vector<Document> On(const std::string& name) const {
    std::vector<Document> out;
    for (const Document& d : ts.printed)
      if (StartsWith(d.printer, name)) out.push_back(d);
    return out;
  }
  // The buffer lines of a kitchen ticket: from the line after the kitchen
  // number to the rule that closes the buffer, the rule under line 1 left out.
  static std::vector<std::string> Body(const Document& doc) {
    std::vector<std::string> out;
    for (size_t i = 3; i < doc.lines.size(); ++i) {
      const std::string text = doc.lines[i].Text();
      if (text == kTicketRule) {
        if (i == 4) continue;
        break;
      }
      out.push_back(text);
    }
    return out;
  }
  void FailPrinter(int index, int error) {
    static_cast<RecordingDestination&>(*ts.printer.printer(index).destination).fail_with = error;
  }
  void ExpectAllSentAndComplete() {
    for (int i = 0; i < main.MList1.Count(); ++i) {
      EXPECT_EQ(main.MList1.Item(i).back(), 'Y') << i;
      EXPECT_EQ(main.MList1.RowColor(i), kYellow) << i;
    }
    EXPECT_EQ(ts.station.SendStatus, "SENT");
    EXPECT_EQ(main.MousePointer, 0);
    EXPECT_FALSE(main.SSPanel4.Visible());
    EXPECT_EQ(ts.files.OpenCount(), 0);
  }
};

const char kBurger[] = " 2|Burger              |$18.00|Burger Med| 5 - Main|T|N";
const char kCheese[] = "*|Add Cheese|$1.00|* Cheese| 0 - |T|N";
const char kCola[] = " 1|Cola|$1.50|Cola| 1 - |T|N";
const char kWine[] = " 1|House Red|$7.00|Red Wine| 2 - |T|N";
const char kNote[] = " 1|Call on arrival|$0.00|Call| 3 - |T|N";
const std::string kHead[] = {"Phone In", "  Pat Smith", "12:00:00 PM  12/8/2026"};

TEST(KitchenSendRouting, EachRouteReachesItsTickets) {
  SendFixture b({{ConfigField::BarPrinter, "BAR"}});
  b.Rows({kBurger, kCheese, kCola, kWine, kNote});
  b.main.SSCommand9_Click();

  ASSERT_EQ(b.ts.printed.size(), 3u);  // main, bar, KITCHEN 4: in that order
  EXPECT_EQ(b.ts.printed[0].printer, "KITCHEN1 TM-U220");
  EXPECT_EQ(b.ts.printed[1].printer, "BAR TM-T88");
  EXPECT_EQ(b.ts.printed[2].printer, "KITCHEN4 TM-U220");
  const std::string burger = TicketLine(" 2", "Burger Med");
  const std::string wine = TicketLine(" 1", "Red Wine");
  EXPECT_EQ(
      SendFixture::Body(b.ts.printed[0]),
      (std::vector<std::string>{kHead[0], kHead[1], kHead[2], burger, "Mod Charge $1.00" + kPad,
                                TicketLine("*", "* Cheese"), wine, ""}));
  const std::string bar = KitchenFixture::Text(b.ts.printed[1]);
  EXPECT_NE(bar.find(TicketLine(" 1", "Cola") + "\n" + wine + "\n"), std::string::npos) << bar;
  EXPECT_EQ(bar.find("Burger"), std::string::npos);
  EXPECT_EQ(bar.find("Call"), std::string::npos);

  // Route 5 alone between the station ticket's head and foot.
  const Document& k4 = b.ts.printed[2];
  EXPECT_EQ(k4.lines[0].Text(), "KITCHEN 4");
  EXPECT_EQ(k4.lines[2].Text(), "K-1");
  EXPECT_EQ(SendFixture::Body(k4),
            (std::vector<std::string>{kHead[1], kHead[2], burger, "Phone In", "", ""}));
  EXPECT_NE(b.ts.Read(kArchive).find("Kitchen\r\nOrder\r\nK-1\r\nRe-Print\r\nPhone In"),
            std::string::npos);
  b.ExpectAllSentAndComplete();
  EXPECT_TRUE(b.ts.boxes.shown.empty());

  // Without a bar ticket (no bar printer, or one switched off) the drinks of
  // route 1 go to the kitchen: a line marked sent is always on a ticket.
  const testing::ConfigFields no_bar_ticket[] = {
      {},
      {{ConfigField::BarPrinter, "None"}},
      {{ConfigField::BarPrinter, "BA"}},
      {{ConfigField::BarPrinter, "BAR"}, {ConfigField::NoBarTicket, "-1"}}};
  for (const testing::ConfigFields& config : no_bar_ticket) {
    SendFixture no_bar(config);
    SCOPED_TRACE(no_bar.ts.station.Config.Text(ConfigField::BarPrinter));
    no_bar.Rows({kCola, kWine});
    no_bar.main.SSCommand9_Click();
    ASSERT_EQ(no_bar.ts.printed.size(), 1u);
    EXPECT_EQ(SendFixture::Body(no_bar.ts.printed[0]),
              (std::vector<std::string>{kHead[0], kHead[1], kHead[2], TicketLine(" 1", "Cola"),
                                        wine, ""}));
    no_bar.ExpectAllSentAndComplete();
  }
}

TEST(KitchenSendRouting, RepeatedModifiersAndSentRows) {
  SendFixture b({});
  const std::string sent = " 1|Soup|$4.00|Soup| 0 - |T|Y";
  b.Rows({sent, " 1|Fries|$3.00|Fries| 0 - |T|N", "*|Salt|$0.50|* Salt| 0 - |T|N",
          "*|Salt|$0.50|* Salt| 0 - |T|N", "1|  |$0.00|Blank| 0 - |T|N"});
  b.main.SSCommand9_Click();
  ASSERT_EQ(b.ts.printed.size(), 1u);
  EXPECT_EQ(SendFixture::Body(b.ts.printed[0]),
            (std::vector<std::string>{kHead[0], kHead[1], kHead[2], TicketLine(" 1", "Fries"),
                                      "Mod Charge $0.50" + kPad, TicketLine("*", "* Salt"),
                                      "Mod Charge $0.50" + kPad, ""}));
  // The repeated modifier is intended to stay unsent; a blank item is
  // marked sent without a ticket line.
  EXPECT_EQ(b.main.MList1.Item(0), sent);
  EXPECT_EQ(b.main.MList1.Item(3).back(), 'N');
  EXPECT_EQ(b.main.MList1.RowColor(3), kBlack);
  EXPECT_EQ(b.main.MList1.Item(4).back(), 'Y');
}

TEST(KitchenSendRouting, NothingForTheKitchenPrintsNoKitchenTicket) {
  SendFixture sent({});
  sent.Rows({" 1|Soup|$4.00|Soup| 0 - |T|Y", " 1|Tea|$2.00|Tea| 1 - |T|Y "});
  sent.main.SSCommand9_Click();
  EXPECT_TRUE(sent.ts.printed.empty());
  EXPECT_FALSE(sent.ts.Exists(kArchive));
  EXPECT_FALSE(sent.ts.Exists(kCounter));
  EXPECT_EQ(sent.main.List2.Count(), 0);
  EXPECT_EQ(sent.main.MList1.RowColor(0), kYellow);
  EXPECT_EQ(sent.ts.station.SendStatus, "SENT");
  EXPECT_TRUE(sent.ts.Exists("F:\\KORVAIN\\PhoneOrders\\12.pio"));

  SendFixture bar_only({{ConfigField::BarPrinter, "BAR"}});
  bar_only.Rows({kCola, kNote});
  bar_only.main.SSCommand9_Click();
  ASSERT_EQ(bar_only.ts.printed.size(), 1u);
  EXPECT_EQ(bar_only.ts.printed[0].printer, "BAR TM-T88");
  EXPECT_FALSE(bar_only.ts.Exists(kArchive));
  EXPECT_FALSE(bar_only.ts.Exists(kCounter));
  bar_only.ExpectAllSentAndComplete();
}

TEST(KitchenSendRouting, CourseSortedTicket) {
  SendFixture b({{ConfigField::CourseSorted, "-1"}});
  b.Rows({" 1|Cake|$5.00|Cake| 0 - Dessert|T|N", kBurger, " 1|Wings|$8.00|Wings| 0 - Appetizer|T|N",
          "*|Hot|$0.00|* Hot| 0 - |T|N", " 1|Cola|$1.50|Cola| 0 - Bar|T|N"});
  b.main.SSCommand9_Click();
  ASSERT_EQ(b.On("KITCHEN1").size(), 1u);
  EXPECT_EQ(
      SendFixture::Body(b.On("KITCHEN1")[0]),
      (std::vector<std::string>{kHead[1], kHead[2], "*******  APPETIZER  ********",
                                TicketLine(" 1", "Wings"), TicketLine("*", "* Hot"),
                                "******* Main Course ********", TicketLine(" 2", "Burger Med"),
                                "*******   Dessert   ********", TicketLine(" 1", "Cake"), ""}));
  EXPECT_NE(b.ts.Read(kArchive).find("*******  APPETIZER  ********"), std::string::npos);
  ASSERT_EQ(b.On("KITCHEN4").size(), 1u);  // the station ticket of the burger still prints
  b.ExpectAllSentAndComplete();
}

TEST(KitchenSendErrors, BoxOncePerFailingStatementAndKitchenCountReset) {
  SendFixture b({{ConfigField::BarPrinter, "BAR"}, {ConfigField::KitchenCopyPrinter, "KITCHEN2"}});
  b.Rows({kBurger, kCola});
  b.FailPrinter(0, kErrDeviceIO);  // main ticket
  b.FailPrinter(1, kErrDeviceIO);  // KITCHEN 2 copy: ignores its own errors
  b.FailPrinter(2, kErrDeviceIO);  // bar ticket
  b.main.SSCommand9_Click();

  ASSERT_EQ(b.ts.boxes.shown.size(), 2u);
  const ShownBox& box = b.ts.boxes.shown[0];
  EXPECT_EQ(box.title, "ERROR ENCOUNTERED 57");
  EXPECT_EQ(box.buttons, BoxButtons::kOk);
  const std::string blanks(51, ' ');
  EXPECT_EQ(box.text,
            "An error has been encountered while sending\rData to the KITCHEN/BAR Printer\r" +
                blanks +
                "\rPlease check the remote printer to make sure\rthe order information was "
                "printed\r\rERROR - " +
                ErrorDescription(kErrDeviceIO) + "\r\r" + blanks +
                "\rClick OK to Continue and the system will try to FIX itself\rFor the next "
                "order entered");
  EXPECT_EQ(b.ts.Read(kCounter), "\"500\",\"12/08/2026\",\"0\"\r\n");
  EXPECT_TRUE(b.ts.Exists(kArchive));  // the send went on after the boxes
  ASSERT_EQ(b.On("KITCHEN4").size(), 1u);
  b.ExpectAllSentAndComplete();
}

// A counter or monitor file fault is no unexpected error: it costs no ticket,
// shows no box, and the day's count never restarts at K-501 for it.
TEST(KitchenSendErrors, AMissingMonitorFolderIsSaidOnceAndCostsNothingElse) {
  SendFixture b({{ConfigField::KitchenMonitor, "-1"}});
  std::vector<std::string> said;
  b.main.ReportProblem = [&](const std::string& message) { said.push_back(message); };
  std::filesystem::remove_all(b.ts.files.HostPath("F:\\KORVAIN\\KitMonitor"));
  for (int send = 1; send <= 2; ++send) {
    b.main.MList1.Clear();
    b.Rows({kBurger});
    b.main.SSCommand9_Click();
  }
  EXPECT_TRUE(b.ts.boxes.shown.empty());
  ASSERT_EQ(b.On("KITCHEN1").size(), 2u);
  EXPECT_EQ(b.On("KITCHEN1")[1].lines.at(2).Text(), "K-2");
  EXPECT_EQ(b.ts.Read(kCounter), "\"2\",\"12/8/2026\",\"0\"\r\n");
  EXPECT_EQ(said, std::vector<std::string>(
                      2,
                      "The kitchen monitor folder F:\\KORVAIN\\KitMonitor\\ does not exist: "
                      "the kitchen display gets no orders until it is made"))
      << "the window says each distinct message once";
}

// Every ticket of the send carries the number drawn for it, however long
// another station holds the counter.
TEST(KitchenSendErrors, ALockedCounterIsWaitedForAndCostsNoTicket) {
  SendFixture b({{ConfigField::BarPrinter, "BAR"}, {ConfigField::KitchenCopyPrinter, "KITCHEN2"}});
  b.ts.station.KitchenOrderNo = "K-7";  // the order before
  b.ts.Write(kCounter, "\"7\",\"12/8/2026\",\"0\"\r\n");
  FileSystem other{PathMap(b.ts.dir.path())};
  other.Lock(other.Open(kCounter, OpenMode::kReadWrite));
  int said = 0;
  b.main.ReportProblem = [&](const std::string&) {
    ++said;
    other.CloseAll();
  };
  b.Rows({kBurger, kCola});
  b.main.SSCommand9_Click();

  EXPECT_EQ(said, 1);
  EXPECT_TRUE(b.ts.boxes.shown.empty());
  for (const char* printer : {"KITCHEN1", "KITCHEN2", "KITCHEN4"}) {
    ASSERT_EQ(b.On(printer).size(), 1u) << printer;
    EXPECT_EQ(b.On(printer)[0].lines.at(2).Text(), "K-8") << printer;
  }
  EXPECT_EQ(b.ts.Read(kCounter), "\"8\",\"12/8/2026\",\"0\"\r\n");
  EXPECT_TRUE(b.ts.Exists(kArchive));
  b.ExpectAllSentAndComplete();
}

TEST(KitchenSendErrors, CompletesWhateverEscapes) {
  SendFixture b({});
  b.Rows({kBurger});
  b.ts.loop.Post([] { throw RuntimeError(kErrInvalidCall); });  // before the handler is set
  EXPECT_THROW(b.main.SSCommand9_Click(), RuntimeError);
  EXPECT_EQ(b.ts.station.SendStatus, "SENT");
  EXPECT_FALSE(b.main.SSPanel4.Visible());
  EXPECT_TRUE(b.ts.Exists("F:\\KORVAIN\\PhoneOrders\\12.pio"));

  struct Odd {};  // not a run-time error: the handler never sees it
  SendFixture odd({});
  odd.Rows({kBurger});
  odd.FailPrinter(0, kErrDeviceIO);
  odd.ts.boxes.on_show = [] { throw Odd{}; };
  EXPECT_THROW(odd.main.SSCommand9_Click(), Odd);
  EXPECT_EQ(odd.ts.station.SendStatus, "SENT");
  EXPECT_EQ(odd.ts.files.OpenCount(), 0);

  SendFixture sound({});
  sound.ts.Write("C:\\KORVAIN\\Whoosh.wav", "RIFF");
  sound.main.SSCommand9_Click();  // played by the send and by the completion
  EXPECT_EQ(sound.ts.sound.played.size(), 2u);
}

// A send's journal of numbers, in memory; a failing one halts the send.
struct KeptNumbers : SendLedger {
  std::optional<std::string> Kept(std::string_view name) const override {
    auto it = kept.find(std::string(name));
    return it == kept.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  void Keep(std::string_view name, const std::string& value) override {
    if (halt) throw StepsHalted{"journal full"};
    kept[std::string(name)] = value;
  }
  std::map<std::string, std::string> kept;
  bool halt = false;
};

TEST(KitchenSendJournal, AResumedSendTakesTheNumbersItsFirstAttemptDrew) {
  const ConfigFields config = {{ConfigField::BarPrinter, "BAR"},
                               {ConfigField::StationPrinter, "KITCHEN4"},
                               {ConfigField::CutAfterCopy, "-1"}};
  SendFixture b(config);
  KeptNumbers journal;
  b.main.SetLedger(&journal);
  b.Rows({kBurger, kCola});
  b.main.SSCommand9_Click();
  EXPECT_EQ(journal.kept, (std::map<std::string, std::string>{
                              {"bar", "1"}, {"kitchen", "K-1"}, {"receipt", "1"}}));
  // The cut after the last ticket went out with it, before "SENT".
  EXPECT_FALSE(b.ts.printer.DocumentOpen());
  EXPECT_EQ(b.ts.printed.back().printer, "KITCHEN4 TM-U220");
  EXPECT_EQ(b.ts.printed.back().lines.at(0).Text(), "P");

  // The same send again, as after a crash: no number is drawn anew.
  KorvMain again(b.ts.station, b.ts.platform);
  again.SetLedger(&journal);
  for (const char* row : {kBurger, kCola}) again.MList1.AddItem(row);
  b.ts.printed.clear();
  again.SSCommand9_Click();
  EXPECT_EQ(b.On("KITCHEN1").at(0).lines.at(2).Text(), "K-1");
  EXPECT_NE(KitchenFixture::Text(b.On("BAR").at(0)).find("OrderNumber\n1\n"), std::string::npos);
  EXPECT_EQ(b.ts.Read(kCounter).substr(0, 4), "\"1\",");
  EXPECT_EQ(b.ts.Read("F:\\KORVAIN\\BAROrdNumb.dat").substr(0, 4), "\"1\",");
  EXPECT_EQ(b.ts.Read(kArchive).size(), 2000u) << "record 1 written again, not a record 2";

  // A journal that cannot record stops the send before its completion.
  SendFixture halted(config);
  KeptNumbers full;
  full.halt = true;
  halted.main.SetLedger(&full);
  halted.Rows({kBurger});
  EXPECT_THROW(halted.main.SSCommand9_Click(), StepsHalted);
  EXPECT_NE(halted.ts.station.SendStatus, "SENT");
  EXPECT_FALSE(halted.ts.Exists("F:\\KORVAIN\\PhoneOrders\\12.pio"));
  EXPECT_EQ(halted.ts.files.OpenCount(), 0);
}

}  // namespace
}  // namespace korv::testing
