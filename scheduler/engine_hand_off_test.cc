#include <gtest/gtest.h>

#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/station_sends.h"
#include "testing/test_station.h"

namespace korv {
namespace {

const std::string kOrders = "F:\\KORVAIN\\PhoneOrders\\";

std::string TicketText(const Document& doc) {
  std::string text;
  for (const PrintedLine& line : doc.lines) text += line.Text() + "\n";
  return text;
}

// A line without "|" (damaged by the station that wrote it) is left out of
// the ticket and the phone order, and said with its file and line; the
// lines around it go as they are, a modifier whose item went earlier too.
TEST(HandOff, ALineWithoutFieldsIsLeftOutAndSaidWithItsFileAndLine) {
  testing::TestStation t({"KITCHEN1"});
  t.WriteConfig({{ConfigField::MainKitchenPrinter, "KITCHEN1"}});
  t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600});
  WriteDelayedOrder(t.files, "F:\\KORVAIN\\",
                    {"207-555-0107", " 0", "Ann Lee", "DS5", "12/25/2026", "5:00 PM"},
                    {" 2|Cheeseburger        |$23.00|CHEESEBURGER| 4 - Main Course|T|N",
                     "NO ONIONS", "*|  NO SALT|$0.00|* NO SALT| 4 - Main Course|T|N"});
  StationSends w(t.station, t.platform);
  w.Start();
  w.Pass();

  ASSERT_EQ(t.printed.size(), 1u);
  const std::string ticket = TicketText(t.printed[0]);
  EXPECT_EQ(ticket.find("NO ONIONS"), std::string::npos) << ticket;
  EXPECT_NE(ticket.find("NO SALT"), std::string::npos) << ticket;
  EXPECT_EQ(t.Read(kOrders + "1.Pio").find("NO ONIONS"), std::string::npos);
  EXPECT_NE(t.Read(kOrders + "Deleted\\DS5.Pio").find("NO ONIONS"), std::string::npos);
  EXPECT_NE(w.said.find("Line 2 of F:\\KORVAIN\\PhoneOrders\\1.PIO, \"NO ONIONS\", "
                        "has no \"|\" between its fields: it is left out of the "
                        "tickets, the phone order and the kitchen monitor file"),
            std::string::npos)
      << w.said;
}

}  // namespace
}  // namespace korv
