#include "common/bar_row.h"

namespace korv {

std::vector<std::string> SplitBarRow(std::string_view row) {
  std::vector<std::string> fields;
  for (;;) {
    const size_t bar = row.find('|');
    fields.emplace_back(row.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    row.remove_prefix(bar + 1);
  }
}

std::string JoinBarRow(const std::vector<std::string>& fields) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row += '|';
    row += fields[i];
  }
  return row;
}

}  // namespace korv
