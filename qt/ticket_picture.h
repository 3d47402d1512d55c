#pragma once
// A ticket as the ticket printer prints it, as a picture of its paper: the
// lines fitted to the printer's columns as the printer's renderer fits them
// (paper_fit.h), each character in a cell of 12 x 24 pixels (a thermal
// printer's standard font at 203 dpi, so 48 columns are 576 pixels, 80 mm
// paper, and 32 are 384, 58 mm paper), wider and taller by the line's
// character size, bold where the printer prints bold, red where it was sent
// red (a job carries red only for a printer with a two-colour ribbon), and
// the paper cut as a dashed line marked "cut". White paper with a margin on each side, as tall as
// its lines. Needs a QGuiApplication (the offscreen platform is enough); no
// window is opened.

#include <QImage>
#include <vector>

#include "platform/print/escpos_reader.h"

namespace korv {

// The width of the picture of a paper of `columns` characters.
int TicketPictureWidth(int columns);

QImage TicketPicture(const std::vector<TicketLine>& lines, int columns);

}  // namespace korv
