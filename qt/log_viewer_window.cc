#include "qt/log_viewer_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "qt/screen_text.h"

namespace korv {

QtLogViewerWindow::QtLogViewerWindow(KorvTraceLOg& viewer, QtLoop& loop)
    : viewer_(viewer), frame_(std::make_unique<WindowFrame>()), elements_(loop) {
  frame_->setObjectName("KorvTraceLOg");
  frame_->setWindowTitle(FromCp1252(viewer.Caption));
  frame_->resize(640, 480);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(elements_.CreateButton(viewer.SSCommand1, "SSCommand1"));
  buttons->addWidget(elements_.CreateButton(viewer.SSCommand2, "SSCommand2"));
  buttons->addStretch(1);
  buttons->addWidget(elements_.CreateButton(viewer.SSCommand3, "SSCommand3"));
  auto* layout = new QVBoxLayout(frame_.get());
  layout->addWidget(elements_.CreateRichTextBox(viewer.RichTextBox1, "RichTextBox1"), 1);
  layout->addLayout(buttons);
  frame_->on_close = [this, &loop] { loop.Guard([this] { viewer_.SSCommand1.Press(); }); };
  viewer_.on_window_change = [this] { FollowVisible(); };
  FollowVisible();
}

QtLogViewerWindow::~QtLogViewerWindow() { viewer_.on_window_change = nullptr; }

void QtLogViewerWindow::FollowVisible() {
  if (!viewer_.Visible) {
    frame_->hide();
    return;
  }
  frame_->show();
  frame_->raise();
  frame_->activateWindow();
}

}  // namespace korv
