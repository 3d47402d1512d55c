#include "kitchen/kitchen_test_support.h"

namespace korv::testing {
namespace {

constexpr char kArchive[] = "C:\\KORVAIN\\data\\KitData.Dat";
const std::string kFoot = "\r\n" + std::string(33, '_') + "\r\nServer\r\n\r\nStation\r\nSTATION7";

struct ArchiveFixture : KitchenFixture {
  ArchiveFixture() {
    ts.files.MakeFolders("C:\\KORVAIN\\data");
    ts.station.KitchenOrderNo = "K-17";
  }
  std::string Record(int n) { return ts.Read(kArchive).substr((n - 1) * 2000, 2000); }
};

TEST(KitchenArchive, AppendsOneBlankPaddedRecordPerTicket) {
  ArchiveFixture b;
  b.main.Save_Receipt();  // an empty buffer keeps its head and foot
  std::string text = "Kitchen\r\nOrder\r\nK-17\r\nRe-Print" + kFoot;
  EXPECT_EQ(b.ts.Read(kArchive), text + std::string(2000 - text.size(), ' '));

  b.ts.Write(kArchive, std::string(6000, 'x'));
  b.Buffer({"Phone In", "  Pat Smith"});
  b.main.Save_Receipt();
  text = "Kitchen\r\nOrder\r\nK-17\r\nRe-Print\r\nPhone In\r\n  Pat Smith" + kFoot;
  EXPECT_EQ(b.ts.Read(kArchive).size(), 8000u);
  EXPECT_EQ(b.Record(4), text + std::string(2000 - text.size(), ' '));
  EXPECT_EQ(b.main.Text4.Text(), text);

  b.Buffer(std::vector<std::string>(100, std::string(40, 'L')));
  b.main.Save_Receipt();
  EXPECT_EQ(b.ts.Read(kArchive).size(), 10000u);
  EXPECT_EQ(b.Record(5), b.main.Text4.Text().substr(0, 2000));
}

// A writer that died leaves a partial record. The record count is the length
// over 2000 rounded to the nearest whole number, as every station counts it:
// under half a record is written over, over half is kept (filled out with
// blanks) and the new record follows it; a half rounds to even.
TEST(KitchenArchive, ANewRecordFollowsTheRoundedCountOfRecords) {
  const struct {
    size_t length;
    int record;    // the new record's number
    size_t after;  // the archive's length after it
  } cases[] = {
      {6500, 4, 8000}, {7500, 5, 10000}, {7000, 5, 10000}, {5000, 3, 6000}, {900, 1, 2000}};
  for (const auto& c : cases) {
    ArchiveFixture b;
    b.ts.Write(kArchive, std::string(c.length, 'x'));
    b.main.Save_Receipt();
    ASSERT_EQ(b.ts.Read(kArchive).size(), c.after) << c.length;
    EXPECT_EQ(b.Record(c.record).substr(0, 7), "Kitchen") << c.length;
    const std::string bytes = b.ts.Read(kArchive);
    const size_t before = size_t(c.record - 1) * 2000, kept = std::min(c.length, before);
    EXPECT_EQ(bytes.substr(0, kept), std::string(kept, 'x')) << c.length;
    EXPECT_EQ(bytes.substr(kept, before - kept), std::string(before - kept, ' ')) << c.length;
  }
}

}  // namespace
}  // namespace korv::testing
