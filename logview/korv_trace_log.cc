#include "logview/korv_trace_log.h"

#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/steps.h"

namespace korv {

KorvTraceLOg::KorvTraceLOg(Station& station, Platform& platform, Mail& mail)
    : station_(station), platform_(platform), mail_(mail) {
  SSCommand1.Click = [this] { SSCommand1_Click(); };
  SSCommand2.Click = [this] { SSCommand2_Click(); };
  SSCommand3.Click = [this] { SSCommand3_Click(); };
}

void KorvTraceLOg::Show() {
  if (!loaded_) {
    // A fresh load starts from the window as designed.
    RichTextBox1.SetText("");
    SSCommand3.SetEnabled(true);
    MousePointer = kDefaultPointer;
    loaded_ = true;
    Form_Load();
  }
  SetVisible(true);
}

void KorvTraceLOg::Form_Load() {
  FileSystem& files = platform_.files;
  const std::string path = DelayedSendLogPath(station_.DataRoot, platform_.clock.Today());
  ShowFile(path, [&] {
    // Appending creates the file without emptying one another station has
    // just made.
    if (!files.Exists(path)) files.Close(files.Open(path, OpenMode::kAppend));
    files.CloseAll();
  });
}

void KorvTraceLOg::SSCommand1_Click() {
  loaded_ = false;
  SetVisible(false);
}

void KorvTraceLOg::SSCommand2_Click() {
  FileSystem& files = platform_.files;
  ShowFile(kTraceLogPath, [&] {
    files.Open(kTraceLogPath, OpenMode::kOutput);
    files.CloseAll();
  });
}

// A mail that fails leaves the window as it is, with no box; why it failed
// goes to standard error, where an administrator looks.
void KorvTraceLOg::SSCommand3_Click() {
  SSCommand3.SetEnabled(false);
  MousePointer = kHourglass;
  try {
    mail_.Send(MailMessage{mail_.SupportAddress(), kTraceLogSubject, kTraceLogNote, kTraceLogPath});
  } catch (const std::exception& e) {
    platform_.status.Say(
        "korv-delayed-send: the trace log " + std::string(kTraceLogPath) +
        " was not mailed to technical support: " + AsRuntimeError(e).description());
  }
  platform_.loop.DoEvents();
  MousePointer = kDefaultPointer;
}

void KorvTraceLOg::SetVisible(bool visible) {
  Visible = visible;
  if (on_window_change) on_window_change();
}

void KorvTraceLOg::ShowFile(const std::string& path, const std::function<void()>& prepare) {
  try {
    prepare();
    RichTextBox1.SetText(platform_.files.ReadFileText(path));
  } catch (const std::exception& e) {
    platform_.files.CloseAll();
    RichTextBox1.SetText("");
    platform_.boxes.Show(path + " cannot be shown: " + AsRuntimeError(e).description(), Caption,
                         BoxIcon::kExclamation, BoxButtons::kOk);
  }
}

}  // namespace korv
