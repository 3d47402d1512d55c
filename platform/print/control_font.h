#pragma once
// Lines printed in the ticket printer driver's font named "control" are not
// text but printer commands; "P" is the paper cut. Every renderer of a
// document asks here, so they agree on what a command line is.

#include "platform/print/print_service.h"

namespace korv {

inline constexpr const char* kControlFont = "control";

// A line in the command font (its name in any letter case).
bool IsControlLine(const PrintedLine& line);
// The command line that cuts the paper.
bool IsPaperCut(const PrintedLine& line);

}  // namespace korv
