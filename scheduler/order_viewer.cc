// The operator's views on the scheduler window: the order view of a pending
// order with its pre-print ticket, the error view, the log viewer, and the
// window's hiding to the notification area.
//
// The order on view is kept in members of its own, not in the module values
// PioNumber, PioNumberText and OrderKey: a view can be opened while a send is
// under way (the send lets window events run), and those values belong to
// that send until it has finished.

#include <vector>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"
#include "engine/order_line.h"
#include "platform/mail/smtp_mail.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/header_file.h"
#include "scheduler/orderfiles/line_file.h"

namespace korv {
namespace {

constexpr int kMinimized = 1;
constexpr int kMaximized = 2;
const char kTicketRule[] = "_________________________________";

struct TicketLine {
  double size;
  std::string text;
};

// "qty  item name" from an order line row; a row without separators prints
// as it is.
std::string PrePrintItem(const std::string& row) {
  return OrderLineField(row, 1).value_or(row) + "  " + OrderLineField(row, 2).value_or("");
}

// The pre-print ticket, printed in the printer's current font at these sizes.
std::vector<TicketLine> PrePrintTicket(const std::string& name, const std::string& phone,
                                       const std::string& send_on, const MultiColumnList& lines,
                                       const std::string& order_type, const std::string& order_id,
                                       const Date& today) {
  std::vector<TicketLine> ticket;
  auto add = [&ticket](double size, std::string text) {
    ticket.push_back({size, std::move(text)});
  };
  add(18, "  KITCHEN ORDER");
  add(10, "=================================");
  add(24, "DELAYED SEND");
  add(24, "   PRE-PRINT");
  add(10, kTicketRule);
  add(10, name);
  add(10, phone);
  add(10, send_on);
  add(10, kTicketRule);
  add(10, "");
  for (int i = 0; i < lines.Count(); ++i) add(10, PrePrintItem(lines.Item(i)));
  add(10, "");
  add(10, kTicketRule);
  add(12, order_type);
  add(28, order_id);
  add(8, "Order number will change when sent");
  add(12, "End Order");
  add(10, "Printed on " + FormatMMDDYYYY(today));
  add(10, "");
  return ticket;
}

}  // namespace

void KORVdelayedSend1::WireOperatorControls() {
  MList1.RowClick = [this](int row) { MList1_Click(row); };
  SSCommand3.Click = [this] { SSCommand3_Click(); };
  SSCommand7.Click = [this] { SSCommand7_Click(); };
  SSCommand4.Click = [this] { SSCommand4_Click(); };
  SSCommand5.Click = [this] { SSCommand5_Click(); };
  SSCommand6.Click = [this] { SSCommand6_Click(); };
  SSCommand8.Click = [this] { SSCommand8_Click(); };
  SSCommand2.Click = [this] { SSCommand2_Click(); };
  SSCommand1.Click = [this] { SSCommand1_Click(); };
  Tray.Activate = [this] { Tray_Activate(); };
  Tray.Menu = [this] { Tray_Menu(); };
}

// Done and End of the window (and so the title bar's close) wait until the
// view is closed, as with the error view: hidden or ended with the view open,
// the station would send nothing until someone found the view again.
void KORVdelayedSend1::MList1_Click(int row) {
  Timer1.SetInterval(0);
  station_.ScreenMode = kScreenViewOpen;
  for (Button* b : {&SSCommand2, &SSCommand1}) b->SetEnabled(false);
  // From here every failing step is passed over: the view shows what it can.
  Steps skip = Steps::Skip();
  FileSystem& files = platform_.files;
  const std::string& root = station_.DataRoot;
  MousePointer = kHourglass;
  viewed_order_key_.clear();
  viewed_header_path_.clear();
  viewed_header_stamp_.reset();
  skip([&] {
    MList1.SetListIndex(row);
    viewed_order_key_ = PendingOrders().at(row).id;
  });
  Label3.SetCaption(viewed_order_key_);
  SSPanel1.SetVisible(true);
  SSCommand3.SetVisible(true);
  MList1.SetVisible(false);
  MList2.Clear();
  skip([&] {
    station_.WorkPath = DelayedLinesPath(root, viewed_order_key_);
    if (!files.Exists(station_.WorkPath)) return;
    for (std::string& line : ReadLineRows(files, station_.WorkPath)) MList2.AddItem(line);
  });
  OrderHeader header;
  bool have_header = false;
  skip([&] {
    station_.WorkPath = viewed_header_path_ = DelayedHeaderPath(root, viewed_order_key_);
    viewed_header_stamp_ = files.Stamp(station_.WorkPath);
    if (!files.Exists(station_.WorkPath)) return;
    header = ReadHeader(files, station_.WorkPath);
    have_header = true;
    Label9.SetCaption(header.customer_name);
    Label10.SetCaption("Send on " + header.send_date + " at " + header.send_time);
    Label11.SetCaption(header.phone);
  });
  if (have_header) {
    skip([&] {
      AppendLogEntry(files, DelayedSendLogPath(root, platform_.clock.Today()),
                     DisplayedLogEntry(viewed_header_path_, header.send_date, header.send_time,
                                       header.customer_name, viewed_order_key_,
                                       platform_.clock.Now(), PendingIds()));
    });
  }
  // The order engine is loaded only while a send runs, and that send unloads
  // it; unloading it here would pull the order from under the send.
  MousePointer = kDefaultPointer;
}

void KORVdelayedSend1::SSCommand3_Click() {
  SSPanel1.SetVisible(false);
  for (Button* b : {&SSCommand2, &SSCommand1}) b->SetEnabled(true);
  MList1.SetVisible(true);
  Timer1.SetInterval(kAfterViewMs);
  station_.ScreenMode = kScreenOrderViewClosed;
  MList2.Clear();
  for (Label* label : {&Label9, &Label10, &Label11, &Label3}) label->SetCaption("");
  viewed_order_key_.clear();
  viewed_header_path_.clear();
  viewed_header_stamp_.reset();
}

void KORVdelayedSend1::SSCommand7_Click() {
  SSCommand7.SetEnabled(false);
  SSCommand3.SetEnabled(false);
  platform_.loop.DoEvents();
  MousePointer = kHourglass;
  PrintPrePrint();
  SSCommand7.SetEnabled(true);
  SSCommand3.SetEnabled(true);
  MousePointer = kDefaultPointer;
}

// Why the order on view is no longer the pending order it showed: a pass
// may have sent it since the view opened (a send lets window events run),
// or another station changed it. Empty while it is.
std::string KORVdelayedSend1::ViewedOrderGone() const {
  if (viewed_header_path_.empty()) return {};
  const FileSystem& files = platform_.files;
  std::string journal;
  Steps::Skip()([&] { journal = SendJournalPath(station_.LocalRoot, viewed_order_key_); });
  if (!files.Exists(viewed_header_path_) || (!journal.empty() && files.Exists(journal)))
    return "it has been sent, or is being sent, since it was opened";
  if (files.Stamp(viewed_header_path_) != viewed_header_stamp_)
    return "it has been changed since it was opened; open it again";
  return {};
}

void KORVdelayedSend1::PrintPrePrint() {
  if (const std::string gone = ViewedOrderGone(); !gone.empty()) {
    platform_.boxes.Show(
        "The pre-print of order " + viewed_order_key_ + " was not printed: " + gone, "Print",
        BoxIcon::kExclamation, BoxButtons::kOk);
    return;
  }
  const Date today = platform_.clock.Today();
  const std::vector<TicketLine> ticket =
      PrePrintTicket(Label9.Caption(), Label11.Caption(), Label10.Caption(), MList2,
                     Label4.Caption(), Label3.Caption(), today);
  PrintService& printer = platform_.printer;
  try {
    for (const TicketLine& line : ticket) {
      printer.SetFontSize(line.size);
      if (line.text.empty()) {
        printer.PrintLine();
      } else {
        printer.PrintLine({line.text});
      }
    }
    printer.EndDoc();
  } catch (const std::exception& e) {
    // The log says "printed" only of a ticket that went to the printer.
    platform_.boxes.Show("The pre-print of order " + viewed_order_key_ +
                             " was not printed: " + AsRuntimeError(e).description(),
                         "Print", BoxIcon::kExclamation, BoxButtons::kOk);
    return;
  }
  Steps::Skip()([&] {
    AppendLogEntry(platform_.files, DelayedSendLogPath(station_.DataRoot, today),
                   PrintedLogEntry(viewed_header_path_, viewed_order_key_, platform_.clock.Now()));
  });
}

void KORVdelayedSend1::SSCommand4_Click() {
  Timer1.SetInterval(0);
  station_.ScreenMode = kScreenViewOpen;
  for (Button* b : {&SSCommand2, &SSCommand1, &SSCommand4}) b->SetEnabled(false);
  SSPanel1.SetVisible(false);
  MList1.SetVisible(false);
  SSPanel2.SetVisible(true);
}

void KORVdelayedSend1::SSCommand5_Click() {
  SSPanel1.SetVisible(false);
  SSPanel2.SetVisible(false);
  for (Button* b : {&SSCommand2, &SSCommand1, &SSCommand4}) b->SetEnabled(true);
  MList1.SetVisible(true);
  Timer1.SetInterval(kAfterViewMs);
  station_.ScreenMode = kScreenErrorViewClosed;
}

// The error button stays visible: the errors happened, even once read.
void KORVdelayedSend1::SSCommand6_Click() { RichTextBox1.SetText(""); }

void KORVdelayedSend1::SSCommand8_Click() {
  if (!log_viewer_) log_viewer_ = std::make_unique<KorvTraceLOg>(station_, platform_, mail());
  log_viewer_->Show();
}

void KORVdelayedSend1::SSCommand2_Click() {
  SetWindow(kMinimized, Visible);
  platform_.loop.DoEvents();
  SetWindow(kMinimized, false);
}

void KORVdelayedSend1::SSCommand1_Click() {
  const std::vector<std::string> waiting = WhatWouldWait();
  if (!waiting.empty()) {
    std::string text = "If the program ends now, these wait until it is started again:\r";
    for (const std::string& line : waiting) text += "\r  " + line;
    text += "\r\rEnd the program?";
    if (platform_.boxes.Show(text, "End Delayed Send", BoxIcon::kQuestion, BoxButtons::kYesNo) !=
        BoxAnswer::kYes)
      return;
  }
  EndRequested = true;
}

void KORVdelayedSend1::Picture1_MouseMove(int Button) {
  if (Button == 1 || Button == 2) SetWindow(kMaximized, true);
}

void KORVdelayedSend1::Tray_Activate() { SetWindow(kMaximized, !Visible); }

std::vector<KORVdelayedSend1::MenuEntry> KORVdelayedSend1::TrayMenu() {
  return {
      {"Show", true, [this] { SetWindow(kMaximized, true); }},
      {"End Program", SSCommand1.Visible() && SSCommand1.Enabled(), [this] { SSCommand1.Press(); }},
  };
}

void KORVdelayedSend1::Tray_Menu() {
  if (PopupMenu) PopupMenu(TrayMenu());
}

void KORVdelayedSend1::SetWindow(int state, bool visible) {
  WindowState = state;
  Visible = visible;
  if (on_window_change) on_window_change();
}

Mail& KORVdelayedSend1::mail() {
  if (mail_) return *mail_;
  if (!own_mail_) own_mail_ = std::make_unique<SmtpMail>(platform_.files);
  return *own_mail_;
}

}  // namespace korv
