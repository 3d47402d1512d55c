// korvtool order add, customer add, orders: the order-entry side of a
// station, for setting up a station and for trying the delayed send out: a
// delayed order written as an order-entry station writes it, a customer
// record, and the pending list as the delayed-send window shows it.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/bar_row.h"
#include "common/date_time.h"
#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/station.h"
#include "common/val.h"
#include "engine/station_config.h"
#include "platform/clock/station_settings.h"
#include "platform/host/system_host.h"
#include "platform/screen/headless_loop.h"
#include "platform/screen/player_sound.h"
#include "platform/screen/stderr_boxes.h"
#include "platform/screen/stderr_status_lines.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/orderfiles/line_file.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

// The station's configuration, for its DataRoot; why it cannot be used
// (the file or folder and the reason, as the station says it) when not.
std::optional<std::string> LoadStation(FileSystem& files, Station& station) {
  if (std::string problem = StationConfigProblem(station, files); !problem.empty())
    return "cannot use the station's configuration: " + problem;
  return std::nullopt;
}

std::optional<long> WholeNumber(const std::string& text, long min) {
  std::string t = Trim(text);
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < min || v > 2000000000) return std::nullopt;
  return v;
}

std::optional<double> Price(const std::string& text) {
  std::string t = Trim(text);
  if (!t.empty() && t[0] == '$') t.erase(0, 1);
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (*end != '\0' || !(v >= 0 && v < 1e9)) return std::nullopt;
  return v;
}

// "QTY|NAME|PRICE|KITCHEN TEXT|ROUTE|COURSE|TAX[|SENT]" as an order line row.
std::optional<std::string> ItemRow(const std::string& item_text, std::string& error) {
  std::vector<std::string> f = SplitBarRow(item_text);
  if (f.size() != 7 && f.size() != 8) {
    error = "needs 7 or 8 fields separated by |";
    return std::nullopt;
  }
  auto qty = WholeNumber(f[0], 1);
  auto price = Price(f[2]);
  auto route = WholeNumber(f[4], 0);
  if (!qty || !price || !route) {
    error = !qty     ? "QTY must be a whole number of 1 or more"
            : !price ? "PRICE must be a number such as 8.50"
                     : "ROUTE must be a whole number";
    return std::nullopt;
  }
  OrderLineItem item{
      static_cast<int>(*qty),   f[1], *price,     f[3],
      static_cast<int>(*route), f[5], Trim(f[6]), f.size() == 8 ? Upper(Trim(f[7])) : "N"};
  try {
    return OrderLineRow(item);
  } catch (const RuntimeError& e) {
    error = e.description();
    return std::nullopt;
  }
}

// True when the station's parser reads the text (ParseDate, ParseTime).
template <typename Parser>
bool Parses(Parser parse, const std::string& text) {
  try {
    parse(text);
    return true;
  } catch (const RuntimeError&) {
    return false;
  }
}

int RunOrder(const Args& args) {
  if (args.positional != std::vector<std::string>{"add"}) return UsageError("usage: order add ...");
  std::string date = Trim(args.Option("--date").value_or(""));
  std::string time = Trim(args.Option("--time").value_or(""));
  if (!Parses([](const std::string& t) { return ParseDate(t); }, date))
    return UsageError("--date: '" + date + "' is not a date such as 12/25/2026");
  if (!Parses(ParseTime, time))
    return UsageError("--time: '" + time + "' is not a time such as 7:30 PM");
  auto customer = WholeNumber(args.Option("--customer").value_or("0"), 0);
  if (!customer) return UsageError("--customer must be a customer number (0 when not on file)");
  std::vector<std::string> rows;
  for (const std::string& item_text : args.OptionValues("--item")) {
    std::string error;
    auto row = ItemRow(item_text, error);
    if (!row) return UsageError("--item '" + item_text + "': " + error);
    rows.push_back(*row);
  }
  if (rows.empty()) return UsageError("an order needs at least one --item");

  FileSystem files{PathMap(args.Root())};
  Station station;
  if (auto error = LoadStation(files, station)) return Fail(*error);
  std::optional<std::string> chosen = args.Option("--id");
  std::string id = chosen ? *chosen : NextFreeDelayedOrderId(files, station.DataRoot);
  if (!IsSafeOrderId(id)) return UsageError("--id '" + id + "' cannot be a file name");
  OrderHeader header{args.Option("--phone").value_or(""),
                     Str(static_cast<double>(*customer)),
                     args.Option("--name").value_or(""),
                     id,
                     date,
                     time};
  try {
    WriteDelayedOrder(files, station.DataRoot, header, rows);
  } catch (const RuntimeError& e) {
    return Fail("cannot write delayed order " + id + ": " + e.description());
  }
  std::cout << id << ": " << rows.size() << (rows.size() == 1 ? " line" : " lines") << ", due "
            << date << " at " << time << "\n";
  return 0;
}

