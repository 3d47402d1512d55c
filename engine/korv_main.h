#pragma once
// KorvMain, the order engine window. It is loaded hidden for each delayed
// order the station sends and unloaded afterwards; its elements hold the
// order's lines, totals and ticket buffers. Its procedures are defined in the
// folders of the subsystems they belong to, each folder above the one before:
//   engine/      Form_Load, CalcTotal, Label7_Change, fill_buttons, Load_Data,
//                the quantity buttons SSCommand4_Click and Reset_Quanity
//   completion/  SSCommand11_Click
//   kitchen/     SSCommand9_Click and the ticket, counter and archive procedures
// A procedure calls only procedures of its own folder or of a folder before it.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/runtime_error.h"
#include "common/station.h"
#include "engine/send_ledger.h"
#include "platform/platform.h"
#include "platform/screen/elements.h"

namespace korv {

class KeptFiles;

class KorvMain {
 public:
  // kept: the configuration and menu files as a station keeps them between
  // loads, read again only when they changed; without it every load reads
  // them all.
  KorvMain(Station& station, Platform& platform, KeptFiles* kept = nullptr);

  // Loads the window without showing it: runs Form_Load once.
  void Load();
  bool Loaded() const { return loaded_; }

  // engine/
  void Form_Load();
  void CalcTotal();
  void Label7_Change();
  void fill_buttons();
  void Load_Data();
  void SSCommand4_Click(int Index);
  void Reset_Quanity();

  // completion/
  void SSCommand11_Click();

  // kitchen/
  void SSCommand9_Click();
  void GetKOrderNumber();
  void GetBar_OrderNumb();
  // Under a send's journal, when a bar ticket follows: the kitchen number,
  // and the bar number beside it.
  void DrawBarBesideKitchen();
  // Rewrites KOrdNumb.dat as "500", today, "0" after an unexpected send error.
  void ResetKitchenCounter();
  std::string RepairKitchenCounter(const std::string& path, const RuntimeError& damage);
  void Cut_Paper();
  void Set_Printer();
  void Print_Kit3();
  void Print_Kit2();
  void PrintKitchenTicket();
  void PrintBarTicket();
  void Save_Receipt();

  // The order line list and the hidden work lists.
  MultiColumnList MList1;  // OrderLineList
  MultiColumnList MList2;  // course copy of the kitchen lines
  ListBox List1, List2, List3, List4;
  ListBox List6, List7, List8, List9, List10, List11;  // KITCHEN 3 .. KITCHEN 8

  // Totals and order state (captions are the store).
  Label Lnet{"0"}, Ltax{"0"}, Ltotal{"0"};
  Label Label2{"0.00"};     // displayed total
  Label Label4{"1"};        // quantity for the next line
  Label Label5;             // line amount of the last row scanned
  Label Label7{"Dine In"};  // order type
  Label Label11;            // customer name
  Label Label12;            // server name
  Label Label15{"0"};

  Panel SSPanel1{"Dine In"};  // order type, shown large
  Panel SSPanel2;             // "Happy Hour"
  Panel SSPanel3;             // status panel with the credit line
  Panel SSPanel4;             // "sending"

  Button SSCommand1{"Tender"};
  std::array<Button, 12> SSCommand2;  // category buttons
  std::array<Button, 10> SSCommand4;  // quantity buttons 1 .. 10
  std::array<Button, 5> SSCommand8;   // quick item buttons
  Button SSCommand9{"Send"};
  Button SSCommand10{"Print Check"};
  Button SSCommand11{"Done"};
  Button SSCommand12, SSCommand13{"BAR"}, SSCommand14{"Split Check"}, SSCommand15;
  Button SSCommand16{"Sell Gift Card"}, SSCommand17{"Coupon"}, SSCommand18{"Discount"};
  Button SSCommand19{"UP Chg"}, SSCommand20{"MORE"}, SSCommand23{"Scan"};
  Button SSCommand24, SSCommand25{"CC adv"}, SSCommand27{"Send Later"};

  TextBox Text1;  // UPC entry box
  TextBox Text4;  // buffer of the archive text
  Timer Timer1;
  int MousePointer = 0;
  bool Visible = false;  // the engine window is never shown

  // The focus request of the hidden window fails with error 5, as it does on
  // the original platform; callers run it as a step that may be skipped.
  void FocusText1() {
    if (!Visible) throw RuntimeError(kErrInvalidCall);
    Text1.SetFocus();
  }

  Station& station() { return station_; }
  Platform& platform() { return platform_; }

  // The journal of the send the engine works for; null for none (the
  // numbers are then drawn as always).
  void SetLedger(SendLedger* ledger) { ledger_ = ledger; }
  bool UnderJournal() const { return ledger_ != nullptr; }
  std::optional<std::string> Kept(std::string_view name) const {
    return ledger_ ? ledger_->Kept(name) : std::nullopt;
  }
  void Keep(std::string_view name, const std::string& value) {
    if (ledger_) ledger_->Keep(name, value);
  }

  // What the window that sends through the engine lends it: where a problem
  // the operator must see is said (that window's error text), and whether
  // the station has been asked to end. Unset, a problem is said on the
  // status service and the station is never ending.
  std::function<void(const std::string&)> ReportProblem;
  std::function<bool()> EndAsked;
  void Report(const std::string& message);
  bool Ending() const { return EndAsked && EndAsked(); }
  // A file of the completed order: where, whether it is only a record of
  // the order, and what is written into it once it is open and locked.
  struct SavedFile {
    std::string path;
    bool record = false;
    std::function<void(FileSystem&, int)> write;
  };
  // Writes the files of the completed order (order_completion.cc).
  void SaveFiles(const std::vector<SavedFile>& saves);

 private:
  // The records of a menu button file (menu_buttons.cc).
  std::vector<ButtonRecord> MenuRecords(const std::string& path, int count);

  Station& station_;
  Platform& platform_;
  SendLedger* ledger_ = nullptr;
  KeptFiles* kept_;
  bool loaded_ = false;
};

}  // namespace korv
