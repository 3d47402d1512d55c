#include "qt/printers_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "common/date_time.h"
#include "qt/screen_text.h"
#include "qt/station_icons.h"

namespace korv {
namespace {

QString SinceText(const std::optional<DateTime>& since) {
  if (!since) return {};
  return QString::fromStdString(DefaultDateText(since->date) + " " +
                                DefaultTimeText(since->seconds));
}

QStringList RowText(const PrinterState& p) {
  return {FromCp1252(p.name), FromCp1252(p.destination), QString::number(p.held),
          SinceText(p.since), FromCp1252(p.problem)};
}

QString Note(const StationState& state, bool holding) {
  if (!state.pass_ended)
    return "The printers are listed once the station has looked at them, at its first pass.";
  if (state.printers.empty())
    return "No printer is installed: the station's printers are listed in "
           "C:\\Korvain\\printers.conf.";
  if (holding)
    return "A printer that holds tickets tries them again by itself, after a pause that grows "
           "up to a minute. Once it is mended (paper, power, cable), send them now.";
  return "Every printer has taken its tickets.";
}

QTreeWidget* CreateList() {
  auto* list = new QTreeWidget;
  list->setObjectName("PrinterList");
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setFocusPolicy(Qt::NoFocus);
  // The error, the one long text, last.
  list->setHeaderLabels({"Printer", "Destination", "Held", "Holding since", "Last error"});
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->header()->setStretchLastSection(true);
  return list;
}

}  // namespace

QtPrintersWindow::QtPrintersWindow(KORVdelayedSend1& window, QtLoop& loop)
    : window_(window), loop_(loop), frame_(std::make_unique<WindowFrame>()) {
  frame_->setObjectName("Printers");
  frame_->setWindowTitle("Printers");
  frame_->resize(920, 300);
  list_ = CreateList();
  note_ = new QLabel;
  note_->setObjectName("PrintersNote");
  note_->setWordWrap(true);
  send_now_ = new QPushButton("Send held tickets now");
  send_now_->setObjectName("SendNow");
  send_now_->setAutoDefault(false);
  auto* done = new QPushButton("Done");
  done->setObjectName("Done");
  done->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(done);
  buttons->addWidget(send_now_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(frame_.get());
  layout->addWidget(list_, 1);
  layout->addWidget(note_);
  layout->addLayout(buttons);
  QObject::connect(send_now_, &QPushButton::clicked, [this] { SendNow(); });
  QObject::connect(done, &QPushButton::clicked, [this] { frame_->hide(); });
  frame_->on_close = [this] { frame_->hide(); };
  window_.Watch().AddListener(this);
  Refresh(window_.State());
}

QtPrintersWindow::~QtPrintersWindow() { window_.Watch().RemoveListener(this); }

void QtPrintersWindow::Show() {
  Refresh(window_.State());
  frame_->show();
  frame_->raise();
  frame_->activateWindow();
}

void QtPrintersWindow::Refresh(const StationState& state) {
  list_->clear();
  for (const PrinterState& p : state.printers) {
    auto* item = new QTreeWidgetItem(list_, RowText(p));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setToolTip(4, item->text(4));  // in full where the column cuts it
    if (p.held > 0)
      for (int c = 0; c < item->columnCount(); ++c)
        item->setBackground(c, StateColorsOf("attention")->background);
  }
  const bool holding = std::any_of(state.printers.begin(), state.printers.end(),
                                   [](const PrinterState& p) { return p.held > 0; });
  send_now_->setEnabled(holding);
  note_->setText(Note(state, holding));
}

// The list shows the outcome at the next pass, which the window brings
// forward: the printers need a moment to take the tickets.
void QtPrintersWindow::SendNow() {
  loop_.Guard([this] { window_.SendHeldTicketsNow(); });
  send_now_->setEnabled(false);
  note_->setText(
      "The printers are trying their held tickets now; this list shows how it went "
      "after the next pass.");
}

}  // namespace korv
