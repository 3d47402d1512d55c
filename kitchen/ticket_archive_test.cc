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

TEST(KitchenArchive, APartRecordIsKeptAndTheNextStartsOnItsOwnSlot) {
  ArchiveFixture b;
  b.ts.Write(kArchive, std::string(6500, 'x'));  // a write that never finished
  b.main.Save_Receipt();
  std::string bytes = b.ts.Read(kArchive);
  ASSERT_EQ(bytes.size(), 10000u);
  EXPECT_EQ(b.Record(4), std::string(500, 'x') + std::string(1500, ' '));
  EXPECT_EQ(b.Record(5).substr(0, 7), "Kitchen");
}

}  // namespace
}  // namespace korv::testing
