#include "common/runtime_error.h"
#include "kitchen/kitchen_test_support.h"
#include "kitchen/ticket_layout.h"

namespace korv::testing {
namespace {

const std::string kRule = std::string(kTicketRule) + "\n";

struct StationTicketFixture : KitchenFixture {
  explicit StationTicketFixture(const testing::ConfigFields& config = {})
      : KitchenFixture(config, {"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "OFFICE LASER"}) {
    ts.station.KitchenOrderNo = "K-17";
    ts.station.KitchenPrinterName = " KIT ";
    ts.station.KitchenHeading = "KITCHEN 3";
    Buffer({"  Pat Smith", "9:05 PM", "2    Burger", "* NO ONION", "* NO ONION", "* NO ONION MORE",
            "0    Note", "* {{ NUT ALLERGY }}"});
  }
};

// The empty lines after the last printed text: the feed.
int FeedLines(const Document& doc) {
  int n = 0;
  for (auto it = doc.lines.rbegin(); it != doc.lines.rend() && it->Text().empty(); ++it) ++n;
  return n;
}

TEST(StationTicket, PrintsTheBufferWithItsHeadAndFoot) {
  StationTicketFixture b({{ConfigField::TicketSizeStep, "5"}});
  b.main.List2.AddItem("");
  b.main.List2.AddItem("* SAUCE ON SIDE");  // nothing repeats a blank line
  b.main.Print_Kit3();
  ASSERT_EQ(b.ts.printed.size(), 1u);
  const Document& doc = b.ts.printed[0];
  EXPECT_EQ(doc.printer, "KITCHEN1 TM-U220");  // the first match
  EXPECT_EQ(KitchenFixture::Text(doc),
            "KITCHEN 3\nORDER\nK-17\n  Pat Smith\n" + kRule +
                "9:05 PM\n2    Burger\n* NO ONION\n0    Note\n* {{ NUT ALLERGY }}\n\n"
                "* SAUCE ON SIDE\n\n" +
                kRule + "\n\nServer\n\nStation - STATION7\n.... END Order K-17\n" + kRule + "\n");
  const PrintedLine& order_no = KitchenFixture::LineOf(doc, "K-17");
  EXPECT_EQ(order_no.size, 40);
  EXPECT_TRUE(order_no.bold);
  EXPECT_EQ(KitchenFixture::LineOf(doc, "ORDER").size, 25);
  EXPECT_TRUE(KitchenFixture::LineOf(doc, "2    Burger").bold);
  EXPECT_FALSE(KitchenFixture::LineOf(doc, "* NO ONION").bold);
  EXPECT_FALSE(KitchenFixture::LineOf(doc, "0    Note").bold);
  EXPECT_EQ(KitchenFixture::LineOf(doc, "* {{ NUT ALLERGY }}").color, kButtonText);
  EXPECT_TRUE(KitchenFixture::LineOf(doc, "Server").italic);

  // A take-out buffer gets the banner instead of the server foot, and the
  // instruction goes red where the kitchen printers print red.
  StationTicketFixture t({{ConfigField::TicketFont, "Courier New"}});
  t.ts.Write("F:\\KORVAIN\\data\\RED.DAT", "");
  t.main.List2.AddItem("Phone In");
  t.main.Print_Kit3();
  ASSERT_EQ(t.ts.printed.size(), 1u);
  std::string text = KitchenFixture::Text(t.ts.printed[0]);
  EXPECT_NE(text.find("\n\n9:05 PM\nTAKE OUT\nStation -STATION7\n.... END Order K-17\n"),
            std::string::npos);
  EXPECT_EQ(text.find("Server"), std::string::npos);
  EXPECT_EQ(KitchenFixture::LineOf(t.ts.printed[0], "TAKE OUT").size, 36);
  const PrintedLine& red = KitchenFixture::LineOf(t.ts.printed[0], "* {{ NUT ALLERGY }}");
  EXPECT_EQ(red.color, kRed);
  EXPECT_TRUE(red.bold);
  EXPECT_EQ(red.font, "Courier New");
}

TEST(StationTicket, PrinterNamesMarkersAndFeed) {
  StationTicketFixture b({{ConfigField::KitchenCopyPrinter, "OFF"}, {ConfigField::FeedLines, "4"}});
  for (const char* none : {"none", " ", ""}) {
    b.ts.station.KitchenPrinterName = none;
    b.main.Print_Kit3();
  }
  EXPECT_TRUE(b.ts.printed.empty());
  EXPECT_FALSE(b.ts.printer.DocumentOpen());

  b.main.Print_Kit2();
  ASSERT_EQ(b.ts.printed.size(), 1u);
  EXPECT_EQ(b.ts.printed[0].printer, "OFFICE LASER");
  EXPECT_EQ(b.ts.printed[0].lines[0].Text(), "KITCHEN 2");
  KitchenFixture::LineOf(b.ts.printed[0], "......................... END Order K-17");
  EXPECT_EQ(FeedLines(b.ts.printed[0]), 4);

  b.ts.Write("F:\\KORVAIN\\DontPrint.txt", "");
  b.main.Print_Kit2();
  EXPECT_EQ(b.ts.printed.size(), 1u);
  b.ts.station.KitchenPrinterName = "NOSUCH";  // stays on the printer current before
  b.main.Print_Kit3();
  ASSERT_EQ(b.ts.printed.size(), 2u);
  EXPECT_EQ(b.ts.printed[1].printer, "OFFICE LASER");

  for (const char* feed : {"", "0"}) {
    StationTicketFixture c({{ConfigField::FeedLines, feed}});
    c.main.Print_Kit3();
    ASSERT_EQ(c.ts.printed.size(), 1u);
    EXPECT_EQ(FeedLines(c.ts.printed[0]), 1) << "field 99 \"" << feed << "\"";
  }
}

TEST(StationTicket, CutsAndReturnsToTheStationPrinterIgnoringErrors) {
  StationTicketFixture b(
      {{ConfigField::CutAfterCopy, "-1"}, {ConfigField::StationPrinter, "OFFICE"}});
  b.main.Print_Kit3();
  ASSERT_EQ(b.ts.printed.size(), 2u);
  EXPECT_EQ(b.ts.printed[1].printer, "KITCHEN1 TM-U220");
  EXPECT_EQ(KitchenFixture::Text(b.ts.printed[1]), "P\n");
  EXPECT_EQ(b.ts.printed[1].lines[0].font, "control");
  EXPECT_EQ(b.ts.printer.CurrentName(), "OFFICE LASER");

  // A printer that fails costs its ticket, never the send.
  auto* kitchen = static_cast<RecordingDestination*>(b.ts.printer.printer(0).destination.get());
  kitchen->fail_with = kErrDeviceIO;
  b.Buffer({"Phone In"});  // also too short for the banner's line 1
  EXPECT_NO_THROW(b.main.Print_Kit3());
  EXPECT_EQ(b.ts.printed.size(), 2u);
}

TEST(PrinterControl, SetPrinterTakesTheLastMatchAndCutRestoresTheFont) {
  KitchenFixture b({{ConfigField::StationPrinter, "OFFICE"}},
                   {"OFFICE A", "KITCHEN", "OFFICE B", "BAR"});
  b.main.Set_Printer();
  EXPECT_EQ(b.ts.printer.CurrentName(), "OFFICE B");
  b.ts.station.Config.Set(ConfigField::StationPrinter, "");
  b.ts.printer.SetCopies(3);
  b.main.Set_Printer();
  EXPECT_EQ(b.ts.printer.CurrentName(), "BAR");
  EXPECT_EQ(b.ts.printer.Copies(), 1);

  b.ts.printer.SetFontName("Courier New");
  b.ts.printer.SetFontSize(30);
  b.main.Cut_Paper();
  EXPECT_EQ(b.ts.printer.FontName(), "Courier New");
  EXPECT_EQ(b.ts.printer.FontSize(), 10);
  EXPECT_FALSE(b.ts.printer.DocumentOpen()) << "the cut goes out at once";
  ASSERT_EQ(b.ts.printed.size(), 1u);
  const PrintedLine& cut = b.ts.printed[0].lines.at(0);
  EXPECT_EQ(cut.Text(), "P");
  EXPECT_EQ(cut.font, "control");
  EXPECT_EQ(cut.size, 10);
}

}  // namespace
}  // namespace korv::testing
