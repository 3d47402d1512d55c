#pragma once
// Widgets that mirror screen elements. Each Create...() builds one widget
// named `name` (its objectName, so tests and style sheets find it by the
// element's own name), shows the element's present state, and sets the
// element's on_update so that every later change is shown at once. The
// operator's clicks call the element's events (Button::Press,
// MultiColumnList::RowClick) under the loop's guard.
//
// The elements must outlive this object; its destructor unhooks every
// element it bound, so an element changed after its widgets are gone draws
// nothing. A widget destroyed first is simply no longer refreshed.

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <vector>

#include "platform/screen/elements.h"
#include "qt/qt_loop.h"

namespace korv {

class ElementWidgets {
 public:
  explicit ElementWidgets(QtLoop& loop) : loop_(loop) {}
  ~ElementWidgets();
  ElementWidgets(const ElementWidgets&) = delete;
  ElementWidgets& operator=(const ElementWidgets&) = delete;

  // Caption as plain text, shown or hidden, point size when the element has
  // one.
  QLabel* CreateLabel(Label& label, const char* name);
  // Caption, shown, enabled; a click is Button::Press.
  QPushButton* CreateButton(Button& button, const char* name);
  // A frame titled with the caption, shown or hidden; the caller fills it.
  QGroupBox* CreatePanel(Panel& panel, const char* name);
  // A frame with the list's caption line (hidden while empty, named
  // name + "Caption") above a QTreeWidget named `name`: one column per column
  // title (more when a row has more fields), one item per row split at "|",
  // the row's colour as its background (black, the default, is none), the
  // selected marks and the current index as the selection. Clicking a row is
  // RowClick with its index. Returns the frame; it follows the list's Visible.
  QWidget* CreateMultiColumnList(MultiColumnList& list, const char* name);
  // Read-only plain text; line breaks as stored (CR, CR LF or LF) each make
  // one line.
  QPlainTextEdit* CreateRichTextBox(RichTextBox& box, const char* name);

  QtLoop& loop() { return loop_; }

 private:
  // Sets the element's on_update to refresh(widget) while the widget lives,
  // and refreshes once now.
  template <class W, class Refresh>
  void Bind(Element& element, W* widget, Refresh refresh);

  QtLoop& loop_;
  std::vector<Element*> bound_;
};

// The rows of `list` onto `tree`, reusing the items it has.
void SyncRows(QTreeWidget& tree, const MultiColumnList& list);

}  // namespace korv
