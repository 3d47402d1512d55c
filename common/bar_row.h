#pragma once
// Rows of text fields joined by "|": the order line rows of the line files
// and the engine's lists, the pending list's rows and the kitchen's course
// copy. Every such row is split and joined here.

#include <string>
#include <string_view>
#include <vector>

namespace korv {

// The fields between the separators: n separators give n + 1 fields, so an
// empty row is one empty field. Never fails.
std::vector<std::string> SplitBarRow(std::string_view row);

// The fields joined by "|". A field holding "|" would split differently;
// the writers of rows refuse such fields before they join them.
std::string JoinBarRow(const std::vector<std::string>& fields);

}  // namespace korv
