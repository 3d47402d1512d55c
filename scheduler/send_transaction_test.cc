#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <thread>
#include <utility>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "platform/print/destinations.h"
#include "platform/print/dir_destination.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/orderfiles/line_file.h"
#include "scheduler/send_journal.h"
#include "scheduler/station_sends.h"
#include "testing/latency_mount.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::TestStation;

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kOrders = kRoot + "PhoneOrders\\";

// A station whose clock reads Friday 12/25/2026 at 6:30:20 PM, with its
// kitchen, bar and station printers named in the configuration.
struct DispatchFixture {
  explicit DispatchFixture(std::vector<std::string> printers = {"KITCHEN1 TM-U220",
                                                                "KITCHEN2 TM-U220", "BAR TM-T88",
                                                                "OFFICE"},
                           testing::ConfigFields config = {})
      : t(std::move(printers)) {
    config.insert({{ConfigField::MainKitchenPrinter, "KITCHEN1"},
                   {ConfigField::KitchenCopyPrinter, "KITCHEN2"},
                   {ConfigField::BarPrinter, "BAR"},
                   {ConfigField::StationPrinter, "OFFICE"},
                   {ConfigField::TaxRate, ".08"},
                   {ConfigField::TicketSizeStep, "5"}});
    t.WriteConfig(config);
    t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600 + 30 * 60 + 20});
    Customer(7, "207-555-0107", "Margaret Hale");
    w.pass.ReadStationConfig();
  }
  void Customer(int n, const std::string& phone, const std::string& name) {
    CustomerRecord c;
    c.Set(1, std::to_string(n));
    c.Set(2, phone);
    c.Set(3, name);
    WriteCustomer(t.files, kRoot, n, c);
  }
  void Order(const std::string& id, const std::string& date, const std::string& time,
             const std::string& customer = " 7", const std::string& name = "Margaret Hale") {
    WriteDelayedOrder(t.files, kRoot, OrderHeader{"207-555-0107", customer, name, id, date, time},
                      {" 2|Cheeseburger        |$23.00|CHEESEBURGER| 4 - Main Course|T|N",
                       " 1|Draft IPA           |$6.00|IPA| 1 - |T|N"});
  }
  std::string Log() { return t.Read(kOrders + "1226DElayedSend.LOG"); }
  // The kitchen counter at 7 for the day, held by another station until it
  // lets go (other.CloseAll()); returns its path.
  std::string HoldKitchenCounter(FileSystem& other) {
    const std::string counter = kRoot + "KOrdNumb.dat";
    t.Write(counter, "\"7\",\"12/25/2026\",\"0\"\r\n");
    other.Lock(other.Open(counter, OpenMode::kReadWrite));
    return counter;
  }
  std::vector<std::string> SentIds() {
    std::vector<std::string> ids;
    std::string log = Log();
    std::regex sent("Delayed Order Sent (DS[0-9]+) was sent as PhoneOrder ([0-9]+)");
    for (std::sregex_iterator it(log.begin(), log.end(), sent), end; it != end; ++it)
      ids.push_back((*it)[1].str() + "=" + (*it)[2].str());
    return ids;
  }

  TestStation t;
  StationSends w{t.station, t.platform};
};

// The temporaries left in PhoneOrders\ (a send leaves none).
std::vector<std::string> Temporaries(TestStation& t) {
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(t.files.HostPath(kOrders)))
    if (e.path().filename().string().rfind(".korv", 0) == 0) left.push_back(e.path().filename());
  return left;
}

// The error text of a station, and what it said on standard error.
std::string Said(const StationSends& w) { return w.said; }
int TimesSaid(const testing::TestStation& t, const std::string& line) {
  return static_cast<int>(std::count(t.status.lines.begin(), t.status.lines.end(), line));
}

TEST(Dispatch, DueOrdersGoOutInListOrderInOnePass) {
  DispatchFixture b;
  b.Order("DS2", "12/25/2026", "6:30 PM");    // due this very minute
  b.Order("DS10", "12/24/2026", "11:59 PM");  // a past day: due whatever its time
  b.Order("DS9", "12/25/2026", "6:31 PM");    // one minute later: waits
  b.Order("DS11", "12/26/2026", "9:00 AM");   // tomorrow: waits
  b.w.Pass();

  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS10=1", "DS2=2"}));
  EXPECT_EQ(b.t.Read(kRoot + "data\\PioNumber.dat"), "\"2\"\r\n");
  for (const char* f : {"1.PH", "1.pio", "2.PH", "2.pio", "Deleted\\DS10.PH", "Deleted\\DS10.Pio",
                        "Deleted\\DS2.PH", "DS9.PH", "DS9.Pio", "DS11.PH"})
    EXPECT_TRUE(b.t.Exists(kOrders + f)) << f;
  for (const char* f : {"DS10.PH", "DS10.Pio", "DS2.PH", "DS2.Pio"})
    EXPECT_FALSE(b.t.Exists(kOrders + f)) << f;
  ASSERT_EQ(b.w.pass.PendingOrders().size(), 2u);
  EXPECT_EQ(b.w.pass.PendingOrders()[0].id, "DS11");
  EXPECT_EQ(b.w.pass.PendingCount(), 2);
  EXPECT_FALSE(b.w.engine.Loaded());

  // The next minute sends DS9.
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds().back(), "DS9=3");
}

