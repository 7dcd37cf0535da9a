// The bitmap slider's position rules: the position at a mouse coordinate,
// the pixel of a position, and what each input does. The Win32 slider
// (bitmap_slider_win32.h) feeds input in and posts the notification these
// functions ask for.
#pragma once

namespace keyloom {

// Message the slider posts to its parent: wParam = control id, lParam = the
// new position.
inline constexpr unsigned kSliderMessage = 0x28D1;

enum class SliderKey { kPageUp, kPageDown, kEnd, kHome, kRight, kDown, kLeft, kUp, kOther };

// What an input asks of the control.
struct SliderOutcome {
  bool handled = false;  // the input was the slider's (other keys pass on)
  bool notify = false;   // post kSliderMessage with position()
  bool redraw = false;
};

class SliderLogic {
 public:
  int position() const { return position_; }
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  bool dragging() const { return dragging_; }
  bool mouse_over() const { return mouse_over_; }
  bool enabled() const { return enabled_; }

  void SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    SetPosition(position_);
  }
  void SetPageSize(int page) { page_ = page; }
  void SetVertical(bool vertical) { vertical_ = vertical; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // The control's client size, which the mouse formula divides by.
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  // Limited to the maximum, then to the minimum.
  void SetPosition(int position);

  // The position at a client coordinate (x for a horizontal slider, y for a
  // vertical one), in floating point, truncated toward zero, and kept within
  // the range.
  int PositionAt(int coordinate) const;
  // The pixel of a position along the slider, truncated.
  int PixelOf(int position) const;

  // Input; nothing happens while the control is disabled.
  SliderOutcome Press(int x, int y);
  SliderOutcome Move(int x, int y);
  SliderOutcome Release();
  SliderOutcome Key(SliderKey key);
  // `delta` is the wheel step as the platform gives it (signed, 120 a notch,
  // positive away from the user).
  SliderOutcome Wheel(int delta);
  void Enter() { mouse_over_ = true; }
  void Leave() { mouse_over_ = false; }

 private:
  SliderOutcome MoveTo(int coordinate);

  int position_ = 0;
  int minimum_ = 0;
  int maximum_ = 100;
  int page_ = 10;
  bool vertical_ = false;
  int width_ = 0, height_ = 0;
  bool enabled_ = true;
  bool dragging_ = false;
  bool mouse_over_ = false;
};

}  // namespace keyloom
