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

TEST(RecordTables, FieldsTheProceduresReadSitAtTheirOffsets) {
  const RecordLayout& c = StationConfigLayout();
  struct {
    int field, offset, width;
  } expected[] = {{6, 190, 40},    {7, 230, 10},    {22, 472, 28},  {29, 586, 20},   {35, 905, 20},
                  {39, 937, 5},    {49, 1018, 40},  {61, 1208, 5},  {66, 1233, 5},   {73, 1268, 20},
                  {77, 1300, 5},   {99, 1410, 5},   {107, 1480, 5}, {111, 1500, 5},  {119, 1540, 5},
                  {130, 1595, 20}, {135, 1695, 20}, {137, 1720, 5}, {161, 1845, 455}};
  for (const auto& e : expected) {
    EXPECT_EQ(c.field(e.field).offset, e.offset) << "field " << e.field;
    EXPECT_EQ(c.field(e.field).width, e.width) << "field " << e.field;
  }
  EXPECT_EQ(CustomerRecordLayout().field(10).offset, 180);
  EXPECT_EQ(CustomerRecordLayout().field(11).offset, 1500);
  EXPECT_EQ(ButtonRecordLayout().field(16).offset, 202);
  EXPECT_THROW(c.field(162), RuntimeError);
}

TEST(RecordTables, FieldsAreWrittenPaddedAndReadTrimmed) {
  StationConfig config;
  config.Set(6, "c:\\korvain\\   ");
  config.Set(7, "  .0825");
  EXPECT_EQ(config.bytes().size(), 2300u);
  EXPECT_EQ(config.bytes().substr(230, 10), "  .0825   ");
  EXPECT_EQ(config.Text(6), "c:\\korvain\\");
  EXPECT_DOUBLE_EQ(config.Number(7), 0.0825);
  EXPECT_DOUBLE_EQ(config.Number(8), 0) << "a blank field reads as 0";
  config.Set(31, "-1 too long");
  EXPECT_EQ(config.Raw(31), "-1") << "a value is cut to its field";
  EXPECT_EQ(config.bytes().substr(610, 2), "  ") << "the next field is untouched";
  // A truncated record reads as blanks past its end.
  CustomerRecord short_record(std::string("00000000000000000025555-0101"));
  EXPECT_EQ(short_record.Text(2), "555-0101");
  EXPECT_EQ(short_record.Text(3), "");
}

}  // namespace
}  // namespace korv
