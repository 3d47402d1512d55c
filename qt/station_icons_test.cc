#include "qt/station_icons.h"

#include <gtest/gtest.h>

#include <QImage>

#include "qt/qt_test_app.h"

namespace korv {
namespace {

// Each state is a picture of its own at every size a notification area asks
// for, told apart by its badge's colour alone: amber for attention, red for a
// fault, no badge while normal.
TEST(StationIcons, EachStateIsItsOwnPictureAtEverySize) {
  testing::TestApplication();
  const QIcon base = StationIcon("korv-no-such-theme-icon");
  for (int size : {16, 22, 32, 64}) {
    SCOPED_TRACE(size);
    const QImage plain = base.pixmap(size).toImage();
    const QImage normal = StateIcon(base, "normal").pixmap(size).toImage();
    const QImage attention = StateIcon(base, "attention").pixmap(size).toImage();
    const QImage fault = StateIcon(base, "fault").pixmap(size).toImage();
    ASSERT_EQ(attention.size(), QSize(size, size));
    EXPECT_EQ(normal, plain);
    EXPECT_NE(attention, plain);
    EXPECT_NE(fault, plain);
    EXPECT_NE(attention, fault);
    // The badge covers the corner only: the rest is the station's icon.
    const QRect rest(0, 0, size / 2, size / 2);
    EXPECT_EQ(attention.copy(rest), plain.copy(rest));
    EXPECT_EQ(fault.copy(rest), plain.copy(rest));
    // Inside the badge's disc in the lower right corner, left of its mark.
    const double badge = std::max(9.0, size * 0.56), middle = size - badge / 2;
    const QPoint fill(static_cast<int>(middle - 0.3 * badge), static_cast<int>(middle));
    const QColor amber = attention.pixelColor(fill);
    const QColor red = fault.pixelColor(fill);
    EXPECT_GT(amber.red(), 200);
    EXPECT_GT(amber.green(), 120);
    EXPECT_LT(amber.blue(), 80);
    EXPECT_GT(red.red(), 150);
    EXPECT_LT(red.green(), 60);
    EXPECT_LT(red.blue(), 60);
  }
}

}  // namespace
}  // namespace korv
