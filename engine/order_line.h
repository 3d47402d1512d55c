#pragma once
// The OrderLineList row as the totals read it: seven fields joined by "|"
// (quantity, item name, line amount, kitchen text, route text, tax flag,
// sent flag). Rows arrive from other stations' files, so every reader here
// accepts damaged rows and never fails.

#include <optional>
#include <string>
#include <string_view>

#include "common/currency.h"

namespace korv {

// Field n (1-based) of a row: the text between separator n - 1 and n (the
// last field runs to the end). nullopt when the row lacks those separators.
std::optional<std::string> OrderLineField(std::string_view row, int n);

// A junk row is dropped by the totals: its last three characters read as 0
// while the row is 12 characters or shorter, or its item name is shorter than
// two characters or blank.
bool IsJunkRow(std::string_view row);

// The line amount: the currency text of field 3 read back through the
// "######.##" pattern, so it is rounded to cents ("$1,234.50" is 1234.5).
// Text that is no amount, or one beyond the currency range, is 0.
Currency LineAmount(std::string_view amount_text);

// Taxable rows: the tax flag, read as the first of the row's last three
// characters, is "T", "Y" or blank. An empty flag field leaves the separator
// in that place; it is blank too, and so taxable.
bool IsTaxableRow(std::string_view row);

// The second character of the route text is "L" (left out of Label15).
bool IsLRoute(std::string_view route_text);

}  // namespace korv
