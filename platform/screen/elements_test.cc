#include "platform/screen/elements.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"

namespace korv {
namespace {

TEST(Elements, ALabelsChangeEventSeesTheNewCaptionBeforeTheSettingEnds) {
  Label label("Dine In");
  std::vector<std::string> seen;
  label.Change = [&] { seen.push_back(label.Caption()); };
  label.SetCaption("Phone IN 17");
  EXPECT_EQ(seen, std::vector<std::string>{"Phone IN 17"});
  label.SetCaption("Phone IN 17");
  EXPECT_EQ(seen.size(), 2u) << "setting the same text raises the event as well";
}

TEST(Elements, TheMultiColumnListKeepsRowsColoursMarksAndValues) {
  MultiColumnList list;
  EXPECT_EQ(list.NewIndex(), -1);
  list.AddItem(" 1|Soup|$4.00|SOUP| 1 - Main Course|T|N");
  list.AddItem(" 2|Cake|$6.00|CAKE| 1 - Dessert|T|Y");
  EXPECT_EQ(list.NewIndex(), 1);
  list.SetRowColor(list.NewIndex(), kYellow);
  list.SetItemData(0, "DS5");
  list.SetSelected(0, true);
  EXPECT_EQ(list.RowColor(0), kBlack);
  EXPECT_EQ(list.RowColor(1), kYellow);
  EXPECT_EQ(list.ItemData(0), "DS5");
  EXPECT_TRUE(list.Selected(0));
  list.SetItem(0, " 1|Soup|$4.00|SOUP| 1 - Main Course|T|Y");
  EXPECT_EQ(list.ItemData(0), "DS5") << "rewriting a row keeps its value";
  list.RemoveItem(0);
  EXPECT_EQ(list.Item(0), " 2|Cake|$6.00|CAKE| 1 - Dessert|T|Y");
  EXPECT_EQ(list.RowColor(0), kYellow) << "attributes move with their row";
  list.SetListIndex(list.Count() - 1);
  EXPECT_EQ(list.ListIndex(), 0);
  EXPECT_THROW(list.Item(5), RuntimeError);
  list.Clear();
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.NewIndex(), -1);
}

TEST(Elements, AHiddenOrDisabledButtonIgnoresTheOperator) {
  Button send("Send");
  int clicks = 0;
  send.Click = [&] { ++clicks; };
  send.SetEnabled(false);
  send.Press();
  send.SetEnabled(true);
  send.SetVisible(false);
  send.Press();
  EXPECT_EQ(clicks, 0);
  send.Click();  // code may still call the procedure directly
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace korv
