#pragma once
// Message boxes of a station without a screen: nobody can answer, so each box
// is written to the journal (standard error) as one line, "title: text", with
// every line break of the text shown as " / ", and answered at once with its
// default button (OK, or Yes for a Yes/No box).

#include <iostream>
#include <ostream>
#include <string>

#include "platform/screen/services.h"

namespace korv {

class StderrBoxes : public MessageBoxes {
 public:
  explicit StderrBoxes(std::ostream& out = std::cerr) : out_(out) {}
  BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                 BoxButtons buttons) override;

 private:
  std::ostream& out_;
};

// The text on one line: CR LF, CR and LF each become " / ".
std::string OneLine(const std::string& text);

}  // namespace korv
