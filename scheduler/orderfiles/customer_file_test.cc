#include "scheduler/orderfiles/customer_file.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "common/val.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const char kCustData[] = "F:\\KORVAIN\\data\\CustData.dat";

TEST(CustomerFileTest, ReadsTheRecordOfTheCustomerNumber) {
  TestStation t;
  t.station.DataRoot = "F:\\KORVAIN\\";
  std::string bytes(25 * 2000, 'x');
  std::string record =
      std::string("25") + std::string(18, ' ') + "555-0125" + std::string(12, ' ') + "  Ann Smith";
  bytes.replace(48000, record.size(), record);
  bytes.replace(48000 + record.size(), 2000 - record.size(), 2000 - record.size(), ' ');
  bytes.replace(48070, 12, "1 Main St   ");
  t.Write(kCustData, bytes);

  t.station.CustRecNo = 25;
  ReadCustomer(t.station, t.files);
  EXPECT_EQ(t.station.CustNumber, "25");
  EXPECT_EQ(t.station.CustNumberCopy, "25");
  EXPECT_EQ(t.station.CustPhone, "555-0125");
  EXPECT_EQ(t.station.CustName, "Ann Smith");
  EXPECT_EQ(t.station.Customer.Text(4), "1 Main St");

  t.station.CustRecNo = 26;  // past the end
  ReadCustomer(t.station, t.files);
  EXPECT_EQ(t.station.CustName, "");
  EXPECT_EQ(t.station.Customer.bytes(), std::string(2000, ' '));

  t.station.CustRecNo = 0;  // raised to 1
  ReadCustomer(t.station, t.files);
  EXPECT_EQ(t.station.CustRecNo, 1);
  EXPECT_EQ(t.station.CustNumber, std::string(20, 'x'));
  EXPECT_EQ(t.files.OpenCount(), 0);
}

TEST(CustomerFileTest, MissingFileReadsBlankAndIsNotCreated) {
  TestStation t;
  t.station.DataRoot = "F:\\KORVAIN\\";
  t.station.CustName = "old";
  ReadCustomer(t.station, t.files);
  EXPECT_EQ(t.station.CustName, "");
  EXPECT_FALSE(t.Exists(kCustData));
}

TEST(CustomerFileTest, WrittenRecordLandsAtItsNumberWithBlankRecordsBefore) {
  TestStation t;
  t.station.DataRoot = "F:\\KORVAIN\\";
  t.Write(kCustData, "1                   555");  // a first record cut short
  CustomerRecord record;
  record.Set(1, "3");
  record.Set(3, "Bob Jones");
  WriteCustomer(t.files, "F:\\KORVAIN\\", 3, record);

  std::string bytes = t.Read(kCustData);
  ASSERT_EQ(bytes.size(), 6000u);
  EXPECT_EQ(bytes.substr(0, 2000), PadRight("1                   555", 2000));
  EXPECT_EQ(bytes.substr(2000, 2000), std::string(2000, ' '));
  EXPECT_EQ(bytes.substr(4000), record.bytes());
  t.station.CustRecNo = 3;
  ReadCustomer(t.station, t.files);
  EXPECT_EQ(t.station.CustName, "Bob Jones");

  try {
    WriteCustomer(t.files, "F:\\KORVAIN\\", 0, record);
    ADD_FAILURE() << "record 0 accepted";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrBadRecordNumber);
  }
}

}  // namespace
}  // namespace korv
