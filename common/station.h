#pragma once
// The program's module-level values, shared by every window. One Station is
// made by main (or by a test) and handed to each window by reference, so
// every test runs on a station of its own.

#include <string>
#include <vector>

#include "common/date_time.h"
#include "common/record_tables.h"

namespace korv {

using ButtonTable = std::vector<std::vector<std::string>>;

// The values of ScreenMode: while an operator's view of an order or of the
// error text is open no order is sent; closing it leaves which view it was.
constexpr int kScreenViewOpen = 75;
constexpr int kScreenOrderViewClosed = 20;
constexpr int kScreenErrorViewClosed = 23;

struct Station {
  // Station paths and settings, read from KorvINI.dat.
  std::string LocalRoot = "C:\\Korvain\\";
  std::string DataRoot;
  std::string WorkPath;
  double TaxRate = 0;
  double ConfigValue39 = 0;  // the table-service switch, as the engine compares it
  // The whole configuration record as last read; the engine and the ticket
  // printers read their switches and printer names from it by name.
  StationConfig Config;
  // The order of day and month in the peers' send dates: this station's own
  // setting (station.conf), not a value of the shared configuration.
  DateOrder date_order = DateOrder::kMonthDayYear;

  // Phone-in number and customer of the order being sent.
  double PioNumber = 0;
  std::string PioNumberText;
  int CustRecNo = 1;
  std::string CustNumber, CustNumberCopy, CustPhone, CustName;
  CustomerRecord Customer;  // the record last read from data\CustData.dat

  // Dispatch and hand-off state.
  std::string SendDate, SendTime;
  std::string SendStatus;
  std::string OrderKey;
  int OrderCustRecNo = 0;
  int ScreenMode = 0;  // kScreenViewOpen, kScreenOrderViewClosed, kScreenErrorViewClosed
  int TickCount = 0;
  int LastPendingCount = 0;

  // Order engine and kitchen values.
  std::string StationName;
  std::string ServerName;
  std::string KitchenOrderNo;
  std::string BarOrderNo;
  int BarOrderCount = 0;
  std::string KitchenPrinterName;
  std::string KitchenHeading;

  // Menu button tables, filled at every engine start-up.
  ButtonTable MainButtonTable = ButtonTable(16, std::vector<std::string>(4));
  ButtonTable ButtonFBTable = ButtonTable(7, std::vector<std::string>(16));
  std::vector<ButtonTable> PageButtonTables =
      std::vector<ButtonTable>(12, ButtonTable(16, std::vector<std::string>(16)));
};

}  // namespace korv

namespace korv {

// Copies the configuration record into the station's settings: LocalRoot and
// DataRoot trimmed and upper-cased, the table-service switch and the tax rate
// as numbers. Every other field is read from Config where it is used.
void ApplyStationConfig(Station& station, const StationConfig& config);

}  // namespace korv
