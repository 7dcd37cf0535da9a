// Where a window opens: centred in the work area of its monitor (the
// screen without the taskbar), and never with a part outside it.
#pragma once

#include <algorithm>

namespace keyloom {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
  int x = 0, y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner of a `width` x `height` window centred in `work`. A
// window larger than the work area keeps its top-left corner in it, so its
// title bar and its buttons stay reachable.
inline ScreenPoint CentreInWorkArea(const ScreenRect& work, int width, int height) {
  auto place = [](int low, int high, int size) { return std::max(low, low + (high - low - size) / 2); };
  return {place(work.left, work.right, width), place(work.top, work.bottom, height)};
}

// The top-left corner of a `width` x `height` window centred over `over`
// (its owner), moved as little as needed to lie inside `work`.
inline ScreenPoint CentreOver(const ScreenRect& over, const ScreenRect& work, int width, int height) {
  auto place = [](int centre_low, int centre_high, int low, int high, int size) {
    const int at = centre_low + (centre_high - centre_low - size) / 2;
    return std::max(low, std::min(at, high - size));
  };
  return {place(over.left, over.right, work.left, work.right, width),
          place(over.top, over.bottom, work.top, work.bottom, height)};
}

}  // namespace keyloom
