#include "platform/screen/stderr_boxes.h"

namespace korv {

std::string OneLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += " / ";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string BoxLine(const std::string& text, const std::string& title) {
  return title.empty() ? OneLine(text) : OneLine(title) + ": " + OneLine(text);
}

Priority BoxPriority(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kNone:
    case BoxIcon::kCritical:
      return Priority::kError;
    case BoxIcon::kExclamation:
      return Priority::kWarning;
    case BoxIcon::kQuestion:
    case BoxIcon::kInformation:
      break;
  }
  return Priority::kInfo;
}

BoxAnswer StderrBoxes::Show(const std::string& text, const std::string& title, BoxIcon icon,
                            BoxButtons buttons) {
  lines_.Say(BoxLine(text, title), BoxPriority(icon));
  return buttons == BoxButtons::kYesNo ? BoxAnswer::kYes : BoxAnswer::kOk;
}

}  // namespace korv
