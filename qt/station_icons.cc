#include "qt/station_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <optional>

namespace korv {
namespace {

struct Badge {
  QColor fill;
  QColor mark;
  bool cross = false;  // "x"; else "!"
};

std::optional<Badge> BadgeFor(const std::string& state) {
  if (state == "attention") return Badge{QColor(0xF0, 0xA0, 0x00), QColor(0x20, 0x20, 0x20)};
  if (state == "fault") return Badge{QColor(0xC0, 0x00, 0x00), Qt::white, true};
  return std::nullopt;
}

// A disc over the lower right of the icon, ringed in white so that it stands
// out from the icon's own red and from a dark or a light panel alike.
void DrawBadge(QPainter& painter, const QRect& rect, const Badge& badge) {
  const qreal side = std::min(rect.width(), rect.height());
  const qreal d = std::max<qreal>(9, side * 0.56);
  const QRectF disc(rect.right() + 1 - d, rect.bottom() + 1 - d, d, d);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, std::max<qreal>(1, d / 10)));
  painter.setBrush(badge.fill);
  painter.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
  const auto at = [&](qreal x, qreal y) {
    return QPointF(disc.left() + x * d, disc.top() + y * d);
  };
  painter.setPen(QPen(badge.mark, std::max<qreal>(1.5, d * 0.16), Qt::SolidLine, Qt::RoundCap));
  if (badge.cross) {
    painter.drawLine(at(0.32, 0.32), at(0.68, 0.68));
    painter.drawLine(at(0.68, 0.32), at(0.32, 0.68));
  } else {
    painter.drawLine(at(0.5, 0.24), at(0.5, 0.56));
    painter.drawPoint(at(0.5, 0.76));
  }
  painter.restore();
}

// Paints the base and the badge at the size asked for. No icon name of its
// own: a notification area that is given a name shows the named (themed)
// icon, without the badge, so it must be sent the pictures.
class BadgedIconEngine : public QIconEngine {
 public:
  BadgedIconEngine(QIcon base, Badge badge) : base_(std::move(base)), badge_(badge) {}
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    base_.paint(painter, rect, Qt::AlignCenter, mode, state);
    DrawBadge(*painter, rect, badge_);
  }
  // Qt's own would leave the pixmap's background as it found it.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return picture;
  }
  QIconEngine* clone() const override { return new BadgedIconEngine(base_, badge_); }
  QString key() const override { return "korv-state-badge"; }
  // The sizes notification areas ask for; any other is drawn as well.
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
  }

 private:
  QIcon base_;
  Badge badge_;
};

// A ticket with a clock hand, as the packaged icon has it, at one size.
QPixmap DrawnStationIcon(int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 32.0, size / 32.0);
  painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 2));
  painter.setBrush(QColor(0xF5, 0xF0, 0xE0));
  painter.drawRoundedRect(QRectF(4, 2, 24, 28), 3, 3);
  painter.setBrush(QColor(0xD0, 0x30, 0x20));
  painter.drawEllipse(QPointF(16, 16), 8, 8);
  painter.setPen(QPen(Qt::white, 2));
  painter.drawLine(QPointF(16, 16), QPointF(16, 10));
  painter.drawLine(QPointF(16, 16), QPointF(20, 16));
  return picture;
}

}  // namespace

QIcon StationIcon(const std::string& name) {
  QIcon themed = QIcon::fromTheme(QString::fromStdString(name));
  if (!themed.isNull()) return themed;
  // Drawn, so the icon needs no file; sharp at the sizes it is shown at.
  QIcon drawn;
  for (int size : {16, 22, 24, 32, 48, 64}) drawn.addPixmap(DrawnStationIcon(size));
  return drawn;
}

std::optional<StateColors> StateColorsOf(const std::string& state) {
  if (state == "attention") return StateColors{QColor(0xFF, 0xF0, 0xC0), QColor(0x6A, 0x40, 0x00)};
  if (state == "fault") return StateColors{QColor(0xFF, 0xD8, 0xD8), QColor(0xA0, 0x00, 0x00)};
  return std::nullopt;
}

QIcon StateIcon(const QIcon& base, const std::string& state) {
  const std::optional<Badge> badge = BadgeFor(state);
  if (!badge) return base;
  return QIcon(new BadgedIconEngine(base, *badge));
}

}  // namespace korv
