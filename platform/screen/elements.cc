#include "platform/screen/elements.h"

#include "common/runtime_error.h"

namespace korv {
namespace {

void CheckIndex(int i, int count) {
  if (i < 0 || i >= count) throw RuntimeError(kErrInvalidCall);
}

}  // namespace

void Label::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (Change) Change();
  Changed();
}

void Label::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void Button::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed();
}

void Button::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void Button::SetEnabled(bool e) {
  enabled_ = e;
  Changed();
}

void Button::Press() {
  if (visible_ && enabled_ && Click) Click();
}

void Panel::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed();
}

void Panel::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void ListBox::Clear() {
  items_.clear();
  ListIndex = -1;
  Changed();
}

void ListBox::AddItem(std::string text) {
  items_.push_back(std::move(text));
  Changed();
}

const std::string& ListBox::Item(int i) const {
  CheckIndex(i, Count());
  return items_[i];
}

void ListBox::RemoveItem(int i) {
  CheckIndex(i, Count());
  items_.erase(items_.begin() + i);
  Changed();
}

const MultiColumnList::Row& MultiColumnList::At(int i) const {
  CheckIndex(i, Count());
  return rows_[i];
}

MultiColumnList::Row& MultiColumnList::At(int i) {
  CheckIndex(i, Count());
  return rows_[i];
}

void MultiColumnList::Clear() {
  rows_.clear();
  list_index_ = -1;
  new_index_ = -1;
  Changed();
}

void MultiColumnList::AddItem(std::string text) {
  rows_.push_back(Row{std::move(text), {}, false, kBlack});
  new_index_ = Count() - 1;
  Changed();
}

const std::string& MultiColumnList::Item(int i) const { return At(i).text; }

void MultiColumnList::SetItem(int i, std::string text) {
  At(i).text = std::move(text);
  Changed();
}

void MultiColumnList::RemoveItem(int i) {
  CheckIndex(i, Count());
  rows_.erase(rows_.begin() + i);
  if (list_index_ >= Count()) list_index_ = Count() - 1;
  Changed();
}

const std::string& MultiColumnList::ItemData(int i) const { return At(i).data; }

void MultiColumnList::SetItemData(int i, std::string value) { At(i).data = std::move(value); }

bool MultiColumnList::Selected(int i) const { return At(i).selected; }

void MultiColumnList::SetSelected(int i, bool selected) {
  At(i).selected = selected;
  Changed();
}

Color MultiColumnList::RowColor(int i) const { return At(i).color; }

void MultiColumnList::SetRowColor(int i, Color color) {
  At(i).color = color;
  Changed();
}

void MultiColumnList::SetListIndex(int i) {
  if (i < -1 || i >= Count()) throw RuntimeError(kErrInvalidCall);
  list_index_ = i;
  Changed();
}

void MultiColumnList::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed();
}

void MultiColumnList::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void Timer::SetInterval(int ms) {
  interval_ = ms < 0 ? 0 : ms;
  if (on_interval_change) on_interval_change();
  Changed();
}

void TextBox::SetText(std::string text) {
  text_ = std::move(text);
  Changed();
}

void TextBox::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void TextBox::SetFocus() {
  if (!visible_) throw RuntimeError(kErrInvalidCall, "Invalid procedure call or argument");
  HasFocus = true;
}

void RichTextBox::SetText(std::string text) {
  text_ = std::move(text);
  Changed();
}

void TrayIcon::Add(std::string tip) {
  TipText = std::move(tip);
  Shown = true;
  Changed();
}

void TrayIcon::SetTip(std::string tip) {
  TipText = std::move(tip);
  Changed();
}

void TrayIcon::SetState(std::string state) {
  State = std::move(state);
  Changed();
}

void TrayIcon::ShowMessage(std::string title, std::string text) {
  LastTitle = std::move(title);
  LastMessage = std::move(text);
  if (Notify) Notify(LastTitle, LastMessage);
}

void TrayIcon::Remove() {
  Shown = false;
  Changed();
}

}  // namespace korv