// How far past the customer file's end a new record may lie. The records
// between are written as blank customers, so a mistyped number of ten
// digits would fill the share's disk with them; a thousand is 2 MB.
constexpr int64_t kCustomerGap = 1000;
constexpr int64_t kCustomerRecordBytes = 2000;

std::optional<std::string> FarPastTheEnd(FileSystem& files, const std::string& data_root,
                                         long number) {
  const std::string path = data_root + "data\\CustData.dat";
  const int64_t records =
      files.Exists(path) ? (files.FileLen(path) + kCustomerRecordBytes - 1) / kCustomerRecordBytes
                         : 0;
  if (number <= records + kCustomerGap) return std::nullopt;
  return "customer " + std::to_string(number) + " is refused: " + path + " (" +
         files.HostPath(path).string() + ") holds " + std::to_string(records) +
         " records, and a new one may lie at most " + std::to_string(kCustomerGap) +
         " past its end (customer " + std::to_string(records + kCustomerGap) +
         " at most), since the records between are written as blank customers";
}

int RunCustomer(const Args& args) {
  if (args.positional.size() != 2 || args.positional[0] != "add")
    return UsageError("usage: customer add N ...");
  auto number = WholeNumber(args.positional[1], 1);
  if (!number) return UsageError("N must be a customer number of 1 or more");
  CustomerRecord record;
  record.Set(1, std::to_string(*number));
  const std::pair<const char*, int> fields[] = {
      {"--phone", 2}, {"--name", 3}, {"--address1", 4}, {"--address2", 5}, {"--address3", 6}};
  for (const auto& [option, field] : fields) {
    std::string value = args.Option(option).value_or("");
    if (!record.Fits(field, value))
      return UsageError(std::string(option) + " is longer than the record's " +
                        std::to_string(record.layout().field(field).width) + " characters");
    record.Set(field, value);
  }
  FileSystem files{PathMap(args.Root())};
  Station station;
  if (auto error = LoadStation(files, station)) return Fail(*error);
  if (auto error = FarPastTheEnd(files, station.DataRoot, *number)) return Fail(*error);
  try {
    WriteCustomer(files, station.DataRoot, static_cast<int>(*number), record);
  } catch (const RuntimeError& e) {
    return Fail("cannot write customer " + std::to_string(*number) + ": " + e.description());
  }
  std::cout << "customer " << *number << ": " << record.Text(3) << "\n";
  return 0;
}

void PrintTable(const std::vector<std::string>& titles, const MultiColumnList& list) {
  std::vector<std::vector<std::string>> cells = {titles};
  for (int i = 0; i < list.Count(); ++i) cells.push_back(SplitBarRow(list.Item(i)));
  std::vector<size_t> width(titles.size(), 0);
  for (const auto& row : cells)
    for (size_t c = 0; c < row.size() && c < width.size(); ++c)
      width[c] = std::max(width[c], row[c].size());
  for (const auto& row : cells) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c)
      line += (c + 1 < row.size() && c < width.size()) ? PadRight(row[c], width[c] + 2) : row[c];
    std::cout << line << "\n";
  }
}

