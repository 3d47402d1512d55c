#include "platform/qt/ticket_picture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/qt/qt_test_app.h"

namespace korv {
namespace {

// Whether any pixel is clearly red, and the right edge of the ink.
struct Ink {
  bool red = false;
  int right = 0;
};

Ink Look(const QImage& image) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QColor c = image.pixelColor(x, y);
      if (c.red() > 150 && c.green() < 100) ink.red = true;
      if (c.lightness() < 128) ink.right = std::max(ink.right, x);
    }
  }
  return ink;
}

TEST(TicketPicture, DrawsSizeColourAndGrowsWithTheTicket) {
  testing::TestApplication();
  TicketLine normal{.text = "ORDER"};
  TicketLine wide = normal;
  wide.width = wide.height = 2;
  TicketLine red{.text = "{{ ALLERGY }}", .bold = true};
  red.red = true;
  QImage one = TicketPicture({normal}, true);
  EXPECT_EQ(one.width(), kTicketPaperWidth);
  EXPECT_GT(TicketPicture({normal, normal, PaperCutLine()}, true).height(), one.height());
  EXPECT_GT(Look(TicketPicture({wide}, true)).right, Look(one).right * 3 / 2);
  // Red only where the printer has a red ribbon.
  EXPECT_TRUE(Look(TicketPicture({red}, true)).red);
  EXPECT_FALSE(Look(TicketPicture({red}, false)).red);
}

}  // namespace
}  // namespace korv
