#include <sys/inotify.h>
#include <unistd.h>

#include "kitchen/kitchen_test_support.h"
#include "kitchen/ticket_layout.h"

namespace korv::testing {
namespace {

constexpr char kCounter[] = "F:\\KORVAIN\\KOrdNumb.dat";

struct MainTicketFixture : KitchenFixture {
  explicit MainTicketFixture(const testing::ConfigFields& config)
      : KitchenFixture(config, {"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "OFFICE LASER"}) {
    main.SSPanel1.SetCaption("Phone IN 12 ");
    main.MList1.AddItem("2|Burger|$9.00|Burger|0 - Main|Y|N");
    main.MList1.AddItem("1|Cola|$1.50|Cola|1 - |Y|N");
    Buffer({"Phone In", "  Pat Smith", "12:00:00 PM  12/8/2026", "2    Burger"});
    ts.station.Customer.Set(2, "555-1234");
    ts.station.Customer.Set(3, "Pat Smith");
  }
  void CounterAt(int count) {
    std::string line(1, '"');
    ts.Write(kCounter, line.append(std::to_string(count)).append("\",\"12/8/2026\",\"0\"\r\n"));
  }
};

TEST(MainTicket, WritesTheMonitorFileAndPrintsOnTheLastMatch) {
  MainTicketFixture b({{ConfigField::KitchenMonitor, "-1"},
                       {ConfigField::MainKitchenPrinter, "KITCHEN"},
                       {ConfigField::StationPrinter, "OFFICE"},
                       {ConfigField::TicketSizeStep, "5"},
                       {ConfigField::FeedLines, "2"}});
  b.CounterAt(4);
  b.main.PrintKitchenTicket();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-5");
  EXPECT_EQ(b.ts.Read("F:\\KORVAIN\\KitMonitor\\00K-5.dat"),
            "\"Phone IN 12\"\r\n\"K-5  -  12:00 PM - STATION7\"\r\n"
            "\"2|Burger|$9.00|Burger|0 - Main|Y|N\"\r\n\"1|Cola|$1.50|Cola|1 - |Y|N\"\r\n");
  ASSERT_EQ(b.ts.printed.size(), 1u);
  const Document& doc = b.ts.printed[0];
  EXPECT_EQ(doc.printer, "KITCHEN2 TM-U220");
  const std::string rule = std::string(kTicketRule) + "\n";
  EXPECT_EQ(KitchenFixture::Text(doc), "KITCHEN\nORDER\nK-5\nPhone In\n" + rule +
                                           "  Pat Smith\n12:00:00 PM  12/8/2026\n2    Burger\n\n" +
                                           rule +
                                           "\n\n  Pat Smith\nTAKE OUT\nStation -STATION7\n"
                                           "DELAYED order for Pat Smith 555-1234            \n"
                                           "..... END Order K-5\n\n\n");
  const PrintedLine& delayed = doc.lines[15];
  EXPECT_TRUE(delayed.italic);
  EXPECT_EQ(delayed.size, 8);
  EXPECT_EQ(KitchenFixture::LineOf(doc, "..... END Order K-5").size, 10);
  EXPECT_EQ(b.ts.printer.CurrentName(), "OFFICE LASER");  // Set_Printer without a cut

  for (auto [count, name] : {std::pair{16, "0K-17.dat"}, {1233, "-1234.dat"}}) {
    b.CounterAt(count);
    b.main.PrintKitchenTicket();
    EXPECT_TRUE(b.ts.Exists(std::string("F:\\KORVAIN\\KitMonitor\\") + name)) << name;
  }
}

TEST(MainTicket, NoneStillUsesUpANumberAndOtherNamesPrint) {
  MainTicketFixture b({{ConfigField::KitchenMonitor, "-1"},
                       {ConfigField::MainKitchenPrinter, "None"},
                       {ConfigField::CutAfterMainTicket, "-1"}});
  b.main.PrintKitchenTicket();
  EXPECT_EQ(b.ts.station.KitchenOrderNo, "K-1");
  EXPECT_TRUE(b.ts.Exists("F:\\KORVAIN\\KitMonitor\\00K-1.dat"));
  EXPECT_TRUE(b.ts.printed.empty());
  EXPECT_FALSE(b.ts.printer.DocumentOpen());

  // "NONE" is only a device prefix: none matches, so the current printer
  // prints, and a blank customer still gets the delayed-order line.
  b.ts.station.Config.Set(ConfigField::MainKitchenPrinter, "NONE");
  b.ts.station.Config.Set(ConfigField::KitchenMonitor, "0");
  b.ts.station.Customer = CustomerRecord();
  b.ts.printer.Select(1);
  b.main.PrintKitchenTicket();
  EXPECT_FALSE(b.ts.Exists("F:\\KORVAIN\\KitMonitor\\00K-2.dat"));
  ASSERT_EQ(b.ts.printed.size(), 2u);  // the ticket, then the cut
  EXPECT_EQ(b.ts.printed[0].printer, "KITCHEN2 TM-U220");
  KitchenFixture::LineOf(b.ts.printed[0], "DELAYED order for  " + std::string(20, ' '));
  EXPECT_EQ(KitchenFixture::Text(b.ts.printed[1]), "P\n");
  EXPECT_EQ(b.ts.printed[1].printer, "KITCHEN2 TM-U220");
  EXPECT_EQ(b.ts.printer.CurrentName(), "OFFICE LASER");  // blank field 8: the last printer

  b.ts.station.Config.Set(ConfigField::MainKitchenPrinter,
                          "");  // a blank name prints on the last printer
  b.main.PrintKitchenTicket();
  EXPECT_EQ(b.ts.printed[2].printer, "OFFICE LASER");
}

// A kitchen display station may read the monitor file the moment its name
// appears: the name must appear with the whole order in it, and the file
// never change after that.
TEST(MainTicket, TheMonitorFileAppearsWhole) {
  MainTicketFixture b(
      {{ConfigField::KitchenMonitor, "-1"}, {ConfigField::MainKitchenPrinter, "None"}});
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch < 0) GTEST_SKIP() << "no inotify here";
  ASSERT_GE(inotify_add_watch(watch, b.ts.files.HostPath("F:\\KORVAIN\\KitMonitor").c_str(),
                              IN_CREATE | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE),
            0);
  b.main.PrintKitchenTicket();
  std::vector<uint32_t> seen;  // what happened to 00K-1.dat, in order
  alignas(inotify_event) char buffer[16384];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len > 0 && std::string(event->name) == "00K-1.dat") seen.push_back(event->mask);
      p += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  ASSERT_EQ(seen.size(), 1u) << "appeared, then written";
  EXPECT_TRUE(seen[0] & (IN_CREATE | IN_MOVED_TO));
  EXPECT_EQ(b.ts.Read("F:\\KORVAIN\\KitMonitor\\00K-1.dat").substr(0, 15), "\"Phone IN 12\"\r\n");
}

// A monitor file that cannot be written is said, and the ticket prints.
TEST(MainTicket, AMonitorFileThatCannotBeWrittenCostsNoTicket) {
  MainTicketFixture b(
      {{ConfigField::KitchenMonitor, "-1"}, {ConfigField::MainKitchenPrinter, "KITCHEN1"}});
  std::vector<std::string> said;
  b.main.ReportProblem = [&](const std::string& message) { said.push_back(message); };
  std::filesystem::create_directories(b.ts.files.HostPath("F:\\KORVAIN\\KitMonitor\\00K-1.dat"));
  b.main.PrintKitchenTicket();
  ASSERT_EQ(b.ts.printed.size(), 1u);
  EXPECT_EQ(b.ts.printed[0].lines.at(2).Text(), "K-1");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].rfind("The kitchen monitor file F:\\KORVAIN\\KitMonitor\\00K-1.dat cannot be "
                          "written: ",
                          0),
            0u)
      << said[0];
  EXPECT_NE(said[0].find("; the kitchen display misses order K-1"), std::string::npos);
}

// The cut goes out right behind its ticket, also when the ticket's printer
// is the station's own (field 8), which stays current afterwards: it never
// waits in an open document for the next ticket or the end of the program.
TEST(PaperCut, TheCutLeavesWithItsTicketOnTheStationPrinter) {
  MainTicketFixture b({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                       {ConfigField::StationPrinter, "KITCHEN1"},
                       {ConfigField::CutAfterMainTicket, "-1"}});
  b.main.PrintKitchenTicket();
  EXPECT_FALSE(b.ts.printer.DocumentOpen());
  ASSERT_EQ(b.ts.printed.size(), 2u);
  EXPECT_EQ(b.ts.printed[1].printer, "KITCHEN1 TM-U220");
  EXPECT_EQ(KitchenFixture::Text(b.ts.printed[1]), "P\n");
  EXPECT_EQ(b.ts.printer.CurrentName(), "KITCHEN1 TM-U220");
}

}  // namespace
}  // namespace korv::testing
