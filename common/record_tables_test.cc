#include "common/record_tables.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace korv {
namespace {

TEST(RecordTables, EachTableFillsItsRecordExactly) {
  EXPECT_EQ(StationConfigLayout().length(), 2300);
  EXPECT_EQ(StationConfigLayout().field_count(), 161);
  EXPECT_TRUE(StationConfigLayout().IsContiguous());
  EXPECT_EQ(CustomerRecordLayout().length(), 2000);
  EXPECT_EQ(CustomerRecordLayout().field_count(), 20);
  EXPECT_TRUE(CustomerRecordLayout().IsContiguous());
  EXPECT_EQ(ButtonRecordLayout().length(), 500);
  EXPECT_EQ(ButtonRecordLayout().field_count(), 20);
  EXPECT_TRUE(ButtonRecordLayout().IsContiguous());
}

// Each named field of the station sits where the other stations put it.
TEST(RecordTables, FieldsTheProceduresReadSitAtTheirOffsets) {
  const RecordLayout& c = StationConfigLayout();
  using F = ConfigField;
  struct {
    ConfigField field;
    int offset, width;
  } expected[] = {{F::LocalRoot, 190, 40},
                  {F::TaxRate, 230, 10},
                  {F::StationPrinter, 240, 20},
                  {F::TicketFont, 472, 28},
                  {F::TicketSizeStep, 500, 5},
                  {F::MainKitchenPrinter, 586, 20},
                  {F::CutAfterMainTicket, 608, 2},
                  {F::BarPrinter, 905, 20},
                  {F::CutAfterBar, 925, 2},
                  {F::TableService, 937, 5},
                  {F::BarButton, 1008, 5},
                  {F::DataRoot, 1018, 40},
                  {F::CouponButton, 1208, 5},
                  {F::NoBarTicket, 1233, 5},
                  {F::MoreButton, 1248, 5},
                  {F::KitchenCopyPrinter, 1268, 20},
                  {F::CutAfterCopy, 1288, 2},
                  {F::CourseSorted, 1300, 5},
                  {F::FeedLines, 1410, 5},
                  {F::KitchenMonitor, 1480, 5},
                  {F::TaxDineInOnly, 1500, 5},
                  {F::ScanEntry, 1515, 5},
                  {F::UntotalledLRoutes, 1540, 5},
                  {F::StationPrinters, 1595, 20},
                  {StationPrinterField(kStationPrinterCount - 1), 1695, 20},
                  {F::FewQuantityButtons, 1720, 5}};
  for (const auto& e : expected) {
    const int n = static_cast<int>(e.field);
    EXPECT_EQ(c.field(n).offset, e.offset) << "field " << n;
    EXPECT_EQ(c.field(n).width, e.width) << "field " << n;
  }
  EXPECT_EQ(c.field(161).offset, 1845);
  EXPECT_EQ(CustomerRecordLayout().field(10).offset, 180);
  EXPECT_EQ(CustomerRecordLayout().field(11).offset, 1500);
  EXPECT_EQ(ButtonRecordLayout().field(16).offset, 202);
  EXPECT_THROW(c.field(162), RuntimeError);
}

TEST(RecordTables, FieldsAreWrittenPaddedAndReadTrimmed) {
  StationConfig config;
  config.Set(ConfigField::LocalRoot, "c:\\korvain\\   ");
  config.Set(ConfigField::TaxRate, "  .0825");
  EXPECT_EQ(config.bytes().size(), 2300u);
  EXPECT_EQ(config.bytes().substr(230, 10), "  .0825   ");
  EXPECT_EQ(config.Text(ConfigField::LocalRoot), "c:\\korvain\\");
  EXPECT_DOUBLE_EQ(config.Number(ConfigField::TaxRate), 0.0825);
  EXPECT_DOUBLE_EQ(config.Number(ConfigField::StationPrinter), 0) << "a blank field reads as 0";
  config.Set(ConfigField::CutAfterMainTicket, "-1 too long");
  EXPECT_EQ(config.Raw(ConfigField::CutAfterMainTicket), "-1") << "a value is cut to its field";
  EXPECT_EQ(config.bytes().substr(610, 2), "  ") << "the next field is untouched";
  // A truncated record reads as blanks past its end.
  CustomerRecord short_record(std::string("00000000000000000025555-0101"));
  EXPECT_EQ(short_record.Text(2), "555-0101");
  EXPECT_EQ(short_record.Text(3), "");
}

}  // namespace
}  // namespace korv
