#include <gtest/gtest.h>

#include "ui/controls/bitmap_slider_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using testing::TestWindow;

struct SliderFixture {
  SliderFixture() : window(200, 100) {
    hwnd = window.AddStatic(1150, 20, 20, 50, 20);
    slider.Attach(hwnd);
    slider.SetRange(0, 4);
    slider.SetPageSize(2);
  }
  // The positions the parent was told about, in order, from its queue.
  std::vector<int> Posted() {
    testing::PumpPending();
    std::vector<int> positions;
    for (const auto& s : window.seen)
      if (s.message == kSliderMessage) {
        EXPECT_TRUE(s.posted);
        EXPECT_EQ(s.wparam, 1150u);
        positions.push_back(static_cast<int>(s.lparam));
      }
    window.seen.clear();
    return positions;
  }

  TestWindow window;
  HWND hwnd;
  CBitmapSlider slider;
};

TEST(BitmapSlider, MousePressesGiveThePositionUnderThePointer) {
  SliderFixture f;
  SendMessageW(f.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
  EXPECT_EQ(f.slider.position(), 3);
  EXPECT_EQ(GetCapture(), f.hwnd);
  SendMessageW(f.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, 5));
  EXPECT_EQ(f.slider.position(), 0);
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(0, 5));
  EXPECT_NE(GetCapture(), f.hwnd);
  EXPECT_EQ(f.Posted(), (std::vector<int>{3, 0, 0}));

  // A press on the pixel of the current position changes nothing, but the
  // release still reports.
  SendMessageW(f.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 5));
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(0, 5));
  EXPECT_EQ(f.Posted(), (std::vector<int>{0}));
}

TEST(BitmapSlider, KeysAndWheel) {
  SliderFixture f;
  struct Step {
    UINT message;
    WPARAM wparam;
    int expected;
  };
  const Step steps[] = {
      {WM_KEYDOWN, VK_END, 4},      {WM_KEYDOWN, VK_RIGHT, 4}, {WM_KEYDOWN, VK_HOME, 0},
      {WM_KEYDOWN, VK_NEXT, 2},     {WM_KEYDOWN, VK_UP, 1},    {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 2},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 1}, {WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 1},
  };
  SendMessageW(f.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // the wheel needs the mouse over the control
  std::vector<int> expected;
  for (const Step& s : steps) {
    SendMessageW(f.hwnd, s.message, s.wparam, 0);
    EXPECT_EQ(f.slider.position(), s.expected);
    expected.push_back(s.expected);
  }
  EXPECT_EQ(f.Posted(), expected);
  // Other keys pass on and report nothing.
  SendMessageW(f.hwnd, WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(f.Posted().empty());
}

TEST(BitmapSlider, TheParentHearsThroughItsQueueAfterTheControlHasRedrawn) {
  SliderFixture f;
  f.slider.SetPicture(testing::MakePicture(48, 18, [](int, int) { return RGB(10, 0, 0); }));
  testing::PumpPending();
  SendMessageW(f.hwnd, WM_KEYDOWN, VK_END, 0);
  // The control has painted already (nothing left to update) and the
  // notification waits in the parent's queue, not yet dispatched.
  EXPECT_FALSE(GetUpdateRect(f.hwnd, nullptr, FALSE));
  MSG queued{};
  EXPECT_TRUE(PeekMessageW(&queued, f.window.hwnd(), kSliderMessage, kSliderMessage, PM_NOREMOVE));
  EXPECT_TRUE(f.window.seen.empty());
  EXPECT_EQ(f.Posted(), std::vector<int>{4});
  // The owner then shows the picture of the new position.
  f.slider.SetPicture(testing::MakePicture(48, 18, [](int, int) { return RGB(50, 0, 0); }));
  EXPECT_EQ(testing::Rendering(f.hwnd).at(10, 10), RGB(50, 0, 0));
}

TEST(BitmapSlider, DisabledIgnoresInputAndResizesToItsPicture) {
  SliderFixture f;
  f.slider.SetEnabled(false);
  SendMessageW(f.hwnd, WM_KEYDOWN, VK_END, 0);
  SendMessageW(f.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
  EXPECT_EQ(f.slider.position(), 0);
  EXPECT_TRUE(f.Posted().empty());

  f.slider.SetPicture(testing::MakePicture(80, 16, [](int, int) { return RGB(1, 2, 3); }), true);
  RECT client{};
  GetClientRect(f.hwnd, &client);
  EXPECT_EQ(client.right, 80);
  EXPECT_EQ(client.bottom, 16);
}

// Each repaint used to invert the frame on the screen's own pixels (so
// hover repaints toggled it and it could outlive the mouse) and drew the
// picture one pixel in, without its last row and column.
TEST(BitmapSlider, TheSameStateAlwaysGivesTheSamePixels) {
  SliderFixture f;
  // Every edge pixel different, so a shift or a lost row shows.
  auto colour = [](int x, int y) { return RGB(40 + x * 4, 30 + y * 9, (x == 49 || y == 19) ? 250 : 90); };
  f.slider.SetPicture(testing::MakePicture(50, 20, colour));
  ASSERT_TRUE(testing::PumpUntilPainted(f.window.hwnd()));
  using testing::Rendering;
  auto shown = [&] {
    testing::PumpUntilPainted(f.window.hwnd());
    return Rendering(f.hwnd, Rendering::Source::kScreen);
  };
  const Rendering idle = shown();
  for (int y = 0; y < 20; y += 19)
    for (int x = 0; x < 50; x += 49) EXPECT_EQ(idle.at(x, y), colour(x, y)) << x << "," << y;
  EXPECT_EQ(Rendering(f.hwnd).Differences(idle), 0);  // a print gives what the screen shows

  SendMessageW(f.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  const Rendering hovered = shown();
  EXPECT_GT(hovered.Differences(idle), 0);  // the frame is there
  EXPECT_EQ(hovered.at(25, 10), colour(25, 10));  // and only on the edge
  for (int i = 0; i < 3; ++i) {
    SendMessageW(f.hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    InvalidateRect(f.hwnd, nullptr, FALSE);
    EXPECT_EQ(shown().Differences(hovered), 0) << "repaint " << i;
  }
  // A click on the current position's pixel changes nothing.
  SendMessageW(f.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 5));
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(0, 5));
  EXPECT_EQ(f.slider.position(), 0);
  EXPECT_EQ(shown().Differences(hovered), 0);
  SendMessageW(f.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(shown().Differences(idle), 0);
  InvalidateRect(f.hwnd, nullptr, FALSE);
  EXPECT_EQ(shown().Differences(idle), 0);
}

}  // namespace
}  // namespace keyloom
