#include "qt/qt_boxes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <string>
#include <vector>

#include "qt/qt_test_app.h"
#include "testing/fakes.h"

namespace korv {
namespace {

// Presses the button of the box that opens next; notes what the box showed.
void AnswerNextBox(QMessageBox::StandardButton answer, QString* shown) {
  QTimer::singleShot(0, [answer, shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *shown = box->windowTitle() + "|" + box->text() + "|" +
             QString::number(static_cast<int>(box->icon()));
    box->button(answer)->click();
  });
}

TEST(QtBoxes, TheOperatorAnswersAndTheStatusLineIsSaid) {
  testing::TestApplication();
  testing::RecordedStatusLines lines;
  QtBoxes boxes(lines);
  QString shown;

  AnswerNextBox(QMessageBox::No, &shown);
  EXPECT_EQ(boxes.Show("Printer off line\r\nTry again?", "Send Error", BoxIcon::kQuestion,
                       BoxButtons::kYesNo),
            BoxAnswer::kNo);
  EXPECT_EQ(shown, "Send Error|Printer off line\nTry again?|" +
                       QString::number(static_cast<int>(QMessageBox::Question)));

  AnswerNextBox(QMessageBox::Cancel, &shown);
  EXPECT_EQ(boxes.Show("Caf\xE9", "", BoxIcon::kExclamation, BoxButtons::kOkCancel),
            BoxAnswer::kCancel);
  EXPECT_TRUE(shown.startsWith("korv_qt_test|Caf\u00E9|")) << shown.toStdString();

  EXPECT_EQ(lines.lines,
            (std::vector<std::string>{"Send Error: Printer off line / Try again?", "Caf\xE9"}));
}

}  // namespace
}  // namespace korv
