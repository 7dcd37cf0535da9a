#include "ui/controls/button_look.h"

#include <cmath>

namespace keyloom {

ButtonLook SelectButtonLook(const ButtonState& state) {
  if (state.disabled) return ButtonLook::kDisabled;
  if (state.pressed) return ButtonLook::kPressed;
  if (state.mouse_over) return ButtonLook::kOver;
  if (state.selected) return ButtonLook::kSelected;
  return ButtonLook::kNormal;
}

ColourFrame MakeColourFrame(uint32_t colour, int strength, bool on) {
  ColourFrame frame;
  frame.on = on;
  frame.colour = colour;
  frame.strength = (on && strength > 100) ? 100 : strength;
  return frame;
}

int CaptionFontHeight(int size_points, int pixels_per_inch) {
  // Rounded as the platform's MulDiv rounds, so a 10-point caption at 96 ppi
  // is 13 pixels high.
  const long long scaled = static_cast<long long>(size_points) * pixels_per_inch;
  const long long rounded = scaled >= 0 ? (scaled + 36) / 72 : (scaled - 36) / 72;
  return -static_cast<int>(rounded);
}

CaptionBox ApplyCaptionMargins(CaptionBox box, const CaptionMargins& margins) {
  box.left += margins.left;
  box.top += margins.top;
  box.right += margins.right;
  box.bottom += margins.bottom;
  return box;
}

CaptionBox PlaceRotatedCaption(CaptionBox box, int text_width, int text_height, int rotation) {
  const double a = rotation / 10.0 * 3.1415927 / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  const int wide = static_cast<int>(text_width * c);
  if (wide < width) box.left += (width - wide) / 2 - static_cast<int>(text_height * s / 2);
  const int high = static_cast<int>(text_width * s);
  if (high < height) box.bottom += -(height - high) / 2 + static_cast<int>(text_height * c / 2);
  return box;
}

}  // namespace keyloom
