#include "scheduler/orderfiles/delayed_order_writer.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "scheduler/orderfiles/line_file.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kRoot[] = "F:\\KORVAIN\\";

TEST(DelayedOrderWriterTest, RowsFollowTheOrderLineLayout) {
  OrderLineItem burger{2, "Burger              ", 8.5, " no onions ", 1, "Mains", "T", "N"};
  EXPECT_EQ(OrderLineRow(burger), " 2|Burger              |$17.00|no onions| 1 - Mains|T|N");
  OrderLineItem wine{1, "House Red", 1234.5, "", 12, "Bar", "F", "Y"};
  EXPECT_EQ(OrderLineRow(wine), " 1|House Red|$1,234.50|| 12 - Bar|F|Y");

  for (OrderLineItem bad : {OrderLineItem{1, "A|B", 1, "", 1, "", "T", "N"},
                            OrderLineItem{1, "Fish", 1, "a|b", 1, "", "T", "N"},
                            OrderLineItem{1, "X", 1, "", 1, "", "T", "N"},
                            OrderLineItem{1, "    ", 1, "", 1, "", "T", "N"},
                            OrderLineItem{1, "Fish", 1, "", 1, "", "TT", "N"},
                            OrderLineItem{1, "Fish", 1, "", 1, "", "T", "Q"}}) {
    EXPECT_THROW(OrderLineRow(bad), RuntimeError) << bad.name << bad.kitchen_text;
  }
}

TEST(DelayedOrderWriterTest, NextIdNeverReusesAPendingOrArchivedNumber) {
  TestStation t;
  EXPECT_EQ(NextFreeDelayedOrderId(t.files, kRoot), "DS1");
  t.Write("F:\\KORVAIN\\PhoneOrders\\DS2.PH", "");
  t.Write("F:\\KORVAIN\\PhoneOrders\\ds10.pio", "");
  t.Write("F:\\KORVAIN\\PhoneOrders\\DSX.PH", "");
  t.Write("F:\\KORVAIN\\PhoneOrders\\1226DElayedSend.LOG", "");
  EXPECT_EQ(NextFreeDelayedOrderId(t.files, kRoot), "DS11");
  t.Write("F:\\KORVAIN\\PhoneOrders\\Deleted\\DS12.PH", "");
  EXPECT_EQ(NextFreeDelayedOrderId(t.files, kRoot), "DS13");
}

TEST(DelayedOrderWriterTest, WritesHeaderAndLinesAsAnOrderEntryStationDoes) {
  TestStation t;
  OrderHeader header{"555-0101", " 25", "Ann Smith", "DS4", "12/25/2026", "7:30 PM"};
  std::vector<std::string> rows = {" 2|Burger|$17.00|no onions| 1 - Mains|T|N",
                                   " 1|Cola|$1.50|| 2 - Drinks|T|N"};
  WriteDelayedOrder(t.files, kRoot, header, rows);

  EXPECT_EQ(t.Read("F:\\KORVAIN\\PhoneOrders\\DS4.PH"),
            "\"555-0101\",\" 25\",\"Ann Smith\",\"DS4\",\"12/25/2026\",\"7:30 PM\"\r\n");
  EXPECT_EQ(t.Read("F:\\KORVAIN\\PhoneOrders\\DS4.Pio"),
            "\" 2|Burger|$17.00|no onions| 1 - Mains|T|N\"\r\n"
            "\" 1|Cola|$1.50|| 2 - Drinks|T|N\"\r\n");
  EXPECT_EQ(ReadLineRows(t.files, "F:\\KORVAIN\\PhoneOrders\\DS4.PIO"), rows);
  EXPECT_EQ(t.files.List("F:\\KORVAIN\\PhoneOrders", "*").size(), 2u);  // nothing staged left

  try {
    WriteDelayedOrder(t.files, kRoot, header, {});
    ADD_FAILURE() << "an existing order was overwritten";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 58);
  }
  header.order_id = "..\\data\\x";
  EXPECT_THROW(WriteDelayedOrder(t.files, kRoot, header, rows), RuntimeError);
  EXPECT_FALSE(t.Exists("F:\\KORVAIN\\data\\x.Pio"));
}

}  // namespace
}  // namespace korv
