#pragma once
// The lines of a station's "key = value" settings file (mail.conf,
// station.conf): blank lines and lines starting with "#" are left out. A "#"
// after a blank or a tab starts a comment that runs to the end of the line,
// unless it is the value's first character; any other "#" is part of the
// value, so a password may hold one ("a#b", "#ab").

#include <string>
#include <string_view>
#include <vector>

namespace korv {

struct SettingLine {
  int number = 0;     // the line's number in the file, from 1
  std::string key;    // trimmed, lower case
  std::string value;  // trimmed, its comment cut off
};

// Raises RuntimeError 5, its text `refusal` followed by "line N is not
// "key = value"", for a line without "=". No message quotes a value.
std::vector<SettingLine> ReadSettingLines(std::string_view text, const std::string& refusal);

}  // namespace korv
