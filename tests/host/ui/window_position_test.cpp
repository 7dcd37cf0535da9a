#include <gtest/gtest.h>

#include "ui/controls/window_position.h"

namespace keyloom {
namespace {

TEST(WindowPosition, TheMainWindowOpensCentredInsideTheWorkArea) {
  struct Case {
    ScreenRect work;
    ScreenPoint at;
  } cases[] = {
      {{0, 0, 1280, 984}, {120, 178}},        // 1280 x 1024, taskbar below
      {{0, 0, 1366, 728}, {163, 50}},         // 1366 x 768
      {{1280, 40, 2560, 1024}, {1400, 218}},  // a second monitor, taskbar above
      {{0, 0, 1024, 600}, {0, 0}},            // smaller than the window: its corner stays in
  };
  for (const Case& c : cases) {
    const ScreenPoint at = CentreInWorkArea(c.work, 1040, 628);
    EXPECT_EQ(at, c.at) << c.work.right << "x" << c.work.bottom;
    if (c.work.right - c.work.left >= 1040 && c.work.bottom - c.work.top >= 628) {
      EXPECT_LE(at.x + 1040, c.work.right);
      EXPECT_LE(at.y + 628, c.work.bottom);
    }
    EXPECT_GE(at.x, c.work.left);
    EXPECT_GE(at.y, c.work.top);
  }
}

TEST(WindowPosition, ADialogOpensCentredOverItsOwnerAndInsideTheWorkArea) {
  const ScreenRect work{0, 0, 1280, 984};
  EXPECT_EQ(CentreOver({120, 178, 1160, 806}, work, 540, 340), (ScreenPoint{370, 322}));
  // An owner near the edge: the dialog stays on the screen.
  EXPECT_EQ(CentreOver({900, 700, 1940, 1328}, work, 540, 340), (ScreenPoint{740, 644}));
  EXPECT_EQ(CentreOver({-800, -500, 100, 100}, work, 540, 340), (ScreenPoint{0, 0}));
}

}  // namespace
}  // namespace keyloom
