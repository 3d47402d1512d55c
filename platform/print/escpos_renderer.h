#pragma once
// A document as the raw ESC/POS bytes a ticket printer prints, without
// touching a printer. Every document starts with ESC @ (initialise) and
// ESC t 16 (code page Windows-1252, the station's single-byte text), so a
// document never inherits a size, bold or colour left over from the one
// before. Then each printed line becomes
//   [ESC E n] [GS ! n] [ESC r 1] text LF [ESC r 0]
// where a style command is sent only when it differs from the printer's
// present state. Text bytes pass through unchanged. Empty lines are a bare
// LF. Italic and the font name are dropped: the printer has one typeface.
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

#include "platform/print/print_service.h"

namespace korv {

// The ESC/POS character size for a point size. One table for every ticket:
//   up to 12 pt   normal            (GS ! 0x00)
//   13 to 20 pt   double height     (GS ! 0x01)
//   21 to 30 pt   double width and height (GS ! 0x11)
//   31 pt and up  triple width and height (GS ! 0x22)
// So the base size (10 pt) is normal, "ORDER" (25 pt) is double, and the
// order number (40 pt) and "TAKE OUT" (36 pt) are triple.
unsigned char EscPosCharacterSize(double points);

// red_ribbon: the printer prints red (printers.conf option "red").
std::string RenderEscPos(const Document& doc, bool red_ribbon);

}  // namespace korv
