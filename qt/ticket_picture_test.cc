#include "qt/ticket_picture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "qt/qt_test_app.h"

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

TEST(TicketPicture, DrawsThePaperAtItsColumnsSizeAndColour) {
  testing::TestApplication();
  TicketLine normal{.text = "ORDER"};
  TicketLine wide = normal;
  wide.width = wide.height = 2;
  TicketLine red{.text = "{{ ALLERGY }}", .bold = true};
  red.red = true;
  QImage one = TicketPicture({normal}, 48);
  EXPECT_EQ(one.width(), TicketPictureWidth(48));
  EXPECT_LT(TicketPictureWidth(32), TicketPictureWidth(48));
  EXPECT_GT(TicketPicture({normal, normal, PaperCutLine()}, 48).height(), one.height());
  EXPECT_GT(Look(TicketPicture({wide}, 48)).right, Look(one).right * 3 / 2);
  // A full line of 48 characters reaches the right edge of the print, never past
  // it; on 32 columns it wraps onto a second line.
  TicketLine full{.text = std::string(23, 'W') + " " + std::string(24, 'W')};
  int margin = (TicketPictureWidth(48) - 48 * 12) / 2;
  int right = Look(TicketPicture({full}, 48)).right;
  EXPECT_GT(right, TicketPictureWidth(48) - margin - 12);
  EXPECT_LT(right, TicketPictureWidth(48) - margin + 2);
  EXPECT_GT(TicketPicture({full}, 32).height(), TicketPicture({full}, 48).height());
  EXPECT_LT(Look(TicketPicture({full}, 32)).right, TicketPictureWidth(32) - margin + 2);
  EXPECT_TRUE(Look(TicketPicture({red}, 48)).red);
  EXPECT_FALSE(Look(TicketPicture({normal}, 48)).red);
}

}  // namespace
}  // namespace korv
