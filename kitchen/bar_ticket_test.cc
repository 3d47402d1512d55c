#include "kitchen/kitchen_test_support.h"
#include "kitchen/ticket_layout.h"

namespace korv::testing {
namespace {

constexpr char kBarCounter[] = "F:\\KORVAIN\\BAROrdNumb.dat";

struct BarFixture : KitchenFixture {
  explicit BarFixture(const testing::ConfigFields& config)
      : KitchenFixture(config, {"BAR ONE", "BAR TWO", "NONE OF THEM", "OFFICE LASER"}) {
    main.SSPanel1.SetCaption("Phone IN 12");
    main.List3.AddItem("2    Beer");
    main.List3.AddItem("* no ice");
    Buffer({"Phone In", "  Pat Smith", "12:00:00 PM  12/8/2026"});
  }
};

TEST(BarTicket, PrintsTheDrinksUnderTheBarNumberThenCuts) {
  BarFixture b({{ConfigField::BarPrinter, "BAR"},
                {ConfigField::TicketFont, "Courier"},
                {ConfigField::TicketSizeStep, "5"},
                {ConfigField::CutAfterBar, "-1"},
                {ConfigField::StationPrinter, "OFFICE"},
                {ConfigField::FeedLines, "3"}});
  b.main.PrintBarTicket();
  EXPECT_EQ(b.ts.station.BarOrderNo, "1");
  ASSERT_EQ(b.ts.printed.size(), 2u);
  const Document& doc = b.ts.printed[0];
  EXPECT_EQ(doc.printer, "BAR TWO");  // the last match
  const std::string rule = std::string(kTicketRule) + "\n";
  EXPECT_EQ(KitchenFixture::Text(doc),
            "Beverage\nORDER\nPhone IN 12\n" + rule + "\n2    Beer\n* no ice\n\n" + rule +
                "OrderNumber\n1\n" + rule +
                "  Pat Smith\nTAKE OUT\nStation -STATION7\n12/8/2026   12:00:00 PM\n\n\n\n\n");
  EXPECT_EQ(KitchenFixture::LineOf(doc, "ORDER").size, 30);
  EXPECT_EQ(KitchenFixture::LineOf(doc, "1").size, 25);
  EXPECT_EQ(doc.lines[11].size, 5);  // the rule under the number, without the 5 added
  EXPECT_TRUE(KitchenFixture::LineOf(doc, "2    Beer").bold);
  EXPECT_FALSE(KitchenFixture::LineOf(doc, "* no ice").bold);
  EXPECT_EQ(KitchenFixture::LineOf(doc, "Beverage").font, "Courier");
  // The document ends before the cut, so the cut follows the ticket.
  EXPECT_EQ(b.ts.printed[1].printer, "BAR TWO");
  EXPECT_EQ(KitchenFixture::Text(b.ts.printed[1]), "P\n");
  EXPECT_EQ(b.ts.printer.CurrentName(), "OFFICE LASER");
}

TEST(BarTicket, SwitchesAndOddNames) {
  for (const auto& config : std::vector<testing::ConfigFields>{
           {{ConfigField::BarPrinter, "None"}},
           {{ConfigField::BarPrinter, "BA"}},
           {{ConfigField::BarPrinter, ""}},
           {{ConfigField::BarPrinter, "BAR"}, {ConfigField::NoBarTicket, "-1"}}}) {
    BarFixture b(config);
    b.main.PrintBarTicket();
    EXPECT_TRUE(b.ts.printed.empty());
    EXPECT_FALSE(b.ts.printer.DocumentOpen());
    EXPECT_FALSE(b.ts.Exists(kBarCounter)) << "a bar number was drawn";
  }
  // "NONE" is a device prefix like any other; a dine-in caption has no
  // banner, and a blank font stays blank.
  BarFixture b({{ConfigField::BarPrinter, "NONE"}, {ConfigField::StationPrinter, "OFFICE"}});
  b.main.SSPanel1.SetCaption("Dine In");
  b.main.PrintBarTicket();
  ASSERT_EQ(b.ts.printed.size(), 1u);
  EXPECT_EQ(b.ts.printed[0].printer, "NONE OF THEM");
  EXPECT_EQ(b.ts.printed[0].lines[0].font, "");
  // No banner, and a blank field 99 feeds one line.
  EXPECT_NE(KitchenFixture::Text(b.ts.printed[0])
                .find(std::string(kTicketRule) + "\n12/8/2026   12:00:00 PM\n\n\n"),
            std::string::npos);
}

}  // namespace
}  // namespace korv::testing
