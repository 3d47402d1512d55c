#pragma once
// Colours of the screen elements and of printed lines. The windows and the
// printing service share them, so they live below both.

#include <cstdint>

namespace korv {

// Colours are RGB values (red in the low byte: 255 is red, &H00FFFF yellow)
// or system colour values (&H80000000 and up).
using Color = int64_t;
constexpr Color kRed = 0x0000FF;
constexpr Color kYellow = 0x00FFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kButtonText = 0x80000012;
constexpr Color kButtonFace = 0x8000000F;
constexpr Color Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

}  // namespace korv
