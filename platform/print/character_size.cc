#include "platform/print/character_size.h"

#include <algorithm>
#include <array>

namespace korv {
namespace {

struct Step {
  double up_to_points;  // the largest point size printed at this size
  double shown_points;  // a point size printed at it
  unsigned char size;
};

constexpr double kLargest = 1e9;
constexpr std::array<Step, 4> kTable = {{
    {12, 10, 0x00},
    {20, 16, 0x01},
    {30, 25, 0x11},
    {kLargest, 36, 0x22},
}};

}  // namespace

unsigned char EscPosCharacterSize(double points) {
  for (const Step& step : kTable)
    if (points <= step.up_to_points) return step.size;
  return kTable.back().size;
}

int CharacterWidth(unsigned char size) { return ((size >> 4) & 7) + 1; }

int CharacterHeight(unsigned char size) { return (size & 7) + 1; }

unsigned char CharacterSizeOf(int width, int height) {
  width = std::clamp(width, 1, 8);
  height = std::clamp(height, 1, 8);
  return static_cast<unsigned char>(((width - 1) << 4) | (height - 1));
}

unsigned char NarrowerCharacterSize(unsigned char size) {
  unsigned char narrower = size;
  for (const Step& step : kTable)
    if (CharacterWidth(step.size) < CharacterWidth(size)) narrower = step.size;
  return narrower;
}

double PointSizeOf(unsigned char size) {
  for (const Step& step : kTable)
    if (step.size == size) return step.shown_points;
  return kTable.front().shown_points;
}

}  // namespace korv
