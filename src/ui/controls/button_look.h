// The image button's decisions, apart from drawing: which of its five looks
// it shows, its colour frame, its caption style and where a rotated caption
// goes. The Win32 button (png_button_win32.h) draws what these say.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace keyloom {

// The five looks, in the order the state surfaces are handed to a button.
enum class ButtonLook { kNormal = 0, kOver = 1, kPressed = 2, kDisabled = 3, kSelected = 4 };

struct ButtonState {
  bool disabled = false;
  bool pressed = false;  // held down (owner-draw item state)
  bool mouse_over = false;
  bool selected = false;  // set by the owning window
};

// Disabled beats pressed, pressed beats mouse over, mouse over beats
// selected; otherwise normal.
ButtonLook SelectButtonLook(const ButtonState& state);

// Where a button copies its face from in a full-window state picture: its
// skin rectangle's x,y are one-based, the picture's pixels zero-based.
struct FaceSource {
  int x = 0, y = 0;
  bool operator==(const FaceSource&) const = default;
};
inline FaceSource FaceSourceFor(int origin_x, int origin_y) { return {origin_x - 1, origin_y - 1}; }

// Colour: red in the low byte, then green, then blue.
struct ColourFrame {
  bool on = false;
  uint32_t colour = 0;
  int strength = 0;  // 0..100 once switched on; kept but not drawn
};
// Strength above 100 becomes 100 when the frame is switched on.
ColourFrame MakeColourFrame(uint32_t colour, int strength, bool on);

// DrawText format flags the caption uses by default: centred both ways on
// one line (DT_CENTER | DT_VCENTER | DT_SINGLELINE).
inline constexpr uint32_t kDefaultCaptionFormat = 37;

struct CaptionMargins {
  int left = 0, right = 0, top = 0, bottom = 0;
};

struct CaptionStyle {
  bool show = false;
  int size_points = 8;
  std::u16string face = u"Tahoma Unicode MS";
  std::array<uint32_t, 5> colours{};  // indexed by ButtonLook
  uint32_t format = kDefaultCaptionFormat;
  CaptionMargins margins;
  int rotation = 0;  // tenths of a degree
  bool rotated = false;
};

inline uint32_t CaptionColour(const CaptionStyle& style, ButtonLook look) {
  return style.colours[static_cast<size_t>(look)];
}

// Font height for a size in points on a screen of `pixels_per_inch`
// vertically: negative, so it names the character height.
int CaptionFontHeight(int size_points, int pixels_per_inch);
// Font weight: normal, or heavy for a rotated caption.
inline int CaptionFontWeight(const CaptionStyle& style) { return style.rotated ? 956 : 400; }

struct CaptionBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const CaptionBox&) const = default;
};

// The client rectangle moved by the margins: left and top are added to the
// left and top edges, right and bottom to the right and bottom edges.
CaptionBox ApplyCaptionMargins(CaptionBox box, const CaptionMargins& margins);

// Centres a rotated caption of extent text_width x text_height in `box`
// (which is `box_width` x `box_height`): the left edge moves right when the
// rotated text is narrower than the box, the bottom edge moves up when it is
// lower. Rotation in tenths of a degree.
CaptionBox PlaceRotatedCaption(CaptionBox box, int text_width, int text_height, int rotation);

}  // namespace keyloom
