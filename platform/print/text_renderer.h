#pragma once
// A document as plain text: one printed line a line (its items joined),
// each ended by CR LF as the station's other text files are. The paper cut
// shows as the line "[cut]"; any other printer command as "[control TEXT]".
// Font, size and colour are dropped. Bytes pass through unchanged.

#include <string>

#include "platform/print/print_service.h"

namespace korv {

std::string RenderText(const Document& doc);

}  // namespace korv
