// The colour button's drop-down palette apart from drawing: its colours in
// five columns, an "other" entry below them for a free colour, where each
// entry lies, which entry a point or a key reaches. There is no automatic
// entry: a button always holds a colour.
#pragma once

#include <array>
#include <cstdint>

namespace keyloom {

// Red in the low byte, then green, then blue.
using PaletteColour = uint32_t;

class ColourPalette {
 public:
  static constexpr int kColumns = 5;
  static constexpr int kRows = 8;
  static constexpr int kColours = kColumns * kRows;
  static constexpr int kOther = kColours;  // the entry that opens the colour dialog
  static constexpr int kNone = -1;

  // Geometry in pixels.
  static constexpr int kMargin = 6;
  static constexpr int kCell = 20;
  static constexpr int kGap = 3;
  static constexpr int kOtherHeight = 24;

  struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Box&) const = default;
  };

  static PaletteColour ColourAt(int index);
  // The entry holding exactly this colour, or kNone.
  static int IndexOf(PaletteColour colour);

  static int Width() { return 2 * kMargin + kColumns * kCell + (kColumns - 1) * kGap; }
  static int Height() { return OtherBox().bottom + kMargin; }
  static Box CellBox(int index);
  static Box OtherBox();
  // The entry at a point of the drop-down, or kNone (gaps and margins).
  static int HitTest(int x, int y);

  enum class Key { kLeft, kRight, kUp, kDown, kHome, kEnd };
  // The entry a key moves to from `current` (kNone starts at the first
  // colour). Down from the last row reaches "other"; up from it, the middle
  // of the last row.
  static int Move(int current, Key key);
};

}  // namespace keyloom
