#pragma once
// Message boxes of a station without a screen: nobody can answer, so each box
// is said as one status line, "title: text", with every line break of the
// text shown as " / " and its icon's priority, and answered at once with its default button (OK, or
// Yes for a Yes/No box).

#include <string>

#include "platform/screen/services.h"

namespace korv {

class StderrBoxes : public MessageBoxes {
 public:
  explicit StderrBoxes(StatusLines& lines) : lines_(lines) {}
  BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                 BoxButtons buttons) override;

 private:
  StatusLines& lines_;
};

// The priority of a box's line. A box without an icon is how the station's
// own procedures show an error ("ERROR ENCOUNTERED 57", "System Busy"), so
// it is one, as a critical box is; an exclamation is a warning, a question
// or a note information.
Priority BoxPriority(BoxIcon icon);
// The text on one line: CR LF, CR and LF each become " / ".
std::string OneLine(const std::string& text);
// The box as its status line.
std::string BoxLine(const std::string& text, const std::string& title);

}  // namespace korv
