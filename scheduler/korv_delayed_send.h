#pragma once
// KORVdelayedSend1, the station's one visible window and its start-up
// object. Its procedures are defined across scheduler/:
//   startup.cc        Form_Load, ReadStationConfig, Form_Unload, Form_Terminate
//   pending_list.cc   UpdateList
//   dispatch.cc       Timer1_Timer
//   send_order.cc     the send of one due order, step by step
//   interrupted_sends.cc  the sends a crash or power cut interrupted
//   hand_off.cc       LoadOrderIntoEngine
//   order_viewer.cc   the operator's views and buttons
//   retention_pass.cc KeepWithinRetention

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/station.h"
#include "common/steps.h"
#include "engine/korv_main.h"
#include "logview/korv_trace_log.h"
#include "platform/files/kept_files.h"
#include "platform/mail/mail.h"
#include "platform/platform.h"
#include "platform/screen/elements.h"
#include "platform/screen/file_list.h"
#include "scheduler/order_claim.h"
#include "scheduler/orderfiles/turnover.h"
#include "scheduler/pending_order.h"
#include "scheduler/send_order.h"

namespace korv {

class KORVdelayedSend1 {
 public:
  // The log viewer mails through the station's mail settings (SmtpMail),
  // or through the given mail.
  KORVdelayedSend1(Station& station, Platform& platform, std::string version);
  KORVdelayedSend1(Station& station, Platform& platform, std::string version, Mail& mail);

  // Start-up. Returns false when the program must end at once (a second
  // copy), after the "Startup Error" box.
  bool Form_Load();
  void ReadStationConfig();
  // Why the station configuration cannot be used, as said in the error text;
  // empty once it has been read. While it is not, no folder is watched and
  // each pass reads the configuration again.
  const std::string& ConfigProblem() const { return config_problem_; }
  void Form_Unload();
  void Form_Terminate();

  // The pending orders, in the folder's order; MList1 and List1 show them,
  // and Label2 shows their count.
  const std::vector<PendingOrder>& PendingOrders() const { return pending_; }
  int PendingCount() const { return pending_count_; }

  void UpdateList();
  // The list brought up to the folder's current listing: rows of headers
  // that are gone are dropped and new headers are read, while rows of the
  // headers still there are kept as read. A send changes only the sent
  // order's files, so after a send this gives what a full rebuild gives
  // without reading every pending header again. look_at_headers: each kept
  // row's header is looked at too (one stat), and read again when it may
  // have changed since it was read, so a header another station rewrote in
  // place is seen.
  void RefreshList(bool look_at_headers = false);
  void Timer1_Timer();
  // Timer1_Timer under the station's guard: an error that escapes the pass
  // is said in the error text and the next pass is armed. Every tick runs
  // the pass through it, and so does the program's single pass (--once).
  void RunDispatchPass();
  void LoadOrderIntoEngine();
  // Finishes every send the station's journal holds unfinished (the station
  // was killed or lost its power in them), from where each stopped; a send
  // whose order cannot be reached now (PhoneOrders\ missing: the share is
  // down) waits, said in the error text, and its order is left alone. The
  // first call also clears what dead processes of this station left half
  // written in the folders it writes. Nothing happens while the station has
  // no configuration it can work from. The program calls it at start-up,
  // before its printers send, and every pass calls it first.
  void RecoverSends();

  // Loads the order engine hidden when it is not loaded.
  KorvMain& Engine();
  void UnloadEngine() { engine_.reset(); }
  bool EngineLoaded() const { return engine_ != nullptr; }

  const std::string Caption = "Kitchen Orders - Delayed  Send";

  // Timer1's intervals: the first pass after start-up, a pass a minute, and
  // the first pass after an operator's view is closed.
  static constexpr int kFirstPassMs = 500;
  static constexpr int kPassIntervalMs = 60000;
  static constexpr int kAfterViewMs = 30000;

  // Pending list and counts: views of the pending orders.
  FileListBox File1;
  MultiColumnList MList1;
  ListBox List1;  // order ids of the rows, as read
  Label Label1{"Pending Orders"};
  Label Label2{"0"};  // count of delayed header files
  Label Label6;       // TickCount
  Label Label7;       // progress text
  Label Label12;      // version
  Timer Timer1;
  TrayIcon Tray;
  std::string Image1 = "korv-delayed-send";

