#pragma once
// KorvTraceLOg, the log viewer window: shows this month's delayed-send log,
// and looks after the station's trace log c:\Korvain\TraceLog.txt (empties
// it, or mails it to technical support).
//
// The window object lives as long as its owner; unloading it (Done) only
// marks it unloaded, and the next Show loads it afresh from its designed
// state, so a binding may keep pointers to its elements.

#include <functional>
#include <string>

#include "common/station.h"
#include "platform/mail/mail.h"
#include "platform/platform.h"
#include "platform/screen/elements.h"

namespace korv {

inline constexpr char kTraceLogPath[] = "c:\\Korvain\\TraceLog.txt";
inline constexpr char kTraceLogSubject[] = "Trace Log File";
inline constexpr char kTraceLogNote[] = "Attached please find the Tender Trace Log File";

class KorvTraceLOg {
 public:
  KorvTraceLOg(Station& station, Platform& platform, Mail& mail);

  // Loads the window when it is not loaded (Form_Load runs), then shows it.
  // Showing a loaded window again leaves its text as it is.
  void Show();
  bool Loaded() const { return loaded_; }

  // Shows this month's delayed-send log as stored (quotes and line ends
  // included), creating the month's file empty when it is missing. A log
  // that cannot be read leaves the box empty and says why in a message box.
  void Form_Load();
  // Done: unloads the window.
  void SSCommand1_Click();
  // Empty: truncates the trace log and shows it (empty). The delayed-send log
  // is not touched.
  void SSCommand2_Click();
  // Mails the trace log to the support address of the mail settings. Any
  // failure is passed over silently; the button stays disabled until the
  // window is loaded again, so one opening sends at most one mail.
  void SSCommand3_Click();

  const std::string Caption = "Delayed Send Log Viewer";
  RichTextBox RichTextBox1;
  Button SSCommand1{"Done"};
  Button SSCommand2{"Empty"};
  Button SSCommand3{"Email to Tech support"};
  bool Visible = false;
  int MousePointer = kDefaultPointer;
  std::function<void()> on_window_change;  // set by a binding: Visible changed

 private:
  void SetVisible(bool visible);
  // Runs prepare, then puts the file into the box as plain text. A failure
  // empties the box and is told in a message box.
  void ShowFile(const std::string& path, const std::function<void()>& prepare);

  Station& station_;
  Platform& platform_;
  Mail& mail_;
  bool loaded_ = false;
};

}  // namespace korv
