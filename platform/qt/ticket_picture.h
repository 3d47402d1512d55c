#pragma once
// A ticket as the ticket printer prints it, as a picture: 80 mm paper at
// 203 dpi (576 px wide), white, one monospace line per printed line at 12 px
// per character size unit (a double-width line is drawn twice as wide), bold
// where the printer prints bold, and the paper cut as a dashed line marked
// "cut". The picture is as tall as its lines. Needs a QGuiApplication (the
// offscreen platform is enough); no window is opened.

#include <QImage>
#include <vector>

#include "platform/print/escpos_reader.h"

namespace korv {

inline constexpr int kTicketPaperWidth = 576;

// red_ribbon: red lines are drawn red, as a two-colour printer prints them;
// otherwise black, as a one-colour printer ignores the colour command.
QImage TicketPicture(const std::vector<TicketLine>& lines, bool red_ribbon);

}  // namespace korv
