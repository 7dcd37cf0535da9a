#include <gtest/gtest.h>

#include "ui/controls/slider_logic.h"

namespace keyloom {
namespace {

SliderLogic Slider(int min, int max, int width, int position = 0) {
  SliderLogic s;
  s.SetRange(min, max);
  s.SetSize(width, 10);
  s.SetPosition(position);
  return s;
}

TEST(SliderLogic, PositionFromTheMouseReadsTenPixelsAheadAndTruncates) {
  struct Case {
    int x, expected;
  };
  // range 0..4, 50 pixels: trunc((x + 10) / 50 * 4)
  const Case cases[] = {{0, 0}, {2, 0}, {3, 1}, {30, 3}, {39, 3}, {40, 4}, {49, 4}, {500, 4}, {-100, 0}};
  SliderLogic s = Slider(0, 4, 50);
  for (const Case& c : cases) EXPECT_EQ(s.PositionAt(c.x), c.expected) << "x=" << c.x;

  SliderLogic offset = Slider(10, 20, 100);  // the minimum is added back
  EXPECT_EQ(offset.PositionAt(0), 11);
  SliderLogic vertical = Slider(0, 4, 10);
  vertical.SetVertical(true);
  vertical.SetSize(10, 50);
  EXPECT_EQ(vertical.PositionAt(30), 2);  // no lead for the vertical form
}

TEST(SliderLogic, PressMovesOnlyOffTheCurrentPixelAndReleaseAlwaysReports) {
  SliderLogic s = Slider(0, 4, 50);
  SliderOutcome o = s.Press(30, 5);
  EXPECT_TRUE(o.notify);
  EXPECT_EQ(s.position(), 3);
  EXPECT_TRUE(s.dragging());

  // The pixel of position 3 is trunc(3/4 * 50) = 37: a move there changes nothing.
  o = s.Move(37, 5);
  EXPECT_FALSE(o.notify);
  o = s.Move(0, 5);
  EXPECT_TRUE(o.notify);
  EXPECT_EQ(s.position(), 0);

  o = s.Release();
  EXPECT_TRUE(o.notify);
  EXPECT_FALSE(s.dragging());
  // A move without the button held does not drag.
  EXPECT_FALSE(s.Move(45, 5).notify);
  EXPECT_EQ(s.position(), 0);
  // A release with nothing changed still reports.
  EXPECT_TRUE(s.Release().notify);
}

TEST(SliderLogic, KeysStepWithinTheRangeAndAlwaysReport) {
  struct Case {
    SliderKey key;
    int from, expected;
  };
  const Case cases[] = {
      {SliderKey::kEnd, 1, 4},      {SliderKey::kRight, 4, 4},   {SliderKey::kHome, 3, 0},
      {SliderKey::kLeft, 0, 0},     {SliderKey::kDown, 2, 3},    {SliderKey::kUp, 2, 1},
      {SliderKey::kPageDown, 1, 3}, {SliderKey::kPageUp, 1, 0},
  };
  for (const Case& c : cases) {
    SliderLogic s = Slider(0, 4, 50, c.from);
    s.SetPageSize(2);
    const SliderOutcome o = s.Key(c.key);
    EXPECT_TRUE(o.notify);
    EXPECT_EQ(s.position(), c.expected) << "key " << static_cast<int>(c.key) << " from " << c.from;
  }
  SliderLogic s = Slider(0, 4, 50, 2);
  EXPECT_FALSE(s.Key(SliderKey::kOther).handled);
}

TEST(SliderLogic, WheelStepsOnlyWhileTheMouseIsOver) {
  SliderLogic s = Slider(0, 4, 50, 2);
  EXPECT_FALSE(s.Wheel(120).notify);
  s.Enter();
  struct Case {
    int delta, expected;
  };
  // One notch away: down; toward: up; a partial notch away: no change, but
  // still reported.
  const Case cases[] = {{120, 1}, {-120, 2}, {-1, 3}, {60, 3}, {240, 2}};
  for (const Case& c : cases) {
    const SliderOutcome o = s.Wheel(c.delta);
    EXPECT_TRUE(o.notify);
    EXPECT_EQ(s.position(), c.expected) << "delta " << c.delta;
  }
  s.Leave();
  EXPECT_FALSE(s.Wheel(120).handled);
}

TEST(SliderLogic, DisabledIgnoresInputAndDegenerateSizesAreSafe) {
  SliderLogic s = Slider(0, 4, 50, 2);
  s.SetEnabled(false);
  EXPECT_FALSE(s.Press(0, 0).handled);
  EXPECT_FALSE(s.Key(SliderKey::kEnd).handled);
  EXPECT_FALSE(s.Release().notify);
  EXPECT_EQ(s.position(), 2);

  SliderLogic empty = Slider(0, 4, 0, 2);
  EXPECT_EQ(empty.PositionAt(25), 2);
  SliderLogic flat = Slider(3, 3, 50);
  EXPECT_EQ(flat.PixelOf(3), 0);
  EXPECT_EQ(flat.PositionAt(40), 3);
}

}  // namespace
}  // namespace keyloom
