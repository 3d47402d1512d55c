#include "qt/delayed_send_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <functional>

#include "qt/screen_text.h"
#include "qt/station_icons.h"

namespace korv {
namespace {

constexpr int kMinimized = 1;
constexpr int kMaximized = 2;

void Emphasize(QWidget& widget, double point_size, const char* color = nullptr) {
  QFont font = widget.font();
  font.setBold(true);
  if (point_size > 0) font.setPointSizeF(point_size);
  widget.setFont(font);
  if (color) widget.setStyleSheet(QString("color: %1;").arg(color));
}

// Picture1: the station's picture. A mouse button held while the pointer
// moves over it is the window's Picture1_MouseMove with the buttons as the
// platform numbers them (1 left, 2 right, 4 middle, added up); Qt reports a
// move over a widget without tracking only while a button is held.
class PictureArea : public QLabel {
 public:
  std::function<void(int)> on_mouse_move;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    const Qt::MouseButtons held = event->buttons();
    const int button = (held & Qt::LeftButton ? 1 : 0) + (held & Qt::RightButton ? 2 : 0) +
                       (held & Qt::MiddleButton ? 4 : 0);
    if (on_mouse_move) on_mouse_move(button);
    QLabel::mouseMoveEvent(event);
  }
};

}  // namespace

QtDelayedSendWindow::QtDelayedSendWindow(KORVdelayedSend1& window, QtLoop& loop)
    : window_(window),
      loop_(loop),
      icon_(StationIcon(window.Image1)),
      frame_(std::make_unique<WindowFrame>()),
      printers_(std::make_unique<QtPrintersWindow>(window, loop)),
      elements_(loop) {
  frame_->setObjectName("KORVdelayedSend1");
  frame_->setWindowTitle(FromCp1252(window.Caption));
  frame_->setWindowIcon(icon_);
  frame_->resize(820, 520);
  auto* layout = new QVBoxLayout(frame_.get());
  layout->addWidget(CreateHeader());
  layout->addWidget(elements_.CreateMultiColumnList(window.MList1, "MList1"), 1);
  layout->addWidget(CreateOrderView(), 1);
  layout->addWidget(CreateErrorView(), 1);
  layout->addWidget(CreateStateLine());
  layout->addLayout(CreateButtons());
  printers_->widget().setWindowIcon(icon_);
  CreateTray();
  frame_->on_close = [this] {
    Button& button = HasIcon() ? window_.SSCommand2 : window_.SSCommand1;
    loop_.Guard([&button] { button.Press(); });
  };
  window_.on_window_change = [this] { FollowWindowState(); };
}

QtDelayedSendWindow::~QtDelayedSendWindow() {
  window_.on_window_change = nullptr;
  window_.PopupMenu = nullptr;
  window_.StateLine.on_update = nullptr;
}

QWidget* QtDelayedSendWindow::CreateHeader() {
  auto* header = new QWidget;
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(CreatePicture());
  QLabel* title = elements_.CreateLabel(window_.Label1, "Label1");
  QLabel* count = elements_.CreateLabel(window_.Label2, "Label2");
  Emphasize(*title, 12);
  Emphasize(*count, 12);
  row->addWidget(title);
  row->addWidget(count);
  row->addSpacing(24);
  row->addWidget(elements_.CreateLabel(window_.Label7, "Label7"), 1);
  row->addWidget(elements_.CreateLabel(window_.Label6, "Label6"));
  row->addSpacing(12);
  row->addWidget(elements_.CreateLabel(window_.Label12, "Label12"));
  return header;
}

QLabel* QtDelayedSendWindow::CreatePicture() {
  auto* picture = new PictureArea;
  picture->setObjectName("Picture1");
  picture->setPixmap(icon_.pixmap(32, 32));
  picture->on_mouse_move = [this](int button) {
    loop_.Guard([this, button] { window_.Picture1_MouseMove(button); });
  };
  return picture;
}

QWidget* QtDelayedSendWindow::CreateOrderView() {
  QGroupBox* panel = elements_.CreatePanel(window_.SSPanel1, "SSPanel1");
  auto* layout = new QVBoxLayout(panel);
  layout->addWidget(CreateWarning(window_.Label5, "Label5"));
  auto* id_row = new QHBoxLayout;
  QLabel* order_type = elements_.CreateLabel(window_.Label4, "Label4");
  QLabel* order_id = elements_.CreateLabel(window_.Label3, "Label3");
  Emphasize(*order_type, 12);
  Emphasize(*order_id, 16);
  id_row->addWidget(order_type);
  id_row->addWidget(order_id);
  id_row->addStretch(1);
  layout->addLayout(id_row);
  auto* customer = new QGridLayout;
  customer->addWidget(elements_.CreateLabel(window_.Label9, "Label9"), 0, 0);
  customer->addWidget(elements_.CreateLabel(window_.Label11, "Label11"), 0, 1);
  customer->addWidget(elements_.CreateLabel(window_.Label10, "Label10"), 1, 0, 1, 2);
  layout->addLayout(customer);
  layout->addWidget(elements_.CreateMultiColumnList(window_.MList2, "MList2"), 1);
  layout->addLayout(CreatePanelButtons(
      {{&window_.SSCommand3, "SSCommand3"}, {&window_.SSCommand7, "SSCommand7"}}));
  return panel;
}

