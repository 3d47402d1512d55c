#pragma once
// The fields of the station configuration C:\Korvain\KorvINI.dat, by what
// they mean to the restaurant. The code names a field only by these names;
// the numbers are the record table's field numbers (record_tables.cc), the
// ones the other stations' set-up programs and `korvtool config` use.
//
// A switch is on when its field reads as the number -1 (SwitchOn in
// engine/config_switch.h); the few fields read another way say so.

namespace korv {

enum class ConfigField : int {
  // Written by the demo station's set-up for the other stations; this
  // station does not read them.
  RestaurantName = 1,
  RestaurantStreet = 2,
  RestaurantTown = 3,

  // The station's folders and tax.
  LocalRoot = 6,  // this station's own folder, upper-cased
  TaxRate = 7,    // ".0825"
  DataRoot = 49,  // the shared folder, upper-cased; ends in "\"

  // Printers, each named by a prefix of its device name.
  StationPrinter = 8,       // the station's own printer, current between tickets
  MainKitchenPrinter = 29,  // "None" (exactly so) prints no main kitchen ticket
  BarPrinter = 35,          // "None" (exactly so) or under 3 characters: no bar ticket
  KitchenCopyPrinter = 73,  // the "KITCHEN 2" copy; blank or "NONE" in any case: none
  StationPrinters = 130,    // first of six: "KITCHEN 3" to "KITCHEN 8" (130 to 135)

  // How the tickets look and end.
  TicketFont = 22,          // "Arial" on the kitchen tickets when blank
  TicketSizeStep = 23,      // base point size = this + 5
  CutAfterMainTicket = 31,  // switch
  CutAfterBar = 36,         // switch
  NoBarTicket = 66,         // switch
  CutAfterCopy = 74,        // switch: cut after the copy and the station tickets
  CourseSorted = 77,        // switch: the main ticket sorted by course
  FeedLines = 99,           // empty lines after a ticket's end line, at least one
  KitchenMonitor = 107,     // switch: the order also goes to KitMonitor\ for a display

  // The order engine's buttons and totals.
  TableService = 39,         // switch: the dine-in commands (Send, Print Check, Done)
  BarButton = 47,            // switch
  UpChargeButton = 56,       // switch
  CouponButton = 61,         // switch: hidden at start-up, shown by the totals
  MoreButton = 69,           // on when it holds "Y"
  HideGiftCardButton = 81,   // switch
  HideDiscountButton = 82,   // switch
  HideMoreButton = 84,       // switch; wins over MoreButton
  HideTenderButton = 85,     // switch
  TaxDineInOnly = 111,       // switch: only a dine-in order is taxed
  TenderOff = 113,           // switch: Tender stays disabled after the totals
  ScanEntry = 114,           // switch: the Scan button and the UPC entry's focus
  UntotalledLRoutes = 119,   // not 0: "L" routes stay out of Label15's total
  CardAdvanceButton = 120,   // switch
  FewQuantityButtons = 137,  // not 0: quantity buttons 1 to 8 are hidden
};

// The field's number, as an administrator names it.
constexpr int FieldNumber(ConfigField f) { return static_cast<int>(f); }

// The station tickets "KITCHEN 3" to "KITCHEN 8".
inline constexpr int kStationPrinterCount = 6;
// The printer field of station ticket k (0 for "KITCHEN 3").
constexpr ConfigField StationPrinterField(int k) {
  return ConfigField{static_cast<int>(ConfigField::StationPrinters) + k};
}

}  // namespace korv
