#pragma once
// KORVdelayedSend1, the station's one visible window and its start-up
// object: a view of the dispatch pass (dispatch_pass.h), which owns the
// pending orders and runs the sends (send_transaction.h) through the order
// engine (engine_hand_off.h). The window shows what the pass tells it and
// forwards its timer and its list procedures to it. Its procedures:
//   korv_delayed_send.cc  the window's views of the pass, Timer1_Timer
//   startup.cc        Form_Load, ReadStationConfig, Form_Unload, Form_Terminate
//   order_viewer.cc   the operator's views and buttons

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/station.h"
#include "logview/korv_trace_log.h"
#include "platform/mail/mail.h"
#include "platform/platform.h"
#include "platform/screen/elements.h"
#include "platform/screen/file_list.h"
#include "scheduler/dispatch_pass.h"
#include "scheduler/engine_hand_off.h"
#include "scheduler/pending_order.h"
#include "scheduler/send_transaction.h"
#include "scheduler/station_state_file.h"
#include "scheduler/station_watch.h"

namespace korv {

class KORVdelayedSend1 : private PassObserver, private StationWatchListener {
  // Made before the elements, which show them (File1 is the pass's listing).
  Station& station_;
  Platform& platform_;
  std::string version_;
  DispatchPass pass_;
  EngineHandOff engine_;
  SendTransaction send_;
  StationWatch watch_;
  StationStateFile state_file_;

 public:
  // The log viewer mails through the station's mail settings (SmtpMail),
  // or through the given mail.
  KORVdelayedSend1(Station& station, Platform& platform, std::string version);
  KORVdelayedSend1(Station& station, Platform& platform, std::string version, Mail& mail);

  // Start-up. Returns false when the program must end at once (a second
  // copy), after the "Startup Error" box.
  bool Form_Load();
  void ReadStationConfig() { pass_.ReadStationConfig(); }
  // Why the station configuration cannot be used, as said in the error text;
  // empty once it has been read. While it is not, no folder is watched and
  // each pass reads the configuration again.
  const std::string& ConfigProblem() const { return pass_.ConfigProblem(); }
  void Form_Unload();
  void Form_Terminate();

  // The pending orders, in the folder's order; MList1 and List1 show them,
  // and Label2 shows their count.
  const std::vector<PendingOrder>& PendingOrders() const { return pass_.PendingOrders(); }
  int PendingCount() const { return pass_.PendingCount(); }
  void UpdateList() { pass_.UpdateList(); }
  void RefreshList(bool look_at_headers = false) { pass_.RefreshList(look_at_headers); }
  // The dispatch pass.
  void Timer1_Timer() { pass_.Run(); }
  // Timer1_Timer under the station's guard: an error that escapes the pass
  // is said in the error text and the next pass is armed. Every tick runs
  // the pass through it, and so does the program's single pass (--once).
  void RunDispatchPass();
  // Finishes every send the station's journal holds unfinished; the program
  // calls it at start-up, before its printers send, and every pass calls it
  // first (SendTransaction::RecoverSends).
  void RecoverSends() { pass_.RecoverSends(); }
  bool EngineLoaded() const { return engine_.Loaded(); }
  DispatchPass& Pass() { return pass_; }
  // The station's state after the last pass: the icon, its tip and
  // StateLine show it.
  const StationState& State() const { return watch_.State(); }
  StationWatch& Watch() { return watch_; }
  // The operator's "send now" for the tickets printers hold (a printer
  // mended): each printer tries them at once, and the next pass, which looks
  // at the printers again, comes kAfterRetryMs later, unless the timer is
  // stopped (a pass under way or a view open: they arm it themselves).
  void SendHeldTicketsNow();
  static constexpr int kAfterRetryMs = 5000;

  const std::string Caption = "Kitchen Orders - Delayed  Send";

  // Timer1's intervals: the first pass after start-up, a pass a minute, and
  // the first pass after an operator's view is closed.
  static constexpr int kFirstPassMs = 500;
  static constexpr int kPassIntervalMs = 60000;
  static constexpr int kAfterViewMs = 30000;
  // A send time names a minute, so the pass of each minute comes just after
  // the minute turns (this long after it, to this long and a second): an
  // order goes out within seconds of falling due rather than up to a minute
  // behind, and a timer that fires a little early still finds the new
  // minute. Still one pass a minute.
  static constexpr int kPastTheMinuteMs = 1000;
  // The interval from now to the next minute's pass.
  int MsToNextMinutesPass() const;

  // Pending list and counts: views of the pending orders.
  FileListBox& File1;
  MultiColumnList MList1;
  ListBox List1;  // order ids of the rows, as read
  Label Label1{"Pending Orders"};
  Label Label2{"0"};  // count of delayed header files
  Label Label6;       // TickCount
  Label Label7;       // progress text
  Label Label12;      // version
  Label StateLine;    // the station's state in words, below the list
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
  // End: asks the program to end (EndRequested); when orders are due within
  // the hour, a send is under way or printers hold tickets, only once the
  // operator has been told what would wait and still wants to end.
  void SSCommand1_Click();
  // What would wait if the program ended now, a line each; none: nothing.
  std::vector<std::string> WhatWouldWait() const;
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
  // The pass's news, shown in the elements (korv_delayed_send.cc).
  void RowsCleared() override;
  void RowAdded(const PendingOrder& order) override;
  void RowRemoved(int index) override;
  void Counted(int count) override;
  void Updating(bool updating) override;
  void Listed(int count) override;
  void Ticked(int tick_count) override;
  void Progress(const std::string& text) override;
  void FaultSaid(const std::string& message) override;
  void Busy() override;
  void PassEnded() override;
  // The watch's news: the icon's state and notifications, the state line.
  void ConditionBegan(const Condition& condition) override;
  void ConditionEnded(const Condition& condition) override;
  void StateChanged(const StationState& state) override;
  void SetTipText(int count);
  bool passing_ = false;  // a pass is under way (it lets window events run)
  // Says a fault through the pass: in the error text, once a run.
  void ReportError(const std::string& message, bool once = true) { pass_.Say(message, once); }
  std::vector<std::string> PendingIds() const;        // each header's order id, as read
  std::optional<std::string> caption_before_update_;  // MList1's, while the rows are read

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
