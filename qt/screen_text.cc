#include "qt/screen_text.h"

#include <QApplication>
#include <QPalette>

namespace korv {
namespace {

// Unicode of the bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

QChar Cp1252Char(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F && kCp1252High[byte - 0x80] != 0)
    return QChar(kCp1252High[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));
}

}  // namespace

QString FromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) out += Cp1252Char(static_cast<unsigned char>(c));
  return out;
}

QString ScreenText(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r' || c == '\n') {
      out += QChar('\n');
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      out += Cp1252Char(static_cast<unsigned char>(c));
    }
  }
  return out;
}

QString ScreenTip(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  QString tip = ScreenText(bytes);
  while (!tip.isEmpty() && tip.back().isSpace()) tip.chop(1);
  return tip;
}

std::optional<QColor> ToQColor(Color color) {
  if (color >= 0 && color <= 0xFFFFFF)
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
  const QPalette palette = QApplication::palette();
  if (color == kButtonFace) return palette.color(QPalette::Button);
  if (color == kButtonText) return palette.color(QPalette::ButtonText);
  return std::nullopt;
}

}  // namespace korv
