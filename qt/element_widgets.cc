#include "qt/element_widgets.h"

#include <QHeaderView>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "common/bar_row.h"
#include "qt/screen_text.h"

namespace korv {
namespace {

QStringList SplitColumns(const std::string& row) {
  QStringList columns;
  for (const std::string& field : SplitBarRow(row)) columns << FromCp1252(field);
  return columns;
}

void SetPointSize(QWidget& widget, double size) {
  if (size <= 0) return;
  QFont font = widget.font();
  font.setPointSizeF(size);
  widget.setFont(font);
}

// "&" is shown as itself, not as a shortcut mark.
QString ButtonText(const std::string& caption) { return FromCp1252(caption).replace("&", "&&"); }

void SyncHeader(QTreeWidget& tree, const MultiColumnList& list, int columns) {
  QStringList titles;
  for (const std::string& title : list.ColumnTitles) titles << FromCp1252(title);
  while (titles.size() < columns) titles << QString();
  if (tree.columnCount() != titles.size()) tree.setColumnCount(static_cast<int>(titles.size()));
  tree.setHeaderLabels(titles);
}

void SyncItem(QTreeWidgetItem& item, const QStringList& columns, int column_count, Color color,
              bool selected) {
  std::optional<QColor> background = color == kBlack ? std::nullopt : ToQColor(color);
  for (int c = 0; c < column_count; ++c) {
    item.setText(c, c < columns.size() ? columns[c] : QString());
    item.setBackground(c, background ? QBrush(*background) : QBrush());
  }
  item.setSelected(selected);
}

// Lists longer than this draw their rows when the window's events next run.
constexpr int kRowsDrawnAtOnce = 200;

}  // namespace

ElementWidgets::~ElementWidgets() {
  for (Element* element : bound_) element->on_update = nullptr;
}

template <class W, class Refresh>
void ElementWidgets::Bind(Element& element, W* widget, Refresh refresh) {
  QPointer<W> alive(widget);
  element.on_update = [alive, refresh] {
    if (alive) refresh(*alive);
  };
  bound_.push_back(&element);
  refresh(*widget);
}

QLabel* ElementWidgets::CreateLabel(Label& label, const char* name) {
  auto* widget = new QLabel;
  widget->setObjectName(name);
  widget->setTextFormat(Qt::PlainText);
  Bind(label, widget, [&label](QLabel& w) {
    w.setText(FromCp1252(label.Caption()));
    w.setVisible(label.Visible());
    SetPointSize(w, label.FontSize);
  });
  return widget;
}

QPushButton* ElementWidgets::CreateButton(Button& button, const char* name) {
  auto* widget = new QPushButton;
  widget->setObjectName(name);
  widget->setAutoDefault(false);
  QObject::connect(widget, &QPushButton::clicked,
                   [this, &button] { loop_.Guard([&button] { button.Press(); }); });
  Bind(button, widget, [&button](QPushButton& w) {
    w.setText(ButtonText(button.Caption()));
    w.setVisible(button.Visible());
    w.setEnabled(button.Enabled());
  });
  return widget;
}

QGroupBox* ElementWidgets::CreatePanel(Panel& panel, const char* name) {
  auto* widget = new QGroupBox;
  widget->setObjectName(name);
  Bind(panel, widget, [&panel](QGroupBox& w) {
    w.setTitle(FromCp1252(panel.Caption()));
    w.setVisible(panel.Visible());
    SetPointSize(w, panel.FontSize);
  });
  return widget;
}

QWidget* ElementWidgets::CreateMultiColumnList(MultiColumnList& list, const char* name) {
  auto* frame = new QWidget;
  frame->setObjectName(QString(name) + "Frame");
  auto* caption = new QLabel(frame);
  caption->setObjectName(QString(name) + "Caption");
  caption->setTextFormat(Qt::PlainText);
  auto* tree = new QTreeWidget(frame);
  tree->setObjectName(name);
  tree->setRootIsDecorated(false);
  tree->setUniformRowHeights(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree->header()->setStretchLastSection(true);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(caption);
  layout->addWidget(tree, 1);
  QObject::connect(tree, &QTreeWidget::itemClicked,
                   [this, &list, tree](QTreeWidgetItem* item, int) {
                     int row = tree->indexOfTopLevelItem(item);
                     if (row < 0 || !list.RowClick) return;
                     loop_.Guard([&list, row] { list.RowClick(row); });
                   });
  QPointer<QLabel> caption_alive(caption);
  QPointer<QTreeWidget> tree_alive(tree);
  // A list is rebuilt one row at a time (ten thousand pending orders make
  // ten thousand changes): a long list draws its rows once when the window's
  // events next run, which keeps a rebuild linear; a short one at once.
  auto pending = std::make_shared<bool>(false);
  auto sync_rows = [&list, tree_alive, pending] {
    *pending = false;
    if (tree_alive) SyncRows(*tree_alive, list);
  };
  Bind(list, frame, [&list, caption_alive, tree_alive, pending, sync_rows](QWidget& w) {
    if (!caption_alive || !tree_alive) return;
    caption_alive->setText(FromCp1252(list.Caption()));
    caption_alive->setVisible(!list.Caption().empty());
    w.setVisible(list.Visible());
    if (list.Count() < kRowsDrawnAtOnce) {
      sync_rows();
    } else if (!*pending) {
      *pending = true;
      QTimer::singleShot(0, tree_alive, sync_rows);
    }
  });
  return frame;
}

QPlainTextEdit* ElementWidgets::CreateRichTextBox(RichTextBox& box, const char* name) {
  auto* widget = new QPlainTextEdit;
  widget->setObjectName(name);
  widget->setReadOnly(true);
  Bind(box, widget, [&box](QPlainTextEdit& w) { w.setPlainText(ScreenText(box.Text())); });
  return widget;
}

void SyncRows(QTreeWidget& tree, const MultiColumnList& list) {
  const QSignalBlocker quiet(tree);
  std::vector<QStringList> rows;
  int columns = static_cast<int>(list.ColumnTitles.size());
  for (int i = 0; i < list.Count(); ++i) {
    rows.push_back(SplitColumns(list.Item(i)));
    columns = std::max(columns, static_cast<int>(rows.back().size()));
  }
  SyncHeader(tree, list, columns);
  while (tree.topLevelItemCount() > list.Count())
    delete tree.takeTopLevelItem(tree.topLevelItemCount() - 1);
  while (tree.topLevelItemCount() < list.Count()) tree.addTopLevelItem(new QTreeWidgetItem);
  for (int i = 0; i < list.Count(); ++i) {
    SyncItem(*tree.topLevelItem(i), rows[i], columns, list.RowColor(i),
             list.Selected(i) || i == list.ListIndex());
  }
  if (list.ListIndex() >= 0) {
    tree.setCurrentItem(tree.topLevelItem(list.ListIndex()), 0, QItemSelectionModel::NoUpdate);
  }
}

}  // namespace korv
