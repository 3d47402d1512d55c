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

BoxAnswer StderrBoxes::Show(const std::string& text, const std::string& title, BoxIcon,
                            BoxButtons buttons) {
  std::string line = title.empty() ? OneLine(text) : OneLine(title) + ": " + OneLine(text);
  out_ << line << std::endl;  // flushed: the journal shows it while the program runs on
  return buttons == BoxButtons::kYesNo ? BoxAnswer::kYes : BoxAnswer::kOk;
}

}  // namespace korv
