#include "ui/controls/colour_palette.h"



namespace keyloom {
namespace {

// Written as 0xRRGGBB; rows run from the warm colours round the wheel, then
// tints, deep colours and greys down to off.
constexpr std::array<uint32_t, ColourPalette::kColours> kWebColours = {
    0xFF0000, 0xFF4000, 0xFF8000, 0xFFC000, 0xFFFF00,  //
    0xC0FF00, 0x80FF00, 0x40FF00, 0x00FF00, 0x00FF80,  //
    0x00FFC0, 0x00FFFF, 0x00C0FF, 0x0080FF, 0x0040FF,  //
    0x0000FF, 0x4000FF, 0x8000FF, 0xC000FF, 0xFF00FF,  //
    0xFF00C0, 0xFF0080, 0xFF0040, 0xFF6080, 0xFFA0C0,  //
    0xFFC080, 0xFFFF80, 0x80FF80, 0x80FFFF, 0x8080FF,  //
    0x800000, 0x804000, 0x008000, 0x000080, 0x400080,  //
    0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000,  //
};

}  // namespace

PaletteColour ColourPalette::ColourAt(int index) {
  if (index < 0 || index >= kColours) return 0;
  const uint32_t web = kWebColours[index];
  return (web >> 16 & 0xFF) | (web & 0xFF00) | (web & 0xFF) << 16;
}

int ColourPalette::IndexOf(PaletteColour colour) {
  for (int i = 0; i < kColours; ++i)
    if (ColourAt(i) == (colour & 0xFFFFFF)) return i;
  return kNone;
}

ColourPalette::Box ColourPalette::CellBox(int index) {
  const int column = index % kColumns, row = index / kColumns;
  const int left = kMargin + column * (kCell + kGap), top = kMargin + row * (kCell + kGap);
  return {left, top, left + kCell, top + kCell};
}

ColourPalette::Box ColourPalette::OtherBox() {
  const int top = CellBox(kColours - 1).bottom + kMargin;
  return {kMargin, top, Width() - kMargin, top + kOtherHeight};
}

int ColourPalette::HitTest(int x, int y) {
  if (OtherBox().Contains(x, y)) return kOther;
  for (int i = 0; i < kColours; ++i)
    if (CellBox(i).Contains(x, y)) return i;
  return kNone;
}

int ColourPalette::Move(int current, Key key) {
  if (current == kNone) return 0;
  if (current == kOther) {
    switch (key) {
      case Key::kUp: return kColours - kColumns / 2 - 1;
      case Key::kHome: return 0;
      default: return kOther;
    }
  }
  const int column = current % kColumns;
  switch (key) {
    case Key::kLeft: return column > 0 ? current - 1 : current;
    case Key::kRight: return column < kColumns - 1 ? current + 1 : current;
    case Key::kUp: return current >= kColumns ? current - kColumns : current;
    case Key::kDown: return current + kColumns < kColours ? current + kColumns : kOther;
    case Key::kHome: return 0;
    case Key::kEnd: return kOther;
  }
  return current;
}

}  // namespace keyloom
