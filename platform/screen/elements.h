#pragma once
// The screen elements of the windows, as plain in-memory objects. Much of the
// program's state lives in them (captions hold totals, hidden lists hold
// ticket lines), and procedures read back what others wrote, so they behave
// exactly as the windows' own elements did; the Qt binding only mirrors them.

#include <functional>
#include <string>
#include <vector>

#include "common/color.h"

namespace korv {

// Mouse pointer values of a window's MousePointer.
constexpr int kDefaultPointer = 0;
constexpr int kHourglass = 11;

// Anything a binding may want to redraw after a change.
class Element {
 public:
  virtual ~Element() = default;
  std::function<void()> on_update;  // set by a binding; never by the core

 protected:
  void Changed() {
    if (on_update) on_update();
  }
};

class Label : public Element {
 public:
  explicit Label(std::string caption = {}) : caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  // The change event runs before this call returns, so a reader inside the
  // event sees the new caption. Setting the same text raises it as well.
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  std::function<void()> Change;  // the window's change procedure
  double FontSize = 0;

 private:
  std::string caption_;
  bool visible_ = true;
};

class Button : public Element {
 public:
  explicit Button(std::string caption = {}) : caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  Color ForeColor = kButtonText;
  Color BackColor = kButtonFace;
  int Style = 0;  // emphasis style of the send button (0 or 3)
  std::function<void()> Click;
  // Presses the button as the operator would: nothing when hidden or disabled.
  void Press();

 private:
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
};

class Panel : public Element {
 public:
  explicit Panel(std::string caption = {}) : caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  double FontSize = 0;

 private:
  std::string caption_;
  bool visible_ = true;
};

class ListBox : public Element {
 public:
  void Clear();
  void AddItem(std::string text);
  const std::string& Item(int i) const;  // error 5 outside the list
  int Count() const { return static_cast<int>(items_.size()); }
  void RemoveItem(int i);
  int ListIndex = -1;
  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// A row's text is shown in columns split at each "|".
class MultiColumnList : public Element {
 public:
  void Clear();
  void AddItem(std::string text);
  const std::string& Item(int i) const;  // error 5 outside the list
  void SetItem(int i, std::string text);
  int Count() const { return static_cast<int>(rows_.size()); }
  void RemoveItem(int i);
  // The value kept beside a row (the pending list keeps the order id there).
  const std::string& ItemData(int i) const;
  void SetItemData(int i, std::string value);
  bool Selected(int i) const;
  void SetSelected(int i, bool selected);
  Color RowColor(int i) const;
  void SetRowColor(int i, Color color);
  int ListIndex() const { return list_index_; }
  void SetListIndex(int i);
  int NewIndex() const { return new_index_; }  // the row last appended
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  std::vector<std::string> ColumnTitles;
  std::function<void(int)> RowClick;  // the operator clicked row i

 private:
  struct Row {
    std::string text;
    std::string data;
    bool selected = false;
    Color color = kBlack;
  };
  const Row& At(int i) const;
  Row& At(int i);
  std::vector<Row> rows_;
  int list_index_ = -1;
  int new_index_ = -1;
  std::string caption_;
  bool visible_ = true;
};

class Timer : public Element {
 public:
  int Interval() const { return interval_; }
  // 0 stops the timer; any other value (re)arms it for that many ms.
  void SetInterval(int ms);
  std::function<void()> Tick;
  std::function<void()> on_interval_change;  // set by the event loop

 private:
  int interval_ = 0;
};

class TextBox : public Element {
 public:
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // The focus request of a hidden window fails, as it does on the original.
  void SetFocus();
  bool HasFocus = false;

 private:
  std::string text_;
  bool visible_ = true;
};

class RichTextBox : public Element {
 public:
  const std::string& Text() const { return text_; }
  void SetText(std::string text);

 private:
  std::string text_;
};

class TrayIcon : public Element {
 public:
  std::string TipText;
  std::string Picture;
  bool Shown = false;
  void Add(std::string tip);
  void Remove();
  // Changes the tip text of an icon already shown (redrawn at once).
  void SetTip(std::string tip);
  // The state the icon shows, "normal", "attention" or "fault": each is its
  // own picture, so the state is seen without opening anything.
  std::string State = "normal";
  void SetState(std::string state);
  // A desktop notification at the icon (a balloon), which a binding shows
  // through Notify; the last one is kept.
  void ShowMessage(std::string title, std::string text);
  std::function<void(const std::string& title, const std::string& text)> Notify;
  std::string LastTitle, LastMessage;
  std::function<void()> Activate;  // double click
  std::function<void()> Menu;      // right click
};

}  // namespace korv
