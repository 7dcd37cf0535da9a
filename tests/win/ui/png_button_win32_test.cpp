#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "ui/controls/picture_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using testing::PumpUntil;
using testing::Rendering;
using testing::TestWindow;

// Each state picture encodes where a pixel came from: red = x, green = y,
// blue = which look (normal 10, over 20, pressed 30, disabled 40, selected 50).
constexpr int kLookBlue[5] = {10, 20, 30, 40, 50};

struct Surfaces {
  explicit Surfaces(HWND window) {
    for (int look = 0; look < 5; ++look) {
      surfaces[look] = std::make_unique<SkinSurface>(window, 200, 200);
      GdiBitmap picture =
          testing::MakePicture(200, 200, [look](int x, int y) { return RGB(x, y, kLookBlue[look]); });
      surfaces[look]->DrawBitmap(picture.get());
    }
  }
  StateSurfaces get() const {
    return {surfaces[0].get(), surfaces[1].get(), surfaces[2].get(), surfaces[3].get(), surfaces[4].get()};
  }
  std::unique_ptr<SkinSurface> surfaces[5];
};

struct ButtonFixture {
  ButtonFixture(int x = 10, int y = 20, int w = 30, int h = 40) : window(200, 200), surfaces(window.hwnd()) {
    hwnd = window.AddButton(7, x, y, w, h, L"Go");
    button.Attach(hwnd);
    button.Place(x, y, surfaces.get(), true);
  }
  int BlueAt(int x, int y) { return GetBValue(Rendering(hwnd).at(x, y)); }

  TestWindow window;
  Surfaces surfaces;
  HWND hwnd;
  CPngButton button;
};

