#pragma once
// Reads a ticket back as the lines it prints: the ESC/POS bytes of a spooled
// job (what RenderEscPos writes), or the plain text of a captured ticket
// (what RenderText writes). Used to look at a ticket without a printer.
//
// ESC/POS understood: ESC @ (back to plain), ESC t n (code page: text in
// page 858 or 437 is read back as Windows-1252), ESC E n (bold), ESC ! n (print mode: bold,
// double height, double width), GS ! n (width in the high nibble, height in
// the low nibble, 0 = normal), ESC r n (red), ESC d n (feed n lines),
// GS V m [n] (paper cut) and LF. A line takes the style in force at its LF,
// as the renderer sets every style before the line's text. Any other ESC or
// GS command is skipped with its one parameter byte; a command cut short at
// the end of the bytes is dropped. Text after the last LF is a line of its
// own, so nothing sent is hidden.

#include <string>
#include <string_view>
#include <vector>

namespace korv {

struct TicketLine {
  std::string text;  // Windows-1252 bytes
  bool bold = false;
  int width = 1;  // character size multipliers, 1 to 8
  int height = 1;
  bool red = false;  // sent with ESC r 1; prints red only on a two-colour ribbon
  bool cut = false;  // the paper cut (text empty)
  bool operator==(const TicketLine&) const = default;
};

inline TicketLine PaperCutLine() {
  TicketLine line;
  line.cut = true;
  return line;
}

// True for a rendered job: it always starts with ESC @ and never holds a
// CR LF. A captured text ticket ends its lines with CR LF, and may hold an
// ESC or GS byte anywhere (printed text from a damaged file).
bool LooksLikeEscPos(std::string_view bytes);

std::vector<TicketLine> ReadEscPos(std::string_view bytes);

// Lines ended by CR LF (a lone LF too); the line "[cut]" is the paper cut.
// Control characters in a line read as the blanks a printer prints for them.
std::vector<TicketLine> ReadTicketText(std::string_view text);

// Either of the two, chosen by LooksLikeEscPos.
std::vector<TicketLine> ReadTicket(std::string_view bytes);

}  // namespace korv
