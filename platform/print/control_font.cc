#include "platform/print/control_font.h"

#include "common/val.h"

namespace korv {

bool IsControlLine(const PrintedLine& line) { return EqualsNoCase(Trim(line.font), kControlFont); }

bool IsPaperCut(const PrintedLine& line) { return IsControlLine(line) && line.Text() == "P"; }

}  // namespace korv
