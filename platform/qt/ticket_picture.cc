#include "platform/qt/ticket_picture.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "platform/qt/screen_text.h"

namespace korv {
namespace {

constexpr int kMargin = 12;
constexpr int kUnitPixels = 12;
constexpr int kCutHeight = 24;

// The font of a line before its width stretch (drawn by scaling).
QFont LineFont(const TicketLine& line) {
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(kUnitPixels * line.height);
  font.setBold(line.bold);
  return font;
}

int LineHeight(const TicketLine& line) {
  return line.cut ? kCutHeight : QFontMetrics(LineFont(line)).height();
}

void DrawCut(QPainter& painter, int top) {
  int middle = top + kCutHeight / 2;
  painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
  painter.drawLine(kMargin, middle, kTicketPaperWidth - kMargin, middle);
  QFont font("DejaVu Sans Mono");
  font.setPixelSize(kUnitPixels);
  painter.setFont(font);
  QRect label(0, top, kTicketPaperWidth, kCutHeight);
  QRect box = painter.boundingRect(label, Qt::AlignCenter, " \u2702 cut ");
  painter.fillRect(box, Qt::white);
  painter.drawText(label, Qt::AlignCenter, " \u2702 cut ");
}

void DrawText(QPainter& painter, const TicketLine& line, int top, bool red_ribbon) {
  QFont font = LineFont(line);
  painter.save();
  painter.setPen(red_ribbon && line.red ? QColor(Qt::red) : QColor(Qt::black));
  painter.setFont(font);
  painter.translate(kMargin, top + QFontMetrics(font).ascent());
  painter.scale(static_cast<double>(line.width) / line.height, 1.0);
  painter.drawText(0, 0, FromCp1252(line.text));
  painter.restore();
}

}  // namespace

QImage TicketPicture(const std::vector<TicketLine>& lines, bool red_ribbon) {
  int height = 2 * kMargin;
  for (const TicketLine& line : lines) height += LineHeight(line);
  QImage image(kTicketPaperWidth, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  int top = kMargin;
  for (const TicketLine& line : lines) {
    if (line.cut) {
      DrawCut(painter, top);
    } else {
      DrawText(painter, line, top, red_ribbon);
    }
    top += LineHeight(line);
  }
  return image;
}

}  // namespace korv
