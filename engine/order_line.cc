#include "engine/order_line.h"

#include <cmath>

#include "common/bar_row.h"
#include "common/val.h"

namespace korv {
namespace {

constexpr double kMaxAmount = 9e14;
constexpr int kRowFields = 7;

}  // namespace

std::optional<std::string> OrderLineField(std::string_view row, int n) {
  std::vector<std::string> fields = SplitBarRow(row);
  // Only the last field may run to the end of the row; an earlier one needs
  // the separator after it.
  const size_t needed = n < kRowFields ? n + 1 : n;
  if (n < 1 || fields.size() < needed) return std::nullopt;
  return std::move(fields[n - 1]);
}

bool IsJunkRow(std::string_view row) {
  if (Val(Right(row, 3)) == 0 && row.size() <= 12) return true;
  std::string name = OrderLineField(row, 2).value_or("");
  return name.size() < 2 || Trim(name).empty();
}

Currency LineAmount(std::string_view amount_text) {
  double value = ParseCurrencyText(amount_text);
  // Beyond the currency range a damaged field cannot be an amount.
  if (!(std::fabs(value) < kMaxAmount)) return Currency();
  return Currency::FromDouble(Val(FormatHashPattern(value)));
}

bool IsTaxableRow(std::string_view row) {
  if (row.size() < 3) return false;
  char flag = row[row.size() - 3];
  return flag == 'T' || flag == 'Y' || flag == ' ' || flag == '|';
}

bool IsLRoute(std::string_view route_text) {
  return route_text.size() >= 2 && route_text[1] == 'L';
}

}  // namespace korv
