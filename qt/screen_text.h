#pragma once
// The station's text and colours as the widgets show them. Text in the
// station's files and elements is single-byte Windows-1252; nothing else
// converts it, so every widget takes its text through these functions.

#include <QColor>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "platform/screen/elements.h"

namespace korv {

// Windows-1252 bytes as Unicode: 0x80-0x9F through the code page's table
// (the five bytes it leaves undefined keep their own value, as Windows does),
// every other byte as Latin-1.
QString FromCp1252(std::string_view bytes);

// As FromCp1252, with each CR LF, lone CR or lone LF shown as one line break
// (the error text separates its lines with CR alone).
QString ScreenText(std::string_view bytes);

// The notification-area tip: cut at the first NUL (the tip is stored
// NUL-ended), CRs become line breaks, trailing blanks and breaks dropped.
QString ScreenTip(std::string_view bytes);

// An RGB value (red in the low byte: 255 is red) as its colour; the button
// face and button text system colours as the application palette has them;
// nullopt for any other system colour.
std::optional<QColor> ToQColor(Color color);

}  // namespace korv