  // Error view.
  Button SSCommand4{"Error's"};
  Panel SSPanel2{"Error's "};
  Label Label8{"No Orders will be send while viewing error's"};
  RichTextBox RichTextBox1;
  Button SSCommand5{"Done"};
  Button SSCommand6{"Clear"};

  // Order view.
  Panel SSPanel1;
  Label Label5{"NO ORDERS WILL BE SENT while viewing this order. PLEASE PRESS DONE"};
  Label Label4{"Phone Order"};
  Label Label3{"DS111"};
  Label Label9, Label10, Label11;
  MultiColumnList MList2;
  Button SSCommand3{"Done"};
  Button SSCommand7{"Print"};

  // Window controls.
  Button SSCommand8{"Log"};
  Button SSCommand2{"Done"};
  Button SSCommand1{"End"};
  bool Visible = true;
  bool EndRequested = false;
  // Set by the program: true once it has been asked to end (a signal).
  std::function<bool()> EndSignalled;
  // Asked to end by End or by the program: no further order is begun, and a
  // send waiting for a shared counter stops (its journal finishes it at the
  // next start).
  bool Ending() const { return EndRequested || (EndSignalled && EndSignalled()); }

  // The operator's views and buttons (order_viewer.cc). While the order view
  // or the error view is open, ScreenMode is kScreenViewOpen and the timer is stopped, so
  // no order is sent; their Done buttons re-arm the timer for 30 s.
  void WireOperatorControls();  // connects the elements' clicks below
  void MList1_Click(int row);   // opens the order view of the row
  void SSCommand3_Click();      // Done: closes the order view
  void SSCommand7_Click();      // Print: the pre-print ticket and its log entry
  void SSCommand4_Click();      // Error's: opens the error view
  void SSCommand5_Click();      // Done: closes the error view
  void SSCommand6_Click();      // Clear: empties the error text
  void SSCommand8_Click();      // Log: shows the log viewer (not modal)
  void SSCommand2_Click();      // Done: hides the window to the notification area
  void SSCommand1_Click();      // End: asks the program to end (EndRequested)
  // A left or right button held over the picture (Button 1 or 2) brings the
  // window up.
  void Picture1_MouseMove(int Button);
  // The icon's activation: shows the window when hidden, hides it when shown.
  void Tray_Activate();

  // The icon's right-click menu as it stands: "Show" brings the window up;
  // "End Program" presses End, and is disabled while End is (error view).
  struct MenuEntry {
    std::string caption;
    bool enabled = true;
    std::function<void()> click;
  };
  std::vector<MenuEntry> TrayMenu();
  // Right click on the icon: hands TrayMenu() to PopupMenu, which a binding
  // sets to show the entries at the icon (headless: nothing is shown).
  void Tray_Menu();
  std::function<void(std::vector<MenuEntry>)> PopupMenu;

  // The log viewer window; null until the Log button first opens it, then
  // kept (unloaded and loaded again) for the life of this window.
  KorvTraceLOg* LogViewer() { return log_viewer_.get(); }

  int MousePointer = kDefaultPointer;
  int WindowState = 0;                     // 0 normal, 1 minimised, 2 maximised
  std::function<void()> on_window_change;  // set by a binding: Visible or WindowState changed

  Station& station() { return station_; }
  Platform& platform() { return platform_; }