QWidget* QtDelayedSendWindow::CreateErrorView() {
  QGroupBox* panel = elements_.CreatePanel(window_.SSPanel2, "SSPanel2");
  auto* layout = new QVBoxLayout(panel);
  layout->addWidget(CreateWarning(window_.Label8, "Label8"));
  layout->addWidget(elements_.CreateRichTextBox(window_.RichTextBox1, "RichTextBox1"), 1);
  layout->addLayout(CreatePanelButtons(
      {{&window_.SSCommand5, "SSCommand5"}, {&window_.SSCommand6, "SSCommand6"}}));
  return panel;
}

// Bound here rather than as a plain label: hidden while empty (normal), and
// coloured by the state, which the window has set before the line changes.
QLabel* QtDelayedSendWindow::CreateStateLine() {
  auto* line = new QLabel;
  line->setObjectName("StateLine");
  line->setTextFormat(Qt::PlainText);
  line->setWordWrap(true);
  Emphasize(*line, 0);
  window_.StateLine.on_update = [this, line] {
    const std::string& words = window_.StateLine.Caption();
    line->setText(FromCp1252(words));
    line->setVisible(window_.StateLine.Visible() && !words.empty());
    const std::optional<StateColors> colors = StateColorsOf(HealthName(window_.State().health));
    line->setStyleSheet(colors ? QString("background: %1; color: %2; padding: 4px;")
                                     .arg(colors->background.name(), colors->text.name())
                               : QString());
  };
  window_.StateLine.on_update();
  return line;
}

QLabel* QtDelayedSendWindow::CreateWarning(Label& label, const char* name) {
  QLabel* warning = elements_.CreateLabel(label, name);
  Emphasize(*warning, 11, "#c00000");
  warning->setWordWrap(true);
  return warning;
}

QLayout* QtDelayedSendWindow::CreatePanelButtons(
    std::initializer_list<std::pair<Button*, const char*>> buttons) {
  auto* row = new QHBoxLayout;
  for (const auto& [button, name] : buttons) row->addWidget(elements_.CreateButton(*button, name));
  row->addStretch(1);
  return row;
}

QLayout* QtDelayedSendWindow::CreateButtons() {
  auto* row = new QHBoxLayout;
  row->addWidget(elements_.CreateButton(window_.SSCommand1, "SSCommand1"));
  row->addWidget(elements_.CreateButton(window_.SSCommand2, "SSCommand2"));
  row->addWidget(elements_.CreateButton(window_.SSCommand4, "SSCommand4"));
  row->addStretch(1);
  auto* printers = new QPushButton("Printers");
  printers->setObjectName("PrintersButton");
  printers->setAutoDefault(false);
  QObject::connect(printers, &QPushButton::clicked, [this] { printers_->Show(); });
  row->addWidget(printers);
  QPushButton* log = elements_.CreateButton(window_.SSCommand8, "SSCommand8");
  // Connected after the press: the viewer exists once the press has run.
  QObject::connect(log, &QPushButton::clicked, [this] { BindLogViewer(); });
  row->addWidget(log);
  return row;
}

void QtDelayedSendWindow::CreateTray() {
  menu_ = std::make_unique<QMenu>();
  menu_->setObjectName("TrayMenu");
  // Opening the menu is the icon's right click: the window's Tray_Menu hands
  // its entries to PopupMenu, which fills the menu being opened.
  QObject::connect(menu_.get(), &QMenu::aboutToShow, [this] {
    menu_opening_ = true;
    loop_.Guard([this] { window_.Tray.Menu(); });
    menu_opening_ = false;
  });
  window_.PopupMenu = [this](std::vector<KORVdelayedSend1::MenuEntry> entries) {
    FillMenu(entries);
    if (!menu_opening_) menu_->popup(QCursor::pos());
  };
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = std::make_unique<QSystemTrayIcon>(icon_);
  tray_->setContextMenu(menu_.get());
  QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason != QSystemTrayIcon::DoubleClick || !window_.Tray.Activate) return;
                     loop_.Guard(window_.Tray.Activate);
                   });
  station_tray_ = std::make_unique<StationTray>(window_.Tray, *tray_, icon_);
}

void QtDelayedSendWindow::FillMenu(const std::vector<KORVdelayedSend1::MenuEntry>& entries) {
  menu_->clear();
  for (const KORVdelayedSend1::MenuEntry& entry : entries) {
    QAction* action = menu_->addAction(FromCp1252(entry.caption));
    action->setEnabled(entry.enabled);
    QObject::connect(action, &QAction::triggered,
                     [this, click = entry.click] { loop_.Guard(click); });
  }
}

void QtDelayedSendWindow::BindLogViewer() {
  if (log_viewer_ || !window_.LogViewer()) return;
  log_viewer_ = std::make_unique<QtLogViewerWindow>(*window_.LogViewer(), loop_);
  log_viewer_->widget().setWindowIcon(icon_);
}

void QtDelayedSendWindow::FollowWindowState() {
  if (!window_.Visible) {
    if (HasIcon()) {
      frame_->hide();
    } else {
      frame_->showMinimized();
    }
    return;
  }
  if (window_.WindowState == kMinimized) {
    frame_->showMinimized();
  } else if (window_.WindowState == kMaximized) {
    frame_->showMaximized();
    frame_->raise();
    frame_->activateWindow();
  } else {
    frame_->showNormal();
  }
}

}  // namespace korv
