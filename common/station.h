#pragma once
// The program's module-level values, shared by every window. One Station is
// made by main (or by a test) and handed to each window by reference, so
// every test runs on a station of its own.

#include <string>
#include <vector>

#include "common/record_tables.h"

namespace korv {

using ButtonTable = std::vector<std::vector<std::string>>;

struct Station {
  // Station paths and settings, read from KorvINI.dat.
  std::string LocalRoot = "C:\\Korvain\\";
  std::string DataRoot;
  std::string WorkPath;
  double TaxRate = 0;
  double ConfigValue39 = 0;
  std::string ConfigText1, ConfigText2, ConfigText3, ConfigText4, ConfigText5;
  std::string ConfigText8, ConfigText9, ConfigText40, ConfigText51, ConfigText52;
  // The whole configuration record as last read; the engine and the ticket
  // printers read their switches and printer names from it by field number.
  StationConfig Config;
  bool ConfigLoaded = false;

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
  double ScreenMode = 0;
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

// Copies the configuration record into the station's settings, in the order
// the start-up reads them: field 6 to LocalRoot, 49 to DataRoot (both trimmed
// and upper-cased), 51, 52, 39 as a number, 40, 7 as a number, then 1, 2, 3,
// 4, 5, 8 and 9, each trimmed.
void ApplyStationConfig(Station& station, const StationConfig& config);

}  // namespace korv
