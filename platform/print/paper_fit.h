#pragma once
// A ticket fitted to its printer's paper. The ticket code lays its lines out
// as a page printer would print them (rules of 57 underscores, item texts
// padded with blanks, names of any length); a ticket printer prints
// `columns` characters a line in its standard font, and fewer at a larger
// character size. Each line is fitted on its own:
//  - blanks at its end are not printed;
//  - a line with a word too long for a line of its size is printed one size
//    narrower, step by step (a heading steps down only when it must);
//  - a run of a rule character (4 or more of _ = - . * ~) is shortened until
//    the line fits: a rule alone to the width, a rule beside text to no less
//    than 3;
//  - a line still too long wraps at a blank, each continuation indented under
//    the text it continues: after a leading quantity or "*" (an item line's
//    5-character quantity column), under the text that follows it, else
//    under the line's first character; an indent of more than half a line is
//    dropped, so a continuation always has room;
//  - a word longer than a line is cut across lines.
// Only blanks and rule characters are ever left out; the text keeps its
// order, and every part of a line keeps its bold and red. A line that fits
// comes out as it went in, so fitting a fitted ticket changes nothing.

#include <vector>

#include "platform/print/escpos_reader.h"
#include "platform/print/print_service.h"

namespace korv {

// Columns of an ESC/POS printer whose printers.conf entry names none: an
// 80 mm thermal printer's standard font.
inline constexpr int kDefaultColumns = 48;

// The paper lines of one line; at least one (an empty line stays one).
std::vector<TicketLine> FitLine(const TicketLine& line, int columns);
// Every line of a ticket; the paper cut stays where it is.
std::vector<TicketLine> FitToPaper(const std::vector<TicketLine>& lines, int columns);
// A document fitted line by line, its control characters first blanked as the
// printer is sent them (BlankControlCharacters: a tab is one column and a
// place to wrap): each paper line keeps its printed line's font, bold, italic
// and colour, and takes a point size of its stepped-down character size
// (EscPosCharacterSize); command lines pass unchanged.
Document FitDocument(const Document& doc, int columns);

}  // namespace korv
