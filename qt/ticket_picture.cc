#include "qt/ticket_picture.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "platform/print/paper_fit.h"
#include "qt/screen_text.h"

namespace korv {
namespace {

constexpr int kMargin = 24;
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 24;
constexpr int kLineGap = 6;  // the printer's line spacing beyond the characters
constexpr int kCutHeight = 30;

// The font of a line before its width stretch (drawn by scaling): a glyph
// of DejaVu Sans Mono at 20 px is 12 px wide, one cell.
QFont LineFont(const TicketLine& line) {
  QFont font("DejaVu Sans Mono");
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(20 * line.height);
  font.setBold(line.bold);
  return font;
}

int LineHeight(const TicketLine& line) {
  return line.cut ? kCutHeight : kCellHeight * line.height + kLineGap;
}

void DrawCut(QPainter& painter, int top, int width) {
  int middle = top + kCutHeight / 2;
  painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
  painter.drawLine(0, middle, width, middle);
  QFont font("DejaVu Sans Mono");
  font.setPixelSize(14);
  painter.setFont(font);
  QRect label(0, top, width, kCutHeight);
  QRect box = painter.boundingRect(label, Qt::AlignCenter, " \u2702 cut ");
  painter.fillRect(box, Qt::white);
  painter.drawText(label, Qt::AlignCenter, " \u2702 cut ");
}

// Each character in its own cell, so the columns line up as on paper.
void DrawText(QPainter& painter, const TicketLine& line, int top) {
  QFont font = LineFont(line);
  QString text = FromCp1252(line.text);
  painter.save();
  painter.setPen(line.red ? QColor(Qt::red) : QColor(Qt::black));
  painter.setFont(font);
  int baseline =
      top +
      (kCellHeight * line.height + QFontMetrics(font).ascent() - QFontMetrics(font).descent()) / 2;
  painter.translate(kMargin, baseline);
  painter.scale(static_cast<double>(line.width) / line.height, 1.0);
  for (int i = 0; i < text.size(); ++i)
    painter.drawText(QPointF(i * kCellWidth * line.height, 0), QString(text[i]));
  painter.restore();
}

}  // namespace

int TicketPictureWidth(int columns) { return columns * kCellWidth + 2 * kMargin; }

QImage TicketPicture(const std::vector<TicketLine>& lines, int columns) {
  std::vector<TicketLine> paper = FitToPaper(lines, columns);
  int width = TicketPictureWidth(columns);
  int height = 2 * kMargin;
  for (const TicketLine& line : paper) height += LineHeight(line);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  int top = kMargin;
  for (const TicketLine& line : paper) {
    if (line.cut) {
      DrawCut(painter, top, width);
    } else {
      DrawText(painter, line, top);
    }
    top += LineHeight(line);
  }
  return image;
}

}  // namespace korv
