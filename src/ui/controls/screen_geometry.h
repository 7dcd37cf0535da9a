// Rectangles and points on the screen, in pixels, for the portable parts
// that decide where a window goes.
#pragma once

namespace keyloom {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};
struct ScreenPoint {
  int x = 0, y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner of a width x height window centred on `area`.
inline ScreenPoint CentreOn(const ScreenRect& area, int width, int height) {
  return {area.left + (area.width() - width) / 2, area.top + (area.height() - height) / 2};
}

}  // namespace keyloom