int RunOrders(const Args& args) {
  if (!args.positional.empty()) return UsageError("orders takes no arguments");
  FileSystem files{PathMap(args.Root())};
  Station station;
  if (auto error = LoadStation(files, station)) return Fail(*error);
  try {
    station.date_order = ReadStationSettings(files).date_order;
  } catch (const RuntimeError& e) {
    return Fail(e.description());
  }
  SystemClock clock;
  HeadlessLoop loop(clock);
  StderrStatusLines status;
  StderrBoxes boxes(status);
  PlayerSound sound("");
  SystemHost host(files.HostPath(kInstanceLockFile));
  PrintService printer;
  Platform platform{files, clock, printer, loop, boxes, sound, host, status};
  KORVdelayedSend1 window(station, platform, "korvtool");
  window.File1.SetPath(PhoneOrdersFolder(station.DataRoot));
  window.File1.SetPattern("DS*.PH");
  try {
    window.File1.Refresh();
    window.UpdateList();
  } catch (const RuntimeError& e) {
    return Fail(station.WorkPath + ": " + e.description());
  }
  if (args.Has("--raw")) {
    for (int i = 0; i < window.MList1.Count(); ++i) std::cout << window.MList1.Item(i) << "\n";
    return 0;
  }
  PrintTable(window.MList1.ColumnTitles, window.MList1);
  std::cout << window.Label1.Caption() << " " << window.Label2.Caption() << "\n";
  return 0;
}

const Registration kOrder({
    "order",
    "order add --date M/D/YYYY --time \"h:mm AM\" --item ITEM...\n"
    "[--phone P] [--customer N] [--name NAME] [--id DS<k>]\n"
    "[--root DIR]",
    "write a delayed order as an order-entry station does",
    "Writes PhoneOrders\\DS<k>.Pio and then PhoneOrders\\DS<k>.PH under\n"
    "the station's DataRoot. DS<k> is one more than the highest delayed\n"
    "order number in PhoneOrders\\ and PhoneOrders\\Deleted\\, unless --id\n"
    "names it; an existing order is never replaced.\n\n"
    "  --date, --time  when the order is due, as an order-entry station\n"
    "                  stores them\n"
    "  --phone         the customer's telephone number\n"
    "  --customer N    the customer's record number in data\\CustData.dat\n"
    "                  (0: not on file)\n"
    "  --name          the customer's name\n"
    "  --item ITEM     one order line, repeatable:\n"
    "                  QTY|NAME|PRICE|KITCHEN TEXT|ROUTE|COURSE|TAX\n"
    "                  with an optional 8th field SENT (Y for a line\n"
    "                  already sent); PRICE is the unit price, TAX is T\n"
    "                  (taxable), F or blank.\n"
    "Prints the order id.",
    {"--date", "--time", "--item", "--phone", "--customer", "--name", "--id"},
    RunOrder,
});

const Registration kCustomer({
    "customer",
    "customer add N [--phone P] [--name NAME] [--address1 A]\n"
    "[--address2 A] [--address3 A] [--root DIR]",
    "write customer record N of data\\CustData.dat",
    "Writes record N of the customer file under the station's DataRoot\n"
    "(replacing it), with the customer number, telephone, name and the\n"
    "three address lines printed on the kitchen ticket. Text longer than\n"
    "its field is refused, and so is a record more than 1000 past the\n"
    "end of the file (the records between are written as blank\n"
    "customers).",
    {"--phone", "--name", "--address1", "--address2", "--address3"},
    RunCustomer,
});

const Registration kOrders({
    "orders",
    "orders [--raw] [--root DIR]",
    "list the pending delayed orders as the station's window shows them",
    "Reads every PhoneOrders\\DS*.PH under the station's DataRoot, in the\n"
    "window's order, and prints the pending list's columns. --raw prints\n"
    "the rows as the list holds them, columns separated by |.",
    {},
    RunOrders,
});

}  // namespace
}  // namespace korv::tool
