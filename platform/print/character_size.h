#pragma once
// The character sizes of a ticket printer and the one table that gives each
// point size of a ticket its printed size. A size is the ESC/POS GS ! byte:
// width multiplier - 1 in the high nibble, height multiplier - 1 in the low.
//   up to 12 pt   normal                  (0x00)
//   13 to 20 pt   double height           (0x01)
//   21 to 30 pt   double width and height (0x11)
//   31 pt and up  triple width and height (0x22)
// So the base size (10 pt) is normal, "ORDER" (25 pt) is double, and the
// order number (40 pt) and "TAKE OUT" (36 pt) are triple.

namespace korv {

unsigned char EscPosCharacterSize(double points);

// Multipliers of a size byte, 1 to 8 each.
int CharacterWidth(unsigned char size);
int CharacterHeight(unsigned char size);
unsigned char CharacterSizeOf(int width, int height);

// The largest size of the table with narrower characters than `size` (a
// heading one step down); `size` itself when its characters are as narrow as
// any.
unsigned char NarrowerCharacterSize(unsigned char size);

// A point size the table prints at `size`, for a preview that shows a line
// at the size it is printed.
double PointSizeOf(unsigned char size);

}  // namespace korv
