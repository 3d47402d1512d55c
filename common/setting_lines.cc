#include "common/setting_lines.h"

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

std::string ValueOf(std::string_view text) {
  std::string value = Trim(text);
  for (size_t i = 1; i < value.size(); ++i)
    if (value[i] == '#' && (value[i - 1] == ' ' || value[i - 1] == '\t')) value.resize(i);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  return value;
}

}  // namespace

std::vector<SettingLine> ReadSettingLines(std::string_view text, const std::string& refusal) {
  std::vector<SettingLine> lines;
  int number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string line = Trim(raw);
    pos = end + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos)
      throw RuntimeError(kErrInvalidCall,
                         refusal + "line " + std::to_string(number) + " is not \"key = value\"");
    lines.push_back({number, Lower(Trim(line.substr(0, eq))), ValueOf(line.substr(eq + 1))});
  }
  return lines;
}

}  // namespace korv