TEST(PngButton, AttachMakesTheButtonOwnerDrawn) {
  ButtonFixture f;
  EXPECT_EQ(GetWindowLongW(f.hwnd, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST(PngButton, CopiesItsFaceFromOnePixelUpAndLeftOfItsOrigin) {
  ButtonFixture f(10, 20, 30, 40);
  Rendering r(f.hwnd);
  ASSERT_EQ(r.width(), 30);
  ASSERT_EQ(r.height(), 40);
  EXPECT_EQ(r.at(0, 0), RGB(9, 19, 10));
  EXPECT_EQ(r.at(29, 39), RGB(38, 58, 10));
  // The same on the screen, through a real paint.
  EXPECT_TRUE(PumpUntil([&] { return testing::ScreenPixel(f.hwnd, 0, 0) == RGB(9, 19, 10); }, 2000))
      << std::hex << testing::ScreenPixel(f.hwnd, 0, 0);
}

TEST(PngButton, LooksFollowTheOrderDisabledPressedOverSelectedNormal) {
  ButtonFixture f;
  struct Step {
    const char* what;
    std::function<void(ButtonFixture&)> change;
    int blue;
  };
  const Step steps[] = {
      {"normal", [](ButtonFixture&) {}, 10},
      {"selected", [](ButtonFixture& g) { g.button.SetSelected(true, true); }, 50},
      {"selected under the mouse", [](ButtonFixture& g) { SendMessageW(g.hwnd, WM_MOUSEHOVER, 0, 0); }, 20},
      {"pressed", [](ButtonFixture& g) { SendMessageW(g.hwnd, BM_SETSTATE, TRUE, 0); }, 30},
      {"released", [](ButtonFixture& g) { SendMessageW(g.hwnd, BM_SETSTATE, FALSE, 0); }, 20},
      {"mouse gone", [](ButtonFixture& g) { SendMessageW(g.hwnd, WM_MOUSELEAVE, 0, 0); }, 50},
      {"disabled and selected", [](ButtonFixture& g) { EnableWindow(g.hwnd, FALSE); }, 40},
      {"disabled and pressed", [](ButtonFixture& g) { SendMessageW(g.hwnd, BM_SETSTATE, TRUE, 0); }, 40},
  };
  for (const Step& step : steps) {
    step.change(f);
    // The paint path (WM_PAINT reads the pushed state) and the print path agree.
    PumpUntil([&] { return GetBValue(testing::ScreenPixel(f.hwnd, 3, 3)) == step.blue; }, 2000);
    EXPECT_EQ(GetBValue(testing::ScreenPixel(f.hwnd, 3, 3)), step.blue) << step.what;
    RedrawWindow(f.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(f.BlueAt(3, 3), step.blue) << step.what;
  }
}

TEST(PngButton, ColourFrameIsATwoPixelOutlineInsetByOneUntilSwitchedOff) {
  ButtonFixture f(10, 20, 30, 40);
  f.button.SetColourFrame(RGB(255, 0, 0), 50, true);
  EXPECT_EQ(f.button.colour_frame().strength, 50);
  Rendering r(f.hwnd);
  EXPECT_EQ(r.at(1, 20), RGB(255, 0, 0));   // left edge
  EXPECT_EQ(r.at(15, 1), RGB(255, 0, 0));   // top edge
  EXPECT_EQ(r.at(28, 20), RGB(255, 0, 0));  // right edge
  EXPECT_EQ(r.at(15, 38), RGB(255, 0, 0));  // bottom edge
  // The face lies under the frame, even on a first paint.
  EXPECT_EQ(r.at(15, 20), RGB(24, 39, 10));
  EXPECT_EQ(r.at(5, 20), RGB(14, 39, 10));

  f.button.SetColourFrame(0, 50, false);
  EXPECT_EQ(Rendering(f.hwnd).at(1, 20), RGB(10, 39, 10));  // the face again
  f.button.SetColourFrame(RGB(0, 0, 255), 180, true);
  EXPECT_EQ(f.button.colour_frame().strength, 100);
}

TEST(PngButton, ButtonsDrawnTogetherShowWhatTheirOwnPaintsShow) {
  ButtonFixture f(10, 20, 30, 40);
  HWND second = f.window.AddButton(8, 60, 20, 30, 40);
  HWND hidden = f.window.AddButton(9, 100, 20, 30, 40);
  CPngButton b2, b3;
  b2.Attach(second);
  b2.Place(60, 20, f.surfaces.get(), true);
  b3.Attach(hidden);
  b3.Place(100, 20, f.surfaces.get(), true);
  ShowWindow(hidden, SW_HIDE);
  ASSERT_TRUE(PumpUntil([&] { return testing::ScreenPixel(second, 1, 20) == RGB(60, 39, 10); }, 2000));

  // Only stored: nothing is drawn until the buttons are drawn together.
  f.button.SetColourFrame(RGB(255, 0, 0), 50, true, false);
  b2.SetColourFrame(RGB(0, 255, 0), 50, true, false);
  b3.SetColourFrame(RGB(0, 0, 255), 50, true, false);
  testing::PumpPending();
  EXPECT_EQ(testing::ScreenPixel(f.hwnd, 1, 20), RGB(10, 39, 10));
  const COLORREF between = testing::ScreenPixel(f.window.hwnd(), 45, 40);
  CPngButton* buttons[] = {&f.button, &b2, &b3};
  DrawButtonsTogether(f.window.hwnd(), buttons);
  for (auto [button, frame] : {std::pair{f.hwnd, RGB(255, 0, 0)}, std::pair{second, RGB(0, 255, 0)}}) {
    EXPECT_EQ(testing::ScreenPixel(button, 1, 20), frame);
    EXPECT_EQ(testing::ScreenPixel(button, 28, 20), frame);
    // The same pixels as the button's own paint, and nothing outside it.
    EXPECT_EQ(testing::ScreenPixel(button, 15, 20), Rendering(button).at(15, 20));
  }
  EXPECT_EQ(testing::ScreenPixel(f.window.hwnd(), 45, 40), between);

  // A frame that stays on and changes colour is drawn alone over the face
  // already shown, without a clip: every pixel as the button's whole paint
  // gives it, and not one pixel of the ring around the button changes. Then
  // a frame that goes off brings the face back whole.
  auto ring = [&] {
    std::vector<COLORREF> pixels;
    for (int x = 9; x <= 40; ++x)
      for (int y : {19, 60}) pixels.push_back(testing::ScreenPixel(f.window.hwnd(), x, y));
    for (int y = 19; y <= 60; ++y)
      for (int x : {9, 40}) pixels.push_back(testing::ScreenPixel(f.window.hwnd(), x, y));
    return pixels;
  };
  const std::vector<COLORREF> around = ring();
  for (auto [colour, on] : {std::pair{RGB(0, 0, 255), true}, std::pair{RGB(7, 8, 9), true}, std::pair{0ul, false}}) {
    f.button.SetColourFrame(colour, 50, on, false);
    DrawButtonsTogether(f.window.hwnd(), std::span<CPngButton* const>(buttons, 1));
    EXPECT_EQ(Rendering(f.hwnd, Rendering::Source::kScreen).Differences(Rendering(f.hwnd)), 0)
        << "frame " << colour << (on ? " on" : " off");
    EXPECT_EQ(ring(), around) << "frame " << colour << (on ? " on" : " off");
  }

  // A button that moved is drawn in its new place, frame alone or whole.
  MoveWindow(second, 140, 20, 30, 40, TRUE);
  b2.Place(140, 20, f.surfaces.get(), true);
  testing::PumpPending();
  for (COLORREF colour : {RGB(0, 0, 255), RGB(255, 255, 0)}) {
    b2.SetColourFrame(colour, 50, true, false);
    DrawButtonsTogether(f.window.hwnd(), std::span<CPngButton* const>(buttons + 1, 1));
    EXPECT_EQ(testing::ScreenPixel(second, 1, 20), colour);
    EXPECT_EQ(Rendering(second, Rendering::Source::kScreen).Differences(Rendering(second)), 0);
  }
  // A button hidden since it was last drawn is left alone.
  ShowWindow(second, SW_HIDE);
  testing::PumpPending();
  const COLORREF uncovered = testing::ScreenPixel(f.window.hwnd(), 141, 40);
  b2.SetColourFrame(RGB(0, 255, 255), 50, true, false);
  DrawButtonsTogether(f.window.hwnd(), std::span<CPngButton* const>(buttons + 1, 1));
  EXPECT_EQ(testing::ScreenPixel(f.window.hwnd(), 141, 40), uncovered);

  // The hidden button was left alone; its own paint shows the frame once it is shown.
  ShowWindow(hidden, SW_SHOW);
  EXPECT_TRUE(PumpUntil([&] { return testing::ScreenPixel(hidden, 1, 20) == RGB(0, 0, 255); }, 2000));
}

TEST(PngButton, CaptionUsesTheColourOfTheLook) {
  TestWindow window(200, 100);
  HWND hwnd = window.AddButton(3, 0, 0, 120, 40, L"XXXXXXXXXXXX");
  CPngButton button;
  button.Attach(hwnd);
  // No surfaces: only the caption is drawn, on black.
  button.SetCaptionStyle(true, 20, u"Arial", RGB(255, 255, 255), RGB(0, 255, 0), RGB(0, 0, 255), RGB(128, 128, 128),
                         RGB(255, 0, 0), 37);
  auto has = [&](COLORREF colour) {
    Rendering r(hwnd);
    for (int y = 0; y < r.height(); ++y)
      for (int x = 0; x < r.width(); ++x)
        if (r.at(x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(has(RGB(255, 255, 255)));
  button.SetSelected(true, true);
  EXPECT_TRUE(has(RGB(255, 0, 0)));
  EXPECT_FALSE(has(RGB(255, 255, 255)));
  EnableWindow(hwnd, FALSE);
  EXPECT_TRUE(has(RGB(128, 128, 128)));
  // Margins push the text out of a box that is too small for it.
  EnableWindow(hwnd, TRUE);
  button.SetSelected(false, false);
  button.SetMargins(0, 0, 40, 40);
  EXPECT_FALSE(has(RGB(255, 255, 255)));
}

TEST(PngButton, DoubleClickCountsAsASecondPress) {
  ButtonFixture f;
  const LPARAM inside = MAKELPARAM(5, 5);
  SendMessageW(f.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, inside);
  SendMessageW(f.hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
  SendMessageW(f.hwnd, WM_LBUTTONUP, 0, inside);
  PumpUntil([&] { return f.window.clicks(7) >= 2; }, 2000);
  testing::PumpPending();
  EXPECT_EQ(f.window.clicks(7), 2);
}

TEST(PngButton, TooltipIsRecreatedOnHoverAndAnEmptyTextChangesNothing) {
  ButtonFixture f;
  f.button.SetTooltipText(u"Close the window");
  HWND first = f.button.tooltip();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(SendMessageW(first, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 300);
  f.button.SetTooltipText(u"");
  EXPECT_EQ(f.button.tooltip_text(), u"Close the window");
  EXPECT_EQ(f.button.tooltip(), first);

  SendMessageW(f.hwnd, WM_MOUSEHOVER, 0, 0);
  HWND second = f.button.tooltip();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  wchar_t text[64] = L"";
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = f.hwnd;
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(second, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Close the window");
  EXPECT_EQ(SendMessageW(second, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 300);
}

TEST(PngButton, RealMouseHoverAndLeave) {
  ButtonFixture f(10, 20, 60, 40);
  POINT centre{40, 40};
  ClientToScreen(f.window.hwnd(), &centre);
  SetCursorPos(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil([&] { return f.button.mouse_over(); }, 3000));
  EXPECT_TRUE(f.button.tracking());
  EXPECT_EQ(f.BlueAt(3, 3), 20);
  SetCursorPos(2, 2);
  ASSERT_TRUE(PumpUntil([&] { return !f.button.mouse_over(); }, 3000));
  EXPECT_FALSE(f.button.tracking());
  EXPECT_EQ(f.BlueAt(3, 3), 10);
}

TEST(PngButton, ALongSessionOfHoverLeaveAndRepaintLeaksNothing) {
  ButtonFixture f;
  f.button.SetCaptionStyle(true, 10, u"Arial", RGB(255, 255, 255), RGB(0, 130, 255), RGB(4, 155, 255),
                           RGB(127, 127, 127), RGB(255, 255, 255), 40);
  f.button.SetRotation(268, true);
  f.button.SetTooltipText(u"Apply");
  SendMessageW(f.hwnd, WM_MOUSEHOVER, 0, 0);  // the first tooltip is part of the baseline
  SendMessageW(f.hwnd, WM_MOUSELEAVE, 0, 0);
  testing::PumpPending();
  const int gdi_before = LiveGdiCount();
  const int hooks_before = LiveHookCount();
  for (int i = 0; i < 1000; ++i) {
    SendMessageW(f.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageW(f.hwnd, WM_MOUSEHOVER, 0, 0);
    SendMessageW(f.hwnd, WM_MOUSELEAVE, 0, 0);
    f.button.SetColourFrame(RGB(255, 0, 0), 50, i % 2 == 0);
    RedrawWindow(f.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SendMessageW(f.hwnd, WM_PRINTCLIENT, 0, 0);
  }
  testing::PumpPending();
  EXPECT_EQ(LiveGdiCount(), gdi_before);
  EXPECT_EQ(LiveHookCount(), hooks_before);
  // While it ran, the owners really were counting.
  EXPECT_GT(gdi_before, 0);
}

TEST(GdiOwners, CountWhatTheyHoldAndReleaseOnce) {
  const int before = LiveGdiCount();
  {
    GdiBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    GdiBrush moved(std::move(brush));
    EXPECT_EQ(LiveGdiCount(), before + 1);
    EXPECT_EQ(brush.get(), nullptr);
    GdiRegion region(CreateRectRgn(0, 0, 1, 1));
    HRGN handed = region.release();  // a new owner deletes it
    EXPECT_EQ(LiveGdiCount(), before + 1);
    DeleteObject(handed);
    MemoryDc dc(nullptr);
    EXPECT_EQ(LiveGdiCount(), before + 2);
  }
  EXPECT_EQ(LiveGdiCount(), before);
}

}  // namespace
}  // namespace keyloom
