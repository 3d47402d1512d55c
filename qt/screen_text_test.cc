#include "qt/screen_text.h"

#include <gtest/gtest.h>

#include "qt/qt_test_app.h"

namespace korv {
namespace {

TEST(ScreenText, Cp1252BytesShowAsTheirCharacters) {
  // Euro sign, curly quotes, e acute, a byte the code page leaves undefined.
  EXPECT_EQ(FromCp1252("\x80 \x93"
                       "Caf\xE9\x94 \x81"),
            QString::fromUtf8("\u20AC \u201CCaf\u00E9\u201D \u0081"));
  EXPECT_EQ(FromCp1252(std::string("a\0b", 3)).size(), 3);
  // The error text separates lines with CR alone, the log with CR LF.
  EXPECT_EQ(ScreenText("\rfirst\rsecond\r\nthird\n"), "\nfirst\nsecond\nthird\n");
  // The tip is NUL-ended and its lines end in CR.
  const char tip[] = "Korvain \rPending - 3\r\0junk";  // the NUL and what lies past it
  EXPECT_EQ(ScreenTip(std::string(tip, sizeof tip - 1)), "Korvain \nPending - 3");
}

TEST(ScreenText, ColoursHaveRedInTheLowByte) {
  testing::TestApplication();
  EXPECT_EQ(ToQColor(kRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(kYellow), QColor(255, 255, 0));
  EXPECT_EQ(ToQColor(Rgb(1, 2, 3)), QColor(1, 2, 3));
  EXPECT_TRUE(ToQColor(kButtonFace).has_value());
  EXPECT_FALSE(ToQColor(0x80000005).has_value());
}

}  // namespace
}  // namespace korv
