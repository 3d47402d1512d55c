#include "qt/element_widgets.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "qt/qt_test_app.h"

namespace korv {
namespace {

QStringList RowTexts(const QTreeWidgetItem& item) {
  QStringList texts;
  for (int c = 0; c < item.columnCount(); ++c) texts << item.text(c);
  return texts;
}

TEST(ElementWidgets, TheMultiColumnListMirrorsItsRowsAndReportsClicks) {
  testing::TestApplication();
  QtLoop loop;
  MultiColumnList list;
  list.ColumnTitles = {"Qty", "Item", "Price"};
  int clicked = -1;
  list.RowClick = [&](int row) { clicked = row; };
  auto elements = std::make_unique<ElementWidgets>(loop);
  std::unique_ptr<QWidget> frame(elements->CreateMultiColumnList(list, "MList2"));
  auto* tree = frame->findChild<QTreeWidget*>("MList2");
  auto* caption = frame->findChild<QLabel*>("MList2Caption");
  ASSERT_NE(tree, nullptr);
  frame->show();

  list.AddItem(" 2|Caf\xE9 au lait|$4.00");
  list.AddItem("*|  no sugar");
  list.AddItem("1|Soup|$3.00|extra");  // more fields than titles
  list.SetRowColor(0, kYellow);
  list.SetListIndex(2);
  ASSERT_EQ(tree->topLevelItemCount(), 3);
  EXPECT_EQ(tree->headerItem()->text(1), "Item");
  EXPECT_EQ(tree->columnCount(), 4);
  EXPECT_EQ(RowTexts(*tree->topLevelItem(0)),
            (QStringList{" 2", "Caf\u00E9 au lait", "$4.00", ""}));
  EXPECT_EQ(RowTexts(*tree->topLevelItem(1)), (QStringList{"*", "  no sugar", "", ""}));
  EXPECT_EQ(tree->topLevelItem(0)->background(1).color(), QColor(255, 255, 0));
  EXPECT_EQ(tree->topLevelItem(1)->background(1).style(), Qt::NoBrush);
  EXPECT_TRUE(tree->topLevelItem(2)->isSelected());
  EXPECT_FALSE(caption->isVisible());  // no caption line while it is empty
  list.SetCaption("Pending Orders To SEND");
  EXPECT_TRUE(caption->isVisible());

  QRect row1 = tree->visualItemRect(tree->topLevelItem(1));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row1.center());
  EXPECT_EQ(clicked, 1);

  list.RemoveItem(0);
  EXPECT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "*");
  list.SetVisible(false);
  EXPECT_FALSE(frame->isVisible());

  // Once the binding is gone the list changes without it.
  elements.reset();
  EXPECT_FALSE(static_cast<bool>(list.on_update));
  list.Clear();
  EXPECT_EQ(tree->topLevelItemCount(), 2);
}

TEST(ElementWidgets, ButtonsAndLabelsFollowTheirElements) {
  testing::TestApplication();
  QtLoop loop;
  Button button{"Error's"};
  int presses = 0;
  button.Click = [&] { ++presses; };
  Label label{"0"};
  ElementWidgets elements(loop);  // ends before its elements
  QWidget window;
  QPushButton* push = elements.CreateButton(button, "SSCommand4");
  QLabel* text = elements.CreateLabel(label, "Label2");
  push->setParent(&window);
  text->setParent(&window);
  window.show();

  EXPECT_EQ(push->text(), "Error's");
  QTest::mouseClick(push, Qt::LeftButton);
  EXPECT_EQ(presses, 1);
  button.SetEnabled(false);
  QTest::mouseClick(push, Qt::LeftButton);
  EXPECT_EQ(presses, 1);
  button.SetVisible(false);
  EXPECT_FALSE(push->isVisible());
  button.SetCaption("Save & Send");
  EXPECT_EQ(push->text(), "Save && Send");  // shown as written, not as a shortcut

  label.SetCaption("<b>12</b>");
  EXPECT_EQ(text->text(), "<b>12</b>");
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace korv
