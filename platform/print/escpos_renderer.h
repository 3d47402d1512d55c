#pragma once
// A document as the raw ESC/POS bytes a ticket printer prints, without
// touching a printer. Every document starts with ESC @ (initialise) and
// ESC t n (the printer's code page, code_page.h), so a document never
// inherits a size, bold or colour left over from the one before. Its lines
// are fitted to the printer's columns (paper_fit.h), and each paper line
// becomes
//   [ESC E n] [GS ! n] [ESC r 1] text LF [ESC r 0]
// where a style command is sent only when it differs from the printer's
// present state. Empty lines are a bare LF. Italic and the font name are
// dropped: the printer has one typeface. Characters the code page lacks are
// printed as their plain letters; control characters in the text (a tab, an
// ESC from a damaged file) are printed as blanks, so text can never give the
// printer a command.
//
// Character sizes come from the point sizes by the table of character_size.h.
//
// Colour: RGB 255 prints red (ESC r 1) only on a printer with a two-colour
// ribbon; the line is switched back to black right after its LF. Every other
// colour, and red on a one-colour printer, prints black.
//
// The "control" font's "P" is the paper cut: GS V 66 0, which feeds the
// paper up to the cutter and makes a partial cut (one tab of paper holds the
// ticket, so it does not fall on the floor). Other command lines are
// dropped, as the ticket printer driver ignored commands it did not know.

#include <string>

#include "platform/print/code_page.h"
#include "platform/print/paper_fit.h"
#include "platform/print/print_service.h"

namespace korv {

// What the renderer needs to know of a printer (its printers.conf entry).
struct EscPosPrinter {
  bool red_ribbon = false;               // option "red"
  int columns = kDefaultColumns;         // "columns=": characters a line in the standard font
  CodePage code_page = CodePage::k1252;  // "codepage="
};

std::string RenderEscPos(const Document& doc, const EscPosPrinter& printer);

}  // namespace korv