TEST(Dispatch, ASentOrderBecomesAPhoneOrderWithItsTicketsAndArchive) {
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  // Phone order 1 of the previous round of numbers, named by an older
  // station: it is rewritten in place, never doubled.
  b.t.Write(kOrders + "1.PIO", std::string(300, 'x'));
  b.w.Pass();

  EXPECT_EQ(b.t.Read(kOrders + "1.PH"), "\"207-555-0107\",\" 7\",\"" +
                                            PadRight("Margaret Hale", 30) +
                                            "\",\"1\",\"12/25/2026\",\"6:00 PM\"\r\n");
  EXPECT_EQ(b.t.Read(kOrders + "1.pio"),
            "\" 2|Cheeseburger        |$23.00|CHEESEBURGER| 4 - Main Course|T|Y\"\r\n"
            "\" 1|Draft IPA           |$6.00|IPA| 1 - |T|Y\"\r\n");
  EXPECT_EQ(b.t.Read(kRoot + "Delivery\\LastOrder\\207-555-0107.Dat"), b.t.Read(kOrders + "1.pio"));
  EXPECT_TRUE(std::filesystem::exists(b.t.files.HostPath(kOrders) / "1.PIO"));
  EXPECT_FALSE(std::filesystem::exists(b.t.files.HostPath(kOrders) / "1.pio"));
  EXPECT_EQ(Temporaries(b.t), std::vector<std::string>{});
  EXPECT_EQ(b.t.Read(kOrders + "Deleted\\DS5.PH"),
            "\"207-555-0107\",\" 7\",\"Margaret Hale\",\"1\",\"12/25/2026\",\"6:00 PM\","
            "\"Delayed Order DS5 - Sent as 1  Sent to kitchen at 06:30 PM\"\r\n");
  EXPECT_EQ(b.Log(),
            "\"*******************  SENT  ********************\"\r\n"
            "\"Delayed Order Sent DS5 was sent as PhoneOrder 1\"\r\n"
            "\" - Order is for customer MARGARET HALE\"\r\n"
            "\" - Order was scheduled to be sent at 6:00 PM on 12/25/2026\"\r\n"
            "\" - including this Order ther were a total of 1 Delayed orders pending when this "
            "order was sent\"\r\n"
            "\"*******************************************\"\r\n");
  // The kitchen ticket on KITCHEN1 (K-1), the copy on KITCHEN2, the drink on
  // the bar printer (bar number 1).
  std::vector<std::string> printers;
  for (const Document& d : b.t.printed) printers.push_back(d.printer);
  EXPECT_EQ(printers,
            (std::vector<std::string>{"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "BAR TM-T88"}));
  EXPECT_EQ(b.t.station.KitchenOrderNo, "K-1");
  EXPECT_EQ(b.t.station.SendStatus, "SENT");
  EXPECT_EQ(b.t.status.lines,
            std::vector<std::string>{"korv-delayed-send: sent DS5 as phone order 1 "
                                     "for Margaret Hale (due 12/25/2026 6:00 PM)"});
}

// A send draws a kitchen number only for an order with a line for the
// kitchen, and a bar number only for one with a drink: the numbers of one
// day follow each other on the tickets printed.
TEST(Dispatch, AnOrderDrawsOnlyTheNumbersOfItsOwnTickets) {
  DispatchFixture b;
  const std::string drink = " 1|Draft IPA           |$6.00|IPA| 1 - |T|N";
  const std::string burger = " 2|Cheeseburger        |$23.00|CHEESEBURGER| 4 - Main Course|T|N";
  for (const auto& [id, line] : {std::pair{"DS5", drink}, {"DS6", burger}, {"DS7", drink}})
    WriteDelayedOrder(
        b.t.files, kRoot,
        OrderHeader{"207-555-0107", " 7", "Margaret Hale", id, "12/25/2026", "6:00 PM"}, {line});
  b.w.Pass();
  ASSERT_EQ(b.SentIds(), (std::vector<std::string>{"DS5=1", "DS6=2", "DS7=3"}));
  EXPECT_EQ(b.t.Read(kRoot + "KOrdNumb.dat"), "\"1\",\"12/25/2026\",\"0\"\r\n");
  EXPECT_EQ(b.t.Read(kRoot + "BAROrdNumb.dat"), "\"2\",\"12/25/2026\",\"0\"\r\n");
}

TEST(Dispatch, NothingHappensWhileTheOperatorLooks) {
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  b.t.station.ScreenMode = kScreenViewOpen;
  b.w.Pass();
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.PH"));
  EXPECT_EQ(b.w.pass.PendingCount(), 0) << "not even listed";
  b.t.station.ScreenMode = kScreenOrderViewClosed;
  b.w.Pass();
  EXPECT_FALSE(b.t.Exists(kOrders + "DS5.PH"));
}

// Every customer number that names no record of the customer file is an
// unknown customer, as 0 is; none of them ever takes customer 1.
// Only customer number 0 is an unknown customer; a number that names no
// record keeps the header's own name and phone. Either way the phone order
// names a record every station can read, and no other customer's data
// reaches the order.
TEST(Dispatch, ACustomerNumberNamingNoRecordKeepsTheHeadersCustomer) {
  struct Case {
    const char* number;
    const char* name;    // in the phone order and on the ticket
    const char* record;  // the phone order's customer number
  };
  for (const Case& c : {Case{" 0", "Unknown", " 1"}, Case{"", "Unknown", " 1"},
                        Case{"-3", "Walk-in", " 1"}, Case{"99999999999", "Walk-in", " 1"},
                        Case{" 8", "Walk-in", " 8"}, Case{"7.5", "Walk-in", " 1"}}) {
    SCOPED_TRACE(c.number);
    DispatchFixture b;
    b.Customer(1, "207-555-0001", "First Customer");
    b.Order("DS3", "12/25/2026", "6:00 PM", c.number, "Walk-in");
    b.w.Pass();
    const std::string message =
        "Customer not found - Record Number was ZERO - Marked name to unknown - file name was " +
        kOrders + "DS3.PH";
    const bool unknown = std::string(c.name) == "Unknown";
    EXPECT_EQ(b.w.said, unknown ? "\r" + message : "");
    EXPECT_EQ(b.Log().find("\"" + message + "\"\r\n") != std::string::npos, unknown);
    EXPECT_EQ(b.t.Read(kOrders + "1.PH"), "\"207-555-0107\",\"" + std::string(c.record) + "\",\"" +
                                              PadRight(c.name, 30) +
                                              "\",\"1\",\"12/25/2026\",\"6:00 PM\"\r\n");
    EXPECT_TRUE(b.t.Exists(kRoot + "Delivery\\LastOrder\\207-555-0107.Dat"));
    EXPECT_FALSE(b.t.Exists(kRoot + "Delivery\\LastOrder\\207-555-0001.Dat"));
    bool named = false;
    for (const Document& d : b.t.printed)
      for (const PrintedLine& line : d.lines) {
        EXPECT_EQ(line.Text().find("First Customer"), std::string::npos);
        named = named || line.Text().find(std::string("DELAYED order for ") + c.name) == 0;
      }
    EXPECT_TRUE(named);
  }
}

TEST(Dispatch, AnUnreadableSendTimeIsNeverGuessedAndSaidOnce) {
  DispatchFixture b;
  b.Order("DS4", "12/25/2026", "half past six");
  b.Order("DS6", "13/45/2026", "6:00 PM");
  b.Order("DS7", "12/25/2026", "6:00 PM");
  // A "|" in the name is the list's column separator; the send moment is
  // still the header's own.
  b.Order("DS8", "12/25/2026", "6:00 PM", " 7", "Hale | Sons");
  b.w.Pass();
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS7=1", "DS8=2"}));
  EXPECT_TRUE(b.t.Exists(kOrders + "DS4.PH"));
  EXPECT_TRUE(b.t.Exists(kOrders + "DS6.PH"));
  const std::string said =
      "korv-delayed-send: Order DS4 stays pending: the send time half past six cannot be read in " +
      kOrders + "DS4.PH";
  EXPECT_EQ(TimesSaid(b.t, said), 1);
  EXPECT_EQ(b.Log().find("stays pending"), std::string::npos) << "the shared log stays quiet";
  EXPECT_NE(b.w.said.find("the send date 13/45/2026 cannot be read"), std::string::npos);
}

// With no printer at all (an empty or unreadable printers.conf and no CUPS
// queue) an order whose tickets need one stays pending, untouched, and the
// error names the tickets it waits for; an order that prints nothing goes.
TEST(Dispatch, AnOrderWaitsWhileNoPrinterCanTakeItsTickets) {
  DispatchFixture b(std::vector<std::string>{});
  b.Order("DS5", "12/25/2026", "6:00 PM");
  WriteDelayedOrder(
      b.t.files, kRoot,
      OrderHeader{"207-555-0107", " 7", "Margaret Hale", "DS6", "12/25/2026", "6:00 PM"},
      {" 1|Call on arrival     |$0.00|Call| 3 - |T|N"});
  b.w.Pass();
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();

  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS6=1"});
  for (const char* f : {"DS5.PH", "DS5.Pio"}) EXPECT_TRUE(b.t.Exists(kOrders + f)) << f;
  for (const char* f : {"Deleted\\DS5.PH", "Deleted\\DS5.Pio", "2.PH"})
    EXPECT_FALSE(b.t.Exists(kOrders + f)) << f;
  EXPECT_EQ(b.t.Read(kRoot + "data\\PioNumber.dat"), "\"1\"\r\n");
  const std::string said =
      "Order DS5 stays pending: no printer that can print is installed for its main kitchen "
      "ticket (printer \"KITCHEN1\"), its KITCHEN 2 copy (printer \"KITCHEN2\"), its bar ticket "
      "(printer \"BAR\"); add one to C:\\Korvain\\printers.conf (or a CUPS queue), or mend its "
      "line, and start the station again";
  EXPECT_EQ(b.w.said, "\r" + said);
  EXPECT_TRUE(b.t.boxes.shown.empty());
}

// A delayed header that cannot be read holds up no other order: the others
// go out in the same pass, it is named, and it is read again on the next
// pass, which sends it once it is whole.
TEST(Dispatch, ADamagedHeaderHoldsUpNoOtherOrderAndIsReadAgain) {
  struct Case {
    const char* name;
    std::function<void(DispatchFixture&, const std::string& whole)> damage;
    const char* said;
  };
  FileSystem other_station{PathMap("/")};
  const Case cases[] = {
      {"empty", [](DispatchFixture& b, const std::string&) { b.t.Write(kOrders + "DS1.PH", ""); },
       "Input past end of file"},
      {"cut short",
       [](DispatchFixture& b, const std::string& whole) {
         b.t.Write(kOrders + "DS1.PH", whole.substr(0, 30));
       },
       "Input past end of file"},
      {"locked by another station",
       [&](DispatchFixture& b, const std::string&) {
         int f =
             other_station.Open(b.t.files.HostPath(kOrders + "DS1.PH").string(), OpenMode::kInput);
         other_station.Lock(f);
       },
       "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DispatchFixture b;
    b.Order("DS1", "12/25/2026", "6:00 PM");
    b.Order("DS2", "12/25/2026", "6:00 PM");
    const std::string whole = b.t.Read(kOrders + "DS1.PH");
    c.damage(b, whole);
    b.w.Pass();
    EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS2=1"});
    EXPECT_NE(b.w.said.find("header " + kOrders + "DS1.PH cannot be read (" + c.said + ")"),
              std::string::npos)
        << b.w.said;

    other_station.CloseAll();
    b.t.Write(kOrders + "DS1.PH", whole);
    b.t.clock.AdvanceMs(60000);
    b.w.Pass();
    EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS2=1", "DS1=2"}));
  }
}

// The header's own file is the order: one whose order id names another
// order's files is never sent, and those files are never touched.
TEST(Dispatch, AHeaderNamingAnotherOrderIsRefusedAndTouchesNothing) {
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  b.Order("DS6", "12/25/2026", "6:00 PM");
  b.t.Write(kOrders + "DS5.PH", R"("207-555-0107"," 7","Margaret Hale","17","12/25/2026","6:00 PM")"
                                "\r\n");
  b.t.Write(kOrders + "17.PH", "live phone order of another station\r\n");
  b.t.Write(kOrders + "17.Pio", "its lines\r\n");
  b.w.Pass();
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();

  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS6=1"});
  EXPECT_EQ(b.t.Read(kOrders + "17.PH"), "live phone order of another station\r\n");
  EXPECT_EQ(b.t.Read(kOrders + "17.Pio"), "its lines\r\n");
  for (const char* f : {"Deleted\\17.PH", "Deleted\\17.Pio", "Deleted\\DS5.PH"})
    EXPECT_FALSE(b.t.Exists(kOrders + f)) << f;
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.PH"));
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.Pio"));
  const std::string said = "korv-delayed-send: The delayed order header " + kOrders +
                           "DS5.PH names another order, \"17\", in its order id: it is not "
                           "sent, and that order's files are not touched; it is passed by and "
                           "read again on the next pass";
  EXPECT_EQ(std::count(b.t.status.lines.begin(), b.t.status.lines.end(), said), 1);
}

// Gives a child station the rights of an ordinary user, to whom permissions
// apply (root ignores them). False when it cannot.
bool RunAsNobody() {
  if (geteuid() != 0) return true;
  return setgroups(0, nullptr) == 0 && setresgid(65534, 65534, 65534) == 0 &&
         setresuid(65534, 65534, 65534) == 0;
}

// Opens the station tree to the ordinary user, and leaves the delayed headers
// readable only, as a share may show another station's files.
void MakeHeadersReadOnly(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  fs::permissions(root, fs::perms::all);
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string name = e.path().filename().string();
    if (e.is_directory())
      fs::permissions(e.path(), fs::perms::all);
    else if (name.rfind("DS", 0) == 0 && e.path().extension() == ".PH")
      fs::permissions(e.path(),
                      fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    else
      fs::permissions(e.path(), fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::group_write |
                                    fs::perms::others_read | fs::perms::others_write);
  }
}

// A kitchen counter another station holds, and a kitchen monitor folder that
// is missing, are each said once, in the error text and on standard error;
// every ticket prints with the number drawn for its own order, and the day's
// count goes on (no box, no K-501 repair).
TEST(Dispatch, ACounterOrMonitorFaultIsSaidOnceAndCostsNoTicket) {
  DispatchFixture b({"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "BAR TM-T88", "OFFICE"},
                    {{ConfigField::KitchenMonitor, "-1"}});
  std::filesystem::remove_all(b.t.files.HostPath(kRoot + "KitMonitor"));
  b.Order("DS1", "12/25/2026", "6:00 PM");
  b.Order("DS2", "12/25/2026", "6:00 PM");
  FileSystem other{PathMap(b.t.dir.path())};
  const std::string counter = b.HoldKitchenCounter(other);
  b.w.on_said = [&] {
    if (Said(b.w).find("KOrdNumb.dat") != std::string::npos) other.CloseAll();
  };
  b.w.Pass();

  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS1=1", "DS2=2"}));
  std::vector<std::string> numbers;
  for (const Document& d : b.t.printed)
    if (d.printer == "KITCHEN1 TM-U220") numbers.push_back(d.lines.at(2).Text());
  EXPECT_EQ(numbers, (std::vector<std::string>{"K-8", "K-9"}));
  EXPECT_TRUE(b.t.boxes.shown.empty());
  EXPECT_EQ(b.t.Read(counter), "\"9\",\"12/25/2026\",\"0\"\r\n");
  EXPECT_EQ(TimesSaid(b.t,
                      "korv-delayed-send: The kitchen order number of phone order 1 cannot "
                      "be drawn from " +
                          counter +
                          ": permission denied (error 70): another program holds its lock, "
                          "or this user may not open it; the send waits until it can"),
            1);
  EXPECT_EQ(TimesSaid(b.t, "korv-delayed-send: The kitchen monitor folder " + kRoot +
                               "KitMonitor\\ does not exist: the kitchen display gets no orders "
                               "until it is made"),
            1);
}

// A sent order whose header another station protects (here: a folder this
// station may not delete in) is sent once: it is passed by while its header
// is there, also after a restart, and the header is deleted once it can be.
// A DS5 written after that is a new order. Runs as an ordinary user, to whom
// permissions apply.
void SendWithAProtectedHeader(DispatchFixture& b, const std::filesystem::path& orders) {
  namespace fs = std::filesystem;
  const std::string said =
      "Order DS5 was sent as phone order 1, but its header " + kOrders +
      "DS5.PH could not be deleted (Permission denied); it is not sent again, and the station "
      "deletes it as soon as it can";
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  const size_t tickets = b.t.printed.size();
  EXPECT_EQ(tickets, 3u);
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.PH"));
  EXPECT_NE(Said(b.w).find(said), std::string::npos) << Said(b.w);
  const std::string archived = b.t.Read(kOrders + "Deleted\\DS5.PH");

  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  EXPECT_EQ(b.t.printed.size(), tickets);
  EXPECT_EQ(b.t.Read(kOrders + "Deleted\\DS5.PH"), archived) << "the real send's note stays";
  EXPECT_EQ(TimesSaid(b.t, "korv-delayed-send: " + said), 1);

  // A restart remembers it, and says it again once.
  StationSends again(b.t.station, b.t.platform);
  again.Start();
  b.t.clock.AdvanceMs(60000);
  again.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  EXPECT_NE(Said(again).find(said), std::string::npos);

  // Once the header can be deleted, it is, and the memory of it ends.
  fs::permissions(orders, fs::perms::owner_all);
  b.t.clock.AdvanceMs(60000);
  again.Pass();
  EXPECT_FALSE(b.t.Exists(kOrders + "DS5.PH"));
  EXPECT_FALSE(b.t.Exists(kOrders + "DS5.Pio"));
  EXPECT_FALSE(b.t.Exists(SendJournalPath("C:\\KORVAIN\\", "DS5")));
  EXPECT_EQ(TimesSaid(b.t, "korv-delayed-send: the delayed header " + kOrders +
                               "DS5.PH of order DS5, sent before, is gone now"),
            1);
  b.Order("DS5", "12/25/2026", "6:30 PM");  // a new order
  b.t.clock.AdvanceMs(60000);
  again.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS5=1", "DS5=2"}));
  EXPECT_EQ(b.t.printed.size(), 2 * tickets);
}

TEST(SentHeaderLeft, AProtectedHeaderIsSentOnceAndDeletedWhenItCanBe) {
  namespace fs = std::filesystem;
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  // What the send writes in PhoneOrders\ is there already (an old phone
  // order 1, the month's log, the claim file): rewritten, never made anew.
  for (const char* f : {"1.PH", "1.Pio", "1226DElayedSend.LOG", "DelayedSendClaims.lck"})
    b.t.Write(kOrders + f, "");
  MakeHeadersReadOnly(b.t.dir.path());
  const fs::path orders = b.t.files.HostPath(kOrders);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(orders.c_str(), 65534, 65534), 0);
  }
  fs::permissions(orders, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  pid_t pid = fork();
  if (pid == 0) {
    if (!RunAsNobody()) _exit(3);
    SendWithAProtectedHeader(b, orders);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  fs::permissions(orders, fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot run a station as user 65534 here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the station's checks failed (see above)";
}

// An order-entry station saves a change to the order in the moment its send
// runs. The order went out as the send read it; sending the changed header
// again would print the whole order twice. It is left as it is for the
// operator, said, and not sent; once it is gone, DS5 names a new order.
TEST(SentHeaderLeft, AHeaderChangedWhileItIsSentIsNotSentAgain) {
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  // Another station holds the phone-in counter while the change is saved:
  // the send is then between its start and the deletion of the header.
  FileSystem other{PathMap(b.t.dir.path())};
  other.Lock(other.Open(kRoot + "data\\PioNumber.dat", OpenMode::kReadWrite));
  const std::filesystem::path journal = b.t.files.HostPath(SendJournalPath("C:\\KORVAIN\\", "DS5"));
  const std::filesystem::path header = b.t.files.HostPath(kOrders + "DS5.PH");
  std::thread order_entry([&] {
    for (int i = 0; i < 5000 && !std::filesystem::exists(journal); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    testing::WriteHostFile(header,
                           "\"207-555-0107\",\" 7\",\"Margaret Hale, 2 more\",\"DS5\","
                           "\"12/25/2026\",\"6:00 PM\"\r\n");
    other.CloseAll();
  });
  b.w.Pass();
  order_entry.join();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.PH"));
  const std::string said =
      "Order DS5 was sent as phone order 1 as it read when its send began, "
      "but another station has changed " +
      kOrders +
      "DS5.PH since; the changed order is not sent, for that would print it "
      "twice: send what changed as a new order, then delete it";
  EXPECT_NE(Said(b.w).find(said), std::string::npos) << Said(b.w);

  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  EXPECT_TRUE(b.t.Exists(kOrders + "DS5.PH")) << "the change is the operator's to see";
  EXPECT_EQ(TimesSaid(b.t, "korv-delayed-send: " + said), 1);

  b.t.files.Kill(kOrders + "DS5.PH");  // the operator has dealt with it
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  b.Order("DS5", "12/25/2026", "6:30 PM");  // a new order
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS5=1", "DS5=2"}));
}

// Of two stations that may only read a header, one holds its claim; the
// other gets it only once the first lets it go, also while the first keeps
// its claim file open for the rest of its pass.
TEST(Dispatch, AClaimIsExclusiveWhateverTheHeadersPermissions) {
  DispatchFixture b;
  b.Order("DS5", "12/25/2026", "6:00 PM");
  MakeHeadersReadOnly(b.t.dir.path());
  pid_t pid = fork();
  if (pid == 0) {
    if (!RunAsNobody()) _exit(3);
    for (bool in_pass : {false, true}) {
      std::optional<FilePass> pass;
      if (in_pass) pass.emplace(b.t.files);
      OrderClaim first(b.t.files), second(b.t.files);
      if (!first.Take(kRoot, "DS5")) _exit(4);
      if (second.Take(kRoot, "ds5")) _exit(5);
      first.Release();
      if (!second.Take(kRoot, "DS5")) _exit(6);
      second.Close();
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot run a station as user 65534 here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// While an order is sent, the next one due is claimed and read ahead. It is
// sent only when it is still the next one due once the first has gone, and
// let go otherwise: when the operator opens a view meanwhile, another
// station can claim it at once; when an order before it falls due
// meanwhile, that one goes first. Each is sent once, as it reads.
TEST(Dispatch, AnOrderClaimedAheadGoesOnlyAsTheNextOrderDue) {
  struct Meanwhile : PassObserver {
    std::function<void()> then;  // once, as the first send takes its customer
    void Progress(const std::string&) override {
      if (then) std::exchange(then, nullptr)();
    }
  };
  {
    DispatchFixture b;
    b.Order("DS1", "12/25/2026", "6:00 PM");
    b.Order("DS2", "12/25/2026", "6:00 PM");
    Meanwhile meanwhile;
    meanwhile.then = [&] { b.t.station.ScreenMode = kScreenViewOpen; };
    b.w.pass.AddObserver(&meanwhile);
    b.w.Pass();
    EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
    OrderClaim other(b.t.files);
    EXPECT_TRUE(other.Take(kRoot, "DS2")) << "still claimed after the pass";
    other.Close();
    b.t.station.ScreenMode = kScreenOrderViewClosed;
    b.w.Pass();
    EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS1=1", "DS2=2"}));
  }
  DispatchFixture b;  // 6:30:20 PM
  b.Order("DS1", "12/25/2026", "6:00 PM");
  b.Order("DS2", "12/25/2026", "6:31 PM");
  b.Order("DS3", "12/25/2026", "6:00 PM", " 9", "Walk In");
  Meanwhile meanwhile;
  meanwhile.then = [&] { b.t.clock.AdvanceMs(60000); };
  b.w.pass.AddObserver(&meanwhile);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS1=1", "DS2=2", "DS3=3"}));
  EXPECT_NE(b.t.Read(kOrders + "3.PH").find("Walk In"), std::string::npos);
  EXPECT_EQ(b.t.Read(kOrders + "2.PH").find("Walk In"), std::string::npos);
}

// Another station moves a pending order earlier by rewriting its header in
// place, with the same length, while new orders keep arriving: the count of
// headers changes at every pass, and the order still goes out at the first
// pass after its new time.
TEST(Dispatch, AHeaderRewrittenInPlaceGoesOutAtTheFirstPassAfterItsNewTime) {
  DispatchFixture b;  // 6:30:20 PM
  b.Order("DS1", "12/25/2026", "9:00 PM");
  b.w.Pass();
  // A stamp taken within moments of a change is never trusted; once this one
  // has settled, only the rewrite below can have DS1 read again.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  FileSystem other{PathMap(b.t.dir.path())};
  for (int minute = 1; minute <= 4; ++minute) {
    b.t.clock.AdvanceMs(60000);
    b.Order("DS" + std::to_string(10 + minute), "12/26/2026", "9:00 AM");
    if (minute == 3)  // 6:33:20 PM
      WriteHeader(
          other, kOrders + "DS1.PH",
          OrderHeader{"207-555-0107", " 7", "Margaret Hale", "DS1", "12/25/2026", "6:34 PM"});
    b.w.Pass();
    EXPECT_EQ(b.SentIds().size(), minute < 4 ? 0u : 1u) << "at 6:3" << minute << ":20 PM";
  }
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
  EXPECT_EQ(b.w.pass.PendingOrders().size(), 4u);
}

// Two stations share one PhoneOrders folder: each order goes out once, also
// when the stations may only read the headers, and over a share that is
// another machine (each station reading its headers many at a time).
TEST(Dispatch, TwoStationsSendEachOrderExactlyOnce) {
  enum Share { kWritable, kReadOnly, kMounted };
  for (const Share share : {kWritable, kReadOnly, kMounted}) {
    const bool read_only = share == kReadOnly;
    SCOPED_TRACE(share == kMounted ? "over a mounted share"
                 : read_only       ? "read-only headers, as an ordinary user"
                                   : "writable headers");
    testing::TempDir dir;
    {
      DispatchFixture setup;
      for (int k = 1; k <= 200; ++k) setup.Order("DS" + std::to_string(k), "12/25/2026", "6:00 PM");
      std::filesystem::rename(setup.t.dir.path() / "f", dir.path() / "f");
      std::filesystem::rename(setup.t.dir.path() / "c", dir.path() / "c");
    }
    if (read_only) MakeHeadersReadOnly(dir.path());
    std::unique_ptr<testing::LatencyMount> mount;
    if (share == kMounted) {
      mount = testing::MountDataDrive(dir.path(), 0);
      if (!mount->Mounted()) {
        std::cout << "[  SKIPPED ] over a mounted share: " << mount->Problem() << "\n";
        continue;
      }
    }
    std::vector<pid_t> children;
    for (int station = 0; station < 2; ++station) {
      pid_t pid = fork();
      if (pid == 0) {
        if (read_only && !RunAsNobody()) _exit(3);
        FileSystem files{PathMap(dir.path())};
        FakeClock clock(DateTime{Date{2026, 12, 25}, 18 * 3600 + 30 * 60});
        testing::TestLoop loop(clock);
        testing::ScriptedBoxes boxes;
        testing::SilentSound sound;
        testing::FakeHost host;
        testing::RecordedStatusLines status;
        std::vector<InstalledPrinter> printers;
        for (const char* name : {"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "BAR TM-T88", "OFFICE"})
          printers.push_back(InstalledPrinter{
              name, std::make_unique<DirDestination>(dir.path() / "tickets" / name, "dir:"),
              false});
        PrintService printer(std::move(printers));
        Platform platform{files, clock, printer, loop, boxes, sound, host, status};
        Station station;
        StationSends w(station, platform);
        w.Start();
        w.Pass();
        _exit(w.said.empty() ? 0 : 4);
      }
      children.push_back(pid);
    }
    bool skipped = false;
    for (pid_t pid : children) {
      int status = 0;
      waitpid(pid, &status, 0);
      skipped = skipped || (WIFEXITED(status) && WEXITSTATUS(status) == 3);
      EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3))
          << "a station said an error";
    }
    if (skipped) GTEST_SKIP() << "cannot run a station as user 65534 here";
    std::string log =
        testing::ReadHostFile(dir.path() / "f/KORVAIN/PhoneOrders/1226DElayedSend.LOG");
    std::map<std::string, int> sent;
    std::regex re("Delayed Order Sent (DS[0-9]+) was");
    for (std::sregex_iterator it(log.begin(), log.end(), re), end; it != end; ++it)
      ++sent[(*it)[1].str()];
    EXPECT_EQ(sent.size(), 200u);
    for (const auto& [id, times] : sent) EXPECT_EQ(times, 1) << id;
    int tickets = 0;
    for (const auto& e :
         std::filesystem::directory_iterator(dir.path() / "tickets" / "KITCHEN1 TM-U220"))
      tickets += e.path().extension() == ".txt";
    EXPECT_EQ(tickets, 200);
  }
}

}  // namespace
}  // namespace korv

namespace korv {
namespace {

// What the list keeps between rebuilds must equal a rebuild from nothing.
TEST(Dispatch, ARefreshedListIsWhatAFullRebuildGives) {
  DispatchFixture b;
  for (const char* id : {"DS1", "DS2", "DS3", "DS4"}) b.Order(id, "12/26/2026", "6:00 PM");
  b.w.pass.Listing().Refresh();
  b.w.pass.UpdateList();
  auto rows = [](const DispatchPass& pass) {
    std::vector<std::string> out;
    for (const PendingOrder& order : pass.PendingOrders())
      out.push_back(order.id + "=" + PendingRowText(order) + "=" + order.header.order_id);
    return out;
  };
  b.t.files.Kill(kOrders + "DS2.PH");  // sent by another station
  b.w.pass.Listing().Refresh();
  b.w.pass.RefreshList();
  DispatchPass fresh(b.t.station, b.t.platform);
  fresh.ReadStationConfig();
  fresh.Listing().Refresh();
  fresh.UpdateList();
  EXPECT_EQ(rows(b.w.pass), rows(fresh));

  b.t.files.Kill(kOrders + "DS4.PH");
  b.Order("DS0", "12/27/2026", "7:00 PM", " 0", "New Caller");  // added elsewhere
  b.w.pass.Listing().Refresh();
  b.w.pass.RefreshList();
  fresh.Listing().Refresh();
  fresh.UpdateList();
  EXPECT_EQ(rows(b.w.pass), rows(fresh));
  EXPECT_EQ(b.w.pass.PendingCount(), 3);
}

}  // namespace
}  // namespace korv

namespace korv {
namespace {

// A printer whose first delivery is where the station dies: the send stops
// there as a killed one does, its journal as it stands.
struct DyingPrinter : Destination {
  explicit DyingPrinter(std::vector<Document>* sink) : sink(sink) {}
  void Deliver(const Document& doc) override {
    if (std::exchange(dies, false)) throw StepsHalted{"killed"};
    sink->push_back(doc);
  }
  std::string Describe() const override { return "dying"; }
  std::vector<Document>* sink;
  bool dies = true;
};

std::string DocumentText(const Document& doc) {
  std::string text;
  for (const PrintedLine& line : doc.lines) text += line.Text() + "\n";
  return text;
}

// A printer whose first delivery fails as a full disk does.
struct FullPrinter : Destination {
  explicit FullPrinter(std::vector<Document>* sink) : sink(sink) {}
  void Deliver(const Document& doc) override {
    if (std::exchange(full, false)) throw RuntimeError(kErrDiskFull, "Disk full in /spool/bar");
    sink->push_back(doc);
  }
  std::string Describe() const override { return "dir:/spool/bar"; }
  std::vector<Document>* sink;
  bool full = true;
};

int TicketsFor(const testing::TestStation& t, const std::string& printer) {
  return static_cast<int>(std::count_if(t.printed.begin(), t.printed.end(),
                                        [&](const Document& d) { return d.printer == printer; }));
}

// A ticket that cannot reach its printer halts its order's send: no SENT
// entry, no box, no K-501; the other orders go meanwhile, and the next pass
// prints the ticket under its number and logs the order once.
TEST(SendErrors, ATicketThatCannotBeWrittenHaltsItsSendUntilItCanBe) {
  DispatchFixture b;
  b.t.printer.printer(2).destination = std::make_unique<FullPrinter>(&b.t.printed);  // BAR
  b.Order("DS1", "12/25/2026", "6:00 PM");
  b.Order("DS2", "12/25/2026", "6:00 PM");
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS2=2"});
  EXPECT_NE(Said(b.w).find("The send of order DS1 stopped: its ticket for printer BAR TM-T88 "
                           "(dir:/spool/bar) could not be delivered: Disk full in /spool/bar "
                           "(error 61)"),
            std::string::npos)
      << Said(b.w);
  EXPECT_TRUE(b.t.Exists(SendJournalPath("C:\\KORVAIN\\", "DS1")));
  EXPECT_NE(b.t.Read(kOrders + "1.Pio").find("|N\""), std::string::npos) << "not completed";

  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS2=2", "DS1=1"}));
  EXPECT_EQ(TicketsFor(b.t, "BAR TM-T88"), 2);
  EXPECT_EQ(TicketsFor(b.t, "KITCHEN1 TM-U220"), 2);
  EXPECT_TRUE(b.t.boxes.shown.empty());
  EXPECT_EQ(b.t.Read(kRoot + "KOrdNumb.dat").substr(0, 4), "\"2\",");
  EXPECT_FALSE(b.t.Exists(SendJournalPath("C:\\KORVAIN\\", "DS1")));
}

// The month's log held by another station past the short wait: the send
// halts before its SENT entry, with its tickets printed, and the next pass
// logs it once. Also when the log was opened for the entry beforehand.
TEST(SendErrors, ALogAnotherStationHoldsHaltsTheSendBeforeItsEntry) {
  DispatchFixture b;
  const std::string log = kOrders + "1226DElayedSend.LOG";
  b.t.Write(log, "\"an earlier entry\"\r\n");
  b.Order("DS1", "12/25/2026", "6:00 PM");
  FileSystem other{PathMap(b.t.dir.path())};
  other.Lock(other.Open(log, OpenMode::kAppend));
  b.w.Pass();
  EXPECT_TRUE(b.SentIds().empty());
  EXPECT_NE(Said(b.w).find("The send of order DS1 stopped: the sent entry in " + log + " failed"),
            std::string::npos)
      << Said(b.w);
  EXPECT_EQ(TicketsFor(b.t, "KITCHEN1 TM-U220"), 1);

  other.CloseAll();
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
  EXPECT_EQ(TicketsFor(b.t, "KITCHEN1 TM-U220"), 1);
}

// Without a phone-in number the order stays pending as it was, with no
// phone order and nothing half made of it, and goes once a number can be
// drawn.
TEST(SendErrors, AnOrderWithoutAPhoneInNumberStaysPendingWithNothingMadeOfIt) {
  DispatchFixture b;
  b.Order("DS1", "12/25/2026", "6:00 PM");
  const std::filesystem::path counter = b.t.files.HostPath(kRoot + "data\\PioNumber.dat");
  std::filesystem::create_directories(counter);
  b.w.Pass();
  EXPECT_TRUE(b.SentIds().empty());
  EXPECT_NE(Said(b.w).find("Order DS1 was not sent: no phone-in number could be drawn"),
            std::string::npos)
      << Said(b.w);
  for (const char* f : {"DS1.PH", "DS1.Pio"}) EXPECT_TRUE(b.t.Exists(kOrders + f)) << f;
  for (const char* f : {"1.PH", "1.Pio", "0.PH", "0.Pio"})
    EXPECT_FALSE(b.t.Exists(kOrders + f)) << f;
  EXPECT_EQ(Temporaries(b.t), std::vector<std::string>{});

  std::filesystem::remove(counter);
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
}

// An order whose line file is missing, empty or unreadable stays pending,
// said, with nothing of it changed; once the file is whole it goes.
TEST(SendErrors, AnOrderWithoutAReadableLineFileStaysPending) {
  struct Case {
    std::function<void(DispatchFixture&, const std::string&)> spoil;
    const char* why;
  };
  const std::string lines = kOrders + "DS1.Pio";
  for (const Case& c :
       {Case{[](DispatchFixture&b, const std::string&f) { b.t.files.Kill(f); }, "does not exist"},
        Case{[](DispatchFixture&b, const std::string&f) { b.t.Write(f, ""); }, "is empty"},
        Case{[](DispatchFixture&b, const std::string&f) { b.t.Write(f, std::string(40, '\0')); },
             "holds no order line"},
        Case{[](DispatchFixture&b, const std::string&f) {
               b.t.files.Kill(f);
               std::filesystem::create_directory(b.t.files.HostPath(f));
             },
             "cannot be read"}}) {
    SCOPED_TRACE(c.why);
    DispatchFixture b;
    b.Order("DS1", "12/25/2026", "6:00 PM");
    const std::string whole = b.t.Read(lines);
    c.spoil(b, lines);
    b.w.Pass();
    EXPECT_TRUE(b.SentIds().empty());
    EXPECT_TRUE(b.t.printed.empty());
    EXPECT_FALSE(b.t.Exists(kRoot + "data\\PioNumber.dat"));
    EXPECT_NE(Said(b.w).find("Order DS1 stays pending: its line file " + lines + " " + c.why),
              std::string::npos)
        << Said(b.w);
    std::filesystem::remove_all(b.t.files.HostPath(lines));
    b.t.Write(lines, whole);
    b.t.clock.AdvanceMs(60000);
    b.w.Pass();
    EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
  }
}

// A printer whose entry names no destination the station can print to is no
// printer for its tickets: the order waits, said, rather than going nowhere.
TEST(SendErrors, APrinterThatCannotPrintHoldsItsOrders) {
  DispatchFixture b;
  b.t.printer.printer(0).destination = std::make_unique<UnavailableDestination>("lpd://k1");
  b.Order("DS1", "12/25/2026", "6:00 PM");
  b.w.Pass();
  EXPECT_TRUE(b.SentIds().empty());
  EXPECT_TRUE(b.t.printed.empty());
  EXPECT_TRUE(b.t.Exists(kOrders + "DS1.PH"));
  EXPECT_NE(Said(b.w).find("its main kitchen ticket (printer \"KITCHEN1\")"), std::string::npos)
      << Said(b.w);
}

// The customer file held by another station halts the send for a while;
// past that the order goes with its header's name and phone, never with the
// customer of the order before it.
TEST(SendErrors, AnUnreadableCustomerIsNeverAnotherOrdersCustomer) {
  DispatchFixture b;
  b.Customer(8, "207-555-0108", "Jane Smith");
  b.Order("DS1", "12/25/2026", "6:00 PM");  // Margaret Hale, customer 7
  b.w.Pass();
  WriteDelayedOrder(b.t.files, kRoot,
                    OrderHeader{"207-555-0108", " 8", "Jane Smith", "DS2", "12/25/2026", "6:00 PM"},
                    {" 1|Soup                |$5.00|SOUP| 4 - Main Course|T|N"});
  FileSystem other{PathMap(b.t.dir.path())};
  other.Lock(other.Open(kRoot + "data\\CustData.dat", OpenMode::kRandom, 2000));
  b.t.clock.AdvanceMs(60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS1=1"});
  EXPECT_NE(Said(b.w).find("The send of order DS2 stopped: customer record 8 of " + kRoot +
                           "data\\CustData.dat cannot be read"),
            std::string::npos)
      << Said(b.w);

  b.t.clock.AdvanceMs(3 * 60000);
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS1=1", "DS2=2"}));
  EXPECT_EQ(b.t.Read(kOrders + "2.PH").find("Margaret"), std::string::npos);
  EXPECT_NE(b.t.Read(kOrders + "2.PH").find("Jane Smith"), std::string::npos);
  for (const Document& d : b.t.printed) {
    if (d.printer != "KITCHEN1 TM-U220" || d.lines.size() < 3 || d.lines[2].Text() != "K-2")
      continue;
    for (const PrintedLine& line : d.lines) EXPECT_EQ(line.Text().find("Hale"), std::string::npos);
  }
  EXPECT_TRUE(b.t.Exists(kRoot + "Delivery\\LastOrder\\207-555-0108.Dat"));
  other.CloseAll();
}

TEST(InterruptedSend, IsFinishedFromWhereItStoppedWithItsNumbersAndItsTime) {
  DispatchFixture b;
  b.t.printer.printer(2).destination = std::make_unique<DyingPrinter>(&b.t.printed);  // BAR
  b.Order("DS5", "12/25/2026", "6:00 PM");
  b.w.Pass();
  // Stopped in the bar ticket: both kitchen tickets are out, the order is
  // not completed.
  ASSERT_EQ(b.t.printed.size(), 2u);
  const std::string journal = SendJournalPath("C:\\KORVAIN\\", "DS5");
  EXPECT_TRUE(b.t.Exists(journal));
  EXPECT_NE(b.t.Read(kOrders + "1.Pio").find("|N\""), std::string::npos);
  EXPECT_NE(b.w.said.find("The send of order DS5 stopped: killed"), std::string::npos);

  // Five minutes later the shared folder is out of reach: the send waits.
  const std::filesystem::path orders = b.t.files.HostPath(kOrders);
  std::filesystem::rename(orders, orders.string() + ".away");
  b.t.clock.AdvanceMs(5 * 60000);
  b.w.Pass();
  EXPECT_NE(b.w.said.find("The unfinished send of order DS5 waits until " + kOrders +
                          " can be reached again"),
            std::string::npos);
  EXPECT_TRUE(b.t.Exists(journal));

  // Back again: only the bar ticket prints, as the send would have printed
  // it five minutes before; the same numbers, one SENT entry.
  std::filesystem::rename(orders.string() + ".away", orders);
  b.w.Pass();
  ASSERT_EQ(b.t.printed.size(), 3u);
  EXPECT_EQ(b.t.printed[2].printer, "BAR TM-T88");
  const std::string bar = DocumentText(b.t.printed[2]);
  EXPECT_NE(bar.find("OrderNumber\n1\n"), std::string::npos) << bar;
  EXPECT_NE(bar.find("12/25/2026   6:30:20 PM"), std::string::npos) << bar;
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=1"});
  EXPECT_EQ(b.t.Read(kRoot + "data\\PioNumber.dat"), "\"1\"\r\n");
  EXPECT_EQ(b.t.Read(kRoot + "KOrdNumb.dat").substr(0, 4), "\"1\",");
  EXPECT_EQ(b.t.Read(kOrders + "1.pio").find("|N\""), std::string::npos);
  EXPECT_NE(b.t.Read(kOrders + "Deleted\\DS5.PH").find("Sent to kitchen at 06:30 PM"),
            std::string::npos);
  EXPECT_FALSE(b.t.Exists(journal));
  EXPECT_NE(std::find(b.t.status.lines.begin(), b.t.status.lines.end(),
                      "korv-delayed-send: finishing the send of DS5 begun 12/25/2026 6:30:20 PM, "
                      "which the station did not end"),
            b.t.status.lines.end());
}

// Asked to end while a send waits for a kitchen counter another station
// holds, the station stops that send where it is, begins no other order,
// and finishes it at its next start with the number drawn then.
TEST(InterruptedSend, AStationAskedToEndWhileACounterIsHeldFinishesTheSendAtItsNextStart) {
  DispatchFixture b;
  b.Order("DS1", "12/25/2026", "6:00 PM");
  b.Order("DS2", "12/25/2026", "6:00 PM");
  FileSystem other{PathMap(b.t.dir.path())};
  const std::string counter = b.HoldKitchenCounter(other);
  b.w.on_said = [&] {
    if (b.w.said.find("KOrdNumb.dat") != std::string::npos) b.w.ending = true;
  };
  b.w.Pass();
  EXPECT_TRUE(b.t.printed.empty());
  EXPECT_TRUE(b.t.Exists(SendJournalPath("C:\\KORVAIN\\", "DS1")));
  EXPECT_TRUE(b.t.Exists(kOrders + "DS2.PH")) << "no other order is begun";
  EXPECT_NE(b.w.said.find("The send of order DS1 stopped: the station was asked to "
                          "end while it waited for " +
                          counter),
            std::string::npos)
      << b.w.said;

  other.CloseAll();
  StationSends again(b.t.station, b.t.platform);
  again.Start();
  ASSERT_FALSE(b.t.printed.empty());
  EXPECT_EQ(b.t.printed[0].lines.at(2).Text(), "K-8");
  again.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS1=1", "DS2=2"}));
}

TEST(InterruptedSend, AnOrderStillPendingIsTakenBackAndOneAnotherStationSentIsLeftToIt) {
  DispatchFixture b;
  auto killed_after_its_number = [&](const std::string& id, const std::string& n) {
    SendBeginning began;
    began.id = id;
    began.header = ReadHeader(b.t.files, kOrders + id + ".PH");
    began.header_stamp = b.t.files.Stamp(kOrders + id + ".PH");
    began.lines_stamp = b.t.files.Stamp(kOrders + id + ".Pio");
    began.time = b.t.clock.Now();
    began.send_date = began.header.send_date;
    began.send_time = began.header.send_time;
    began.log_path = kOrders + "1226DElayedSend.LOG";
    began.pending_count = 3;
    auto journal =
        SendJournal::Begin(b.t.files.HostPath(SendJournalPath("C:\\KORVAIN\\", id)), began);
    journal->Mark(SendStep::kArchiveLines);
    journal->Keep("pio", n);
  };
  b.Order("DS5", "12/25/2026", "6:00 PM", " 7", "Hale\t100%");
  killed_after_its_number("DS5", "17");
  b.Order("DS6", "12/25/2026", "6:00 PM");
  killed_after_its_number("DS6", "18");
  b.t.Write(kOrders + "18.Pio", b.t.Read(kOrders + "DS6.Pio"));  // its copies, then killed
  b.t.Write(kOrders + "18.PH", b.t.Read(kOrders + "DS6.PH"));
  b.t.files.Kill(kOrders + "DS6.PH");  // then sent by another station
  b.t.files.Kill(kOrders + "DS6.Pio");
  b.Order("DS7", "12/25/2026", "6:00 PM");
  b.t.Write(SendJournalPath("C:\\KORVAIN\\", "DS7"), "begin\tDS7\tcut off");

  b.w.pass.RecoverSends();
  // DS5 goes out under the number it drew; DS6 is not printed here; DS7's
  // send had changed nothing and is sent at the next pass like any order.
  EXPECT_EQ(b.SentIds(), std::vector<std::string>{"DS5=17"});
  EXPECT_NE(b.Log().find(" - Order is for customer HALE\t100%"), std::string::npos);
  EXPECT_NE(b.Log().find("a total of 3 Delayed orders"), std::string::npos);
  EXPECT_FALSE(b.t.Exists(kOrders + "18.pio")) << "the dropped send leaves no phone order";
  EXPECT_FALSE(b.t.Exists(kOrders + "18.PH"));
  EXPECT_NE(b.w.said.find("The unfinished send of order DS6 is dropped"), std::string::npos);
  EXPECT_TRUE(b.t.files.List("C:\\KORVAIN\\data\\Journal\\", "*").empty());
  b.w.Pass();
  EXPECT_EQ(b.SentIds(), (std::vector<std::string>{"DS5=17", "DS7=1"}));
}

}  // namespace
}  // namespace korv
