#pragma once
// A document as a styled HTML page, a preview of the ticket as printed: one
// block a line, in its font, point size, bold, italic and colour (RGB values
// as such, so 255 is red; system colours show as the text colour). Blanks are
// kept as printed, so columns stay aligned. The paper cut shows as a dashed
// rule. The page declares the station's single-byte character set, and the
// printed bytes pass through with only HTML's special characters escaped.

#include <string>

#include "platform/print/print_service.h"

namespace korv {

std::string RenderHtml(const Document& doc);

// A page RenderHtml made, with the lines of `more` added at the foot of its
// ticket: a paper cut sent after the ticket it ends. The page as it is when
// it already ends with them (the same delivery made again) or is not one
// RenderHtml made.
std::string WithLinesAdded(const std::string& page, const Document& more);

}  // namespace korv
