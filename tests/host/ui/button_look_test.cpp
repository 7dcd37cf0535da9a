#include <gtest/gtest.h>

#include "ui/controls/button_look.h"

namespace keyloom {
namespace {

TEST(ButtonLook, FirstMatchingStateWinsInOrderDisabledPressedOverSelected) {
  struct Case {
    ButtonState state;
    ButtonLook look;
  };
  const Case cases[] = {
      {{false, false, false, false}, ButtonLook::kNormal},
      {{false, false, false, true}, ButtonLook::kSelected},
      {{false, false, true, true}, ButtonLook::kOver},       // selected under the mouse
      {{false, true, true, true}, ButtonLook::kPressed},     // ... and pressed
      {{true, false, false, true}, ButtonLook::kDisabled},   // disabled and selected
      {{true, true, true, true}, ButtonLook::kDisabled},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectButtonLook(c.state), c.look)
        << "disabled=" << c.state.disabled << " pressed=" << c.state.pressed << " over=" << c.state.mouse_over
        << " selected=" << c.state.selected;
  }
}

TEST(ButtonLook, FaceIsCopiedFromOnePixelUpAndLeftOfTheSkinOrigin) {
  const FaceSource s = FaceSourceFor(10, 20);
  EXPECT_EQ(s.x, 9);
  EXPECT_EQ(s.y, 19);
}

TEST(ButtonLook, ColourFrameStrengthIsClampedOnlyWhenSwitchedOn) {
  EXPECT_EQ(MakeColourFrame(0xFF, 150, true).strength, 100);
  EXPECT_EQ(MakeColourFrame(0xFF, 150, false).strength, 150);
  const ColourFrame f = MakeColourFrame(0x0000FF, 50, true);
  EXPECT_TRUE(f.on);
  EXPECT_EQ(f.colour, 0x0000FFu);
  EXPECT_EQ(f.strength, 50);
}

TEST(ButtonLook, CaptionGeometry) {
  EXPECT_EQ(CaptionFontHeight(10, 96), -13);
  EXPECT_EQ(CaptionFontHeight(8, 96), -11);
  EXPECT_EQ(ApplyCaptionMargins({0, 0, 100, 20}, {2, -3, 4, -5}), (CaptionBox{2, 4, 97, 15}));

  // No rotation: a narrower text is moved to the middle, the bottom edge is
  // lifted by half the free height and lowered by half the text height.
  EXPECT_EQ(PlaceRotatedCaption({0, 0, 100, 40}, 60, 10, 0), (CaptionBox{20, 0, 100, 40 - 20 + 5}));
  // A text wider than the box keeps its left edge.
  EXPECT_EQ(PlaceRotatedCaption({0, 0, 50, 40}, 60, 10, 0).left, 0);
  // 90 degrees: cos is ~0, so the text's own width no longer counts across;
  // sin is just under 1, so half the text height truncates to 4.
  const CaptionBox up = PlaceRotatedCaption({0, 0, 40, 100}, 60, 10, 900);
  EXPECT_EQ(up.left, 20 - 4);
  EXPECT_EQ(up.bottom, 100 - 20 + 0);
}

}  // namespace
}  // namespace keyloom
