#include "platform/print/text_renderer.h"

#include "platform/print/control_font.h"

namespace korv {

std::string RenderText(const Document& doc) {
  std::string out;
  for (const PrintedLine& line : doc.lines) {
    if (IsPaperCut(line)) {
      out += "[cut]";
    } else if (IsControlLine(line)) {
      out += "[control " + line.Text() + "]";
    } else {
      out += line.Text();
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace korv
