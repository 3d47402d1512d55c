#include "qt/qt_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/screen/stderr_boxes.h"
#include "qt/screen_text.h"

namespace korv {
namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kCritical:
      return QMessageBox::Critical;
    case BoxIcon::kQuestion:
      return QMessageBox::Question;
    case BoxIcon::kExclamation:
      return QMessageBox::Warning;
    case BoxIcon::kInformation:
      return QMessageBox::Information;
    case BoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case BoxButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

BoxAnswer FromQtAnswer(int answer) {
  switch (answer) {
    case QMessageBox::Cancel:
      return BoxAnswer::kCancel;
    case QMessageBox::Yes:
      return BoxAnswer::kYes;
    case QMessageBox::No:
      return BoxAnswer::kNo;
    default:
      return BoxAnswer::kOk;
  }
}

}  // namespace

BoxAnswer QtBoxes::Show(const std::string& text, const std::string& title, BoxIcon icon,
                        BoxButtons buttons) {
  lines_.Say(BoxLine(text, title), BoxPriority(icon));
  QMessageBox box(ToQtIcon(icon),
                  title.empty() ? QApplication::applicationName() : FromCp1252(title),
                  ScreenText(text), ToQtButtons(buttons), QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.setDefaultButton(buttons == BoxButtons::kYesNo ? QMessageBox::Yes : QMessageBox::Ok);
  return FromQtAnswer(box.exec());
}

}  // namespace korv