 private:
  // The pending orders and their views (pending_list.cc): every change of
  // the orders goes through these, so the views never differ from them.
  void ClearPending();
  void AddPending(PendingOrder order);
  void RemovePending(int index);
  void ShowPendingCount(int count);
  std::filesystem::path PendingFolder() const;  // File1's folder on this machine
  bool ReadPending(const std::filesystem::path& folder, const std::string& file_name);
  std::vector<bool> RowsThatHold(const std::filesystem::path& folder) const;
  bool PassHeaderBy(const std::string& why);  // about the header at WorkPath; false
  bool SameNamesAsListed() const;
  std::vector<std::string> PendingIds() const;  // each header's order id, as read
  bool DropGoneRows();
  // The dispatch pass in its steps (dispatch.cc).
  void SendDueOrders();
  int TopOfPass(bool first_of_tick);
  const PendingOrder* FindDueOrder();
  bool IsDue(const PendingOrder& order);
  bool SendOrder(const PendingOrder& order);
  bool TakeClaim(const std::string& id);
  bool LinesMissing(const std::string& id, std::optional<FileRead>* lines_read,
                    std::vector<std::string>* rows);
  bool PrintersMissing(const std::string& id, const std::vector<std::string>& rows);
  void EndOfPass();
  // Once a day: the files the station writes, kept within its retention
  // (retention.h); what is removed is said, what cannot be is an error.
  void KeepWithinRetention();
  // The send of one claimed order in its steps, in the order they run
  // (send_order.h).
  void SendClaimedOrder(const std::string& id, const std::optional<FileRead>& lines_read);
  void ResumeSend(std::unique_ptr<SendJournal> journal);
  void RunSend(OrderSend& send);
  DelayedOrderTurnOver TurnOver();
  OrderSend StartSend(const std::string& id, const std::optional<FileRead>& lines_read);
  void ArchiveLines(const OrderSend& send);
  void Recorded(const std::string& what, const std::function<void()>& step);
  bool DrawPhoneInNumber(OrderSend& send);  // false: the order stays pending
  void CopyToPhoneOrder(OrderSend& send);
  void DeleteDelayedPair(OrderSend& send);
  std::string DeleteBegunFiles(const SendBeginning& b);  // why the header stays
  void SayHeaderLeft(const SendJournal& journal, const std::string& why);
  void RewriteOrderId(OrderSend& send);
  void LogSent(const OrderSend& send);
  void AppendLogOnce(const OrderSend& send, const std::vector<std::string>& lines);
  void ArchiveHeader(const OrderSend& send);
  void TakeCustomer(OrderSend& send);
  void SayUnknownCustomer(const OrderSend& send);
  void ReadCustomerOfSend(const OrderSend& send);
  void HandToEngine(const OrderSend& send);
  void AwaitSent(const OrderSend& send);
  void UnloadAndClear();
  void EndSend(const OrderSend& send);
  void HaltSend(const OrderSend& send, const StepsHalted& halted);
  // The sends a crash interrupted (interrupted_sends.cc).
  void RecoverSend(const std::string& journal_path);
  bool TakeBackOrder(const SendJournal& journal);
  void RemoveCopies(const SendJournal& journal);
  void LeftHeader(SendJournal& journal);
  void ClearTemporaries();
  void SetTipText(int count);
  // Adds a line to the error text, shows the error button and says the line
  // on the status service; each distinct message only once per run, so a
  // fault met every minute is said once. A message names the file or the
  // order it is about; control bytes it quotes from a file are shown escaped.
  void ReportError(const std::string& message, bool once = true);

  Station& station_;
  Platform& platform_;
  std::string version_;
  // The order engine sees the time of the send under way, held (send_order.h).
  HeldClock send_clock_;
  Platform engine_platform_;
  std::unique_ptr<KorvMain> engine_;
  bool temporaries_cleared_ = false;
  KeptFiles engine_files_;  // configuration and menu as the engines read them
  OrderClaim claim_;
  std::string config_problem_;
  std::set<std::string> reported_;
  std::set<std::string> passed_by_;    // ids this pass leaves alone
  bool pass_halted_ = false;           // a send halted on a file every send needs
  std::optional<Date> retention_day_;  // the day KeepWithinRetention last ran
  std::vector<PendingOrder> pending_;
  int pending_count_ = 0;  // the count Label2 shows: the delayed header files last counted

  // Operator's views (order_viewer.cc).
  void SetWindow(int state, bool visible);
  void PrintPrePrint();
  std::string ViewedOrderGone() const;
  Mail& mail();
  Mail* mail_ = nullptr;            // given to the constructor, else own_mail_
  std::unique_ptr<Mail> own_mail_;  // made at the first mail
  std::unique_ptr<KorvTraceLOg> log_viewer_;
  std::string viewed_order_key_;                  // the order on view
  std::string viewed_header_path_;                // its header, named in the printed entry
  std::optional<FileStamp> viewed_header_stamp_;  // that header as viewed
};

}  // namespace korv
