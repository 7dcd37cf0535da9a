#include "ui/controls/slider_logic.h"

#include <cmath>

namespace keyloom {

void SliderLogic::SetPosition(int position) {
  if (position > maximum_) position = maximum_;
  if (position < minimum_) position = minimum_;
  position_ = position;
}

int SliderLogic::PositionAt(int coordinate) const {
  const int extent = vertical_ ? height_ : width_;
  // A control without a size has no positions to point at.
  if (extent <= 0) return position_;
  // The horizontal formula reads ten pixels ahead of the pointer, so the
  // first position is reached before the pointer is at its very start.
  const double along = vertical_ ? coordinate : coordinate + 10.0;
  const double value = along / extent * (maximum_ - minimum_) + minimum_;
  if (value >= maximum_) return maximum_;
  if (value <= minimum_) return minimum_;
  return static_cast<int>(value);
}

int SliderLogic::PixelOf(int position) const {
  const int extent = vertical_ ? height_ : width_;
  if (maximum_ == minimum_) return 0;
  return static_cast<int>(static_cast<double>(position - minimum_) / (maximum_ - minimum_) * extent);
}

SliderOutcome SliderLogic::MoveTo(int coordinate) {
  if (coordinate == PixelOf(position_)) return {true, false, false};
  SetPosition(PositionAt(coordinate));
  return {true, true, true};
}

SliderOutcome SliderLogic::Press(int x, int y) {
  if (!enabled_) return {};
  mouse_over_ = true;
  dragging_ = true;
  return MoveTo(vertical_ ? y : x);
}

SliderOutcome SliderLogic::Move(int x, int y) {
  if (!enabled_) return {};
  if (!dragging_) return {true, false, false};
  return MoveTo(vertical_ ? y : x);
}

SliderOutcome SliderLogic::Release() {
  if (!enabled_) return {};
  dragging_ = false;
  // Always reported, so the owner sees the end of a drag even without a change.
  return {true, true, false};
}

SliderOutcome SliderLogic::Key(SliderKey key) {
  if (!enabled_) return {};
  switch (key) {
    case SliderKey::kPageUp: SetPosition(position_ - page_); break;
    case SliderKey::kPageDown: SetPosition(position_ + page_); break;
    case SliderKey::kEnd: SetPosition(maximum_); break;
    case SliderKey::kHome: SetPosition(minimum_); break;
    case SliderKey::kRight:
    case SliderKey::kDown: SetPosition(position_ + 1); break;
    case SliderKey::kLeft:
    case SliderKey::kUp: SetPosition(position_ - 1); break;
    case SliderKey::kOther: return {};
  }
  return {true, true, true};
}

SliderOutcome SliderLogic::Wheel(int delta) {
  if (!enabled_ || !mouse_over_) return {};
  // One notch away from the user (120) steps down, any step toward the user
  // steps up; a partial step away does nothing. Several notches away at once
  // also step down: read as an unsigned number they would look like a step
  // toward the user.
  if (delta >= 120) {
    SetPosition(position_ - 1);
  } else if (delta < 0) {
    SetPosition(position_ + 1);
  }
  return {true, true, true};
}

}  // namespace keyloom
