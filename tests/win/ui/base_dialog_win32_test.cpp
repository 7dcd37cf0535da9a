#include <gtest/gtest.h>

#include <windowsx.h>

#include <atomic>
#include <thread>

#include "base/text.h"
#include "storage/ini.h"
#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/placement_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using testing::PumpUntil;

// A skin folder written by the test: a layout file and its pictures.
struct SkinFolder {
  explicit SkinFolder(const std::u16string& name) : folder(testing::TestFolder(name)), layout(folder + u"Test.ini") {}
  void Layout(const std::string& text) { ASSERT_TRUE(testing::WriteFileBytes(layout, text)); }
  std::u16string folder;
  std::u16string layout;
};

class TestSkinDialog final : public CBaseDialog {
 public:
  TestSkinDialog(const SkinFolder& skin, const IniService& ini, int* missing)
      : CBaseDialog(GetModuleHandleW(nullptr), 0, nullptr, skin.layout, skin.folder,
                    SkinEnvironment{ini, [missing] { ++*missing; }}) {
    dialog.AddButton(77, 4, 4, 20, 10, L"");
    UseTemplate(dialog.get());
  }
  using CBaseDialog::OnOK;
  testing::DialogTemplate dialog{100, 60};

 protected:
  // The template places the control in dialog units, which follow the
  // system font; the tests need it at a known place in pixels.
  BOOL OnInitDialog() override {
    const BOOL result = CBaseDialog::OnInitDialog();
    SetWindowPos(GetDlgItem(hwnd(), 77), nullptr, kControl.left, kControl.top, kControl.right - kControl.left,
                 kControl.bottom - kControl.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return result;
  }

 public:
  static constexpr RECT kControl{12, 12, 24, 20};
};

// True when client point (x, y) of `dialog` shows the dialog's own face,
// not one of its controls.
::testing::AssertionResult IsOwnFace(HWND dialog, int x, int y) {
  const HWND hit = ChildWindowFromPointEx(dialog, POINT{x, y}, CWP_SKIPINVISIBLE);
  if (hit == dialog) return ::testing::AssertionSuccess();
  RECT box{};
  GetWindowRect(hit, &box);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  return ::testing::AssertionFailure() << "(" << x << "," << y << ") is covered by control "
                                       << GetDlgCtrlID(hit) << " at " << box.left << "," << box.top << "-"
                                       << box.right << "," << box.bottom;
}

// A 60 x 40 picture: a dark 40 x 20 block at (10, 10) on white.
COLORREF Shape(int x, int y) { return (x >= 10 && x < 50 && y >= 10 && y < 30) ? RGB(20, 40, 60) : RGB(255, 255, 255); }

struct DialogFixture : ::testing::Test {
  GdiplusSession graphics;
  NativeIniService ini;
  int missing = 0;
};

TEST_F(DialogFixture, TakesItsSizeFromTheBackgroundAndItsShapeFromTheMask) {
  SkinFolder skin(u"shape");
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"bg.bmp", 60, 40, [](int x, int y) { return RGB(x, y, 7); }));
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"mask.bmp", 60, 40, Shape));
  skin.Layout("[SCREEN]\r\nMain=bg.bmp\r\nMask=mask.bmp\r\n");
  TestSkinDialog dialog(skin, ini, &missing);
  ASSERT_NE(dialog.Create(), nullptr);
  EXPECT_EQ(missing, 0);
  RECT window{};
  GetWindowRect(dialog.hwnd(), &window);
  EXPECT_EQ(window.right - window.left, 60);
  EXPECT_EQ(window.bottom - window.top, 40);

  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(dialog.hwnd(), shape), SIMPLEREGION);
  RECT box{};
  GetRgnBox(shape, &box);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(box.right, 50);
  EXPECT_EQ(box.bottom, 30);
  DeleteObject(shape);

  // The background is the whole face.
  ASSERT_TRUE(IsOwnFace(dialog.hwnd(), 45, 25));
  testing::Rendering face(dialog.hwnd());
  EXPECT_EQ(face.at(45, 25), RGB(45, 25, 7));
  SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_TRUE(PumpUntil([&] { return testing::ScreenPixel(dialog.hwnd(), 45, 25) == RGB(45, 25, 7); }, 2000));
}

TEST_F(DialogFixture, WithoutAMaskTheBackgroundCutsTheShape) {
  SkinFolder skin(u"nomask");
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"bg.bmp", 60, 40, Shape));
  skin.Layout("[SCREEN]\r\nMain=bg.bmp\r\n");
  TestSkinDialog dialog(skin, ini, &missing);
  ASSERT_NE(dialog.Create(), nullptr);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(dialog.hwnd(), shape), ERROR);
  EXPECT_TRUE(PtInRegion(shape, 10, 10));
  EXPECT_FALSE(PtInRegion(shape, 9, 10));
  EXPECT_FALSE(PtInRegion(shape, 50, 29));
  DeleteObject(shape);
}

TEST_F(DialogFixture, AnAllWhiteMaskGivesAnEmptyRegion) {
  SkinFolder skin(u"white");
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"bg.bmp", 30, 20, [](int, int) { return RGB(0, 0, 0); }));
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"mask.bmp", 30, 20, [](int, int) { return RGB(255, 255, 255); }));
  skin.Layout("[SCREEN]\r\nMain=bg.bmp\r\nMask=mask.bmp\r\n");
  TestSkinDialog dialog(skin, ini, &missing);
  ASSERT_NE(dialog.Create(), nullptr);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(dialog.hwnd(), shape), NULLREGION);
  DeleteObject(shape);
  // A region straight from the mask, too.
  GdiBitmap mask = LoadPicture(skin.folder + u"mask.bmp");
  GdiRegion region = RegionFromMask(mask.get());
  ASSERT_TRUE(region);
  RECT box{};
  EXPECT_EQ(GetRgnBox(region.get(), &box), NULLREGION);
}

TEST_F(DialogFixture, AMissingOrUndecodablePictureEndsTheProgramSilently) {
  struct Case {
    const char* layout;
    bool write_background, write_mask, corrupt_mask;
  };
  const Case cases[] = {
      {"[SCREEN]\r\nMain=absent.bmp\r\n", false, false, false},
      {"[SCREEN]\r\nMain=bg.bmp\r\nMask=absent.bmp\r\n", true, false, false},
      {"[SCREEN]\r\nMain=bg.bmp\r\nMask=mask.bmp\r\n", true, true, true},
      {"", false, false, false},  // no layout at all
  };
  int n = 0;
  for (const Case& c : cases) {
    SkinFolder skin(u"missing" + Utf8ToUtf16(std::to_string(n++)));
    if (c.write_background) testing::WriteBmp(skin.folder + u"bg.bmp", 20, 20, [](int, int) { return RGB(1, 1, 1); });
    if (c.write_mask) {
      testing::WriteFileBytes(skin.folder + u"mask.bmp", "not a picture");
    }
    skin.Layout(c.layout);
    int calls = 0;
    TestSkinDialog dialog(skin, ini, &calls);
    dialog.Create();
    EXPECT_EQ(calls, 1) << c.layout;
  }
}

TEST_F(DialogFixture, PressingTheBackgroundStartsAMoveButPressingAControlDoesNot) {
  SkinFolder skin(u"drag");
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"bg.bmp", 100, 60, [](int, int) { return RGB(90, 90, 90); }));
  skin.Layout("[SCREEN]\r\nMain=bg.bmp\r\n");
  TestSkinDialog dialog(skin, ini, &missing);
  ASSERT_NE(dialog.Create(), nullptr);
  SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 300, 300, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(dialog.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == dialog.hwnd(); }, 2000));
  RECT before{};
  GetWindowRect(dialog.hwnd(), &before);
  HWND control = GetDlgItem(dialog.hwnd(), 77);
  RECT control_box{};
  GetWindowRect(control, &control_box);

  // Real input from another thread: the window's move loop runs on this one.
  // The drag is over when the thread has sent everything and this thread's
  // queue holds no input any more.
  auto drag = [&](POINT from, POINT to) {
    std::atomic<bool> sent{false};
    std::thread input([from, to, &sent] {
      auto send = [](DWORD flags, int x, int y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &in, sizeof(in));
        Sleep(30);  // paces the events like a hand would; nothing waits on it
      };
      send(0, from.x, from.y);
      send(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
      for (int step = 1; step <= 4; ++step)
        send(0, from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4);
      send(MOUSEEVENTF_LEFTUP, to.x, to.y);
      sent = true;
    });
    const bool done = PumpUntil(
        [&] {
          POINT cursor{};
          GetCursorPos(&cursor);
          return sent && cursor.x == to.x && cursor.y == to.y && GetQueueStatus(QS_INPUT) == 0 &&
                 !(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
        },
        5000);
    input.join();
    return done;
  };

  const POINT on_control{control_box.left + 3, control_box.top + 3};
  ASSERT_TRUE(drag(on_control, {on_control.x + 40, on_control.y + 30}));
  RECT after_control{};
  GetWindowRect(dialog.hwnd(), &after_control);
  EXPECT_EQ(after_control.left, before.left);
  EXPECT_EQ(after_control.top, before.top);

  const POINT on_background{before.left + 60, before.top + 40};
  ASSERT_TRUE(IsOwnFace(dialog.hwnd(), 60, 40));
  ASSERT_TRUE(drag(on_background, {on_background.x + 40, on_background.y + 30}));
  RECT after{};
  EXPECT_TRUE(PumpUntil(
      [&] {
        GetWindowRect(dialog.hwnd(), &after);
        return after.left == before.left + 40 && after.top == before.top + 30;
      },
      3000))
      << "window at " << after.left << "," << after.top << ", started at " << before.left << "," << before.top;
}

TEST_F(DialogFixture, OkAndCancelReleaseThePictures) {
  SkinFolder skin(u"release");
  ASSERT_TRUE(testing::WriteBmp(skin.folder + u"bg.bmp", 20, 20, [](int, int) { return RGB(9, 9, 9); }));
  skin.Layout("[SCREEN]\r\nMain=bg.bmp\r\n");
  const int before = LiveGdiCount();
  TestSkinDialog dialog(skin, ini, &missing);
  ASSERT_NE(dialog.Create(), nullptr);
  EXPECT_NE(dialog.background(), nullptr);
  EXPECT_EQ(LiveGdiCount(), before + 2);
  dialog.OnOK();
  EXPECT_EQ(dialog.background(), nullptr);
  EXPECT_EQ(dialog.mask(), nullptr);
  EXPECT_EQ(LiveGdiCount(), before);
  EXPECT_EQ(dialog.hwnd(), nullptr);  // ended
}

// --- placement on real windows ---

struct PlacementFixture : DialogFixture {
  PlacementFixture() : skin(u"place"), window(300, 200) {
    skin.Layout(
        "[BUTTONINFO]\r\nKEY_A=10,20,30,40\r\nKEY_CORNER=1,1,80,20\r\nKEY_ORIGIN=50,60,20,10\r\n"
        "[BUTTONINFO2]\r\nFRAME1=100,5,1,1\r\n");
    for (int i = 0; i < 5; ++i) {
      surfaces[i] = std::make_unique<SkinSurface>(window.hwnd(), 200, 200);
      GdiBitmap picture = testing::MakePicture(200, 200, [i](int x, int y) { return RGB(x, y, 10 * (i + 1)); });
      surfaces[i]->DrawBitmap(picture.get());
    }
  }
  StateSurfaces looks() const {
    return {surfaces[0].get(), surfaces[1].get(), surfaces[2].get(), surfaces[3].get(), surfaces[4].get()};
  }
  RECT Placed(HWND control) const {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  SkinFolder skin;
  testing::TestWindow window;
  std::unique_ptr<SkinSurface> surfaces[5];
};

TEST_F(PlacementFixture, SkinButtonGoesToItsRectangleAndCopiesFromOneLess) {
  CPngButton button;
  button.Attach(window.AddButton(1, 0, 0, 5, 5));
  PlaceSkinButton(button, ini, skin.layout, u"BUTTONINFO", u"KEY_A", looks());
  const RECT r = Placed(button.hwnd());
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 30);
  EXPECT_EQ(r.bottom - r.top, 40);
  EXPECT_TRUE(IsWindowEnabled(button.hwnd()));
  EXPECT_EQ(testing::Rendering(button.hwnd()).at(0, 0), RGB(9, 19, 10));
}

TEST_F(PlacementFixture, AButtonAtOneOneIsDisabledAndAMissingKeyIsAOnePixelOne) {
  CPngButton corner, missing_key;
  corner.Attach(window.AddButton(2, 50, 50, 5, 5));
  missing_key.Attach(window.AddButton(3, 50, 50, 5, 5));
  PlaceSkinButton(corner, ini, skin.layout, u"BUTTONINFO", u"KEY_CORNER", looks());
  PlaceSkinButton(missing_key, ini, skin.layout, u"BUTTONINFO", u"KEY_NONE", looks());
  EXPECT_FALSE(IsWindowEnabled(corner.hwnd()));
  const RECT c = Placed(corner.hwnd());
  EXPECT_EQ(c.right - c.left, 80);
  EXPECT_EQ(c.bottom - c.top, 20);
  EXPECT_FALSE(IsWindowEnabled(missing_key.hwnd()));
  const RECT m = Placed(missing_key.hwnd());
  EXPECT_EQ(m.left, 1);
  EXPECT_EQ(m.top, 1);
  EXPECT_EQ(m.right - m.left, 1);
  EXPECT_EQ(m.bottom - m.top, 1);
  // Disabled, it shows the disabled picture.
  EXPECT_EQ(GetBValue(testing::Rendering(corner.hwnd()).at(2, 2)), 40);
}

TEST_F(PlacementFixture, WithOriginTakesThePictureFromAnotherKeyInAllLooks) {
  CPngButton arrow;
  arrow.Attach(window.AddButton(4, 0, 0, 5, 5));
  PlaceSkinButtonWithOrigin(arrow, ini, skin.layout, u"BUTTONINFO", u"KEY_ORIGIN", u"BUTTONINFO2", u"FRAME1",
                            surfaces[2].get());
  EXPECT_EQ(Placed(arrow.hwnd()).left, 50);
  EXPECT_EQ(testing::Rendering(arrow.hwnd()).at(0, 0), RGB(99, 4, 30));
  SendMessageW(arrow.hwnd(), WM_MOUSEHOVER, 0, 0);
  EXPECT_EQ(testing::Rendering(arrow.hwnd()).at(0, 0), RGB(99, 4, 30));
}

TEST_F(PlacementFixture, ControlsMoveAndSizeOrOnlyMove) {
  HWND a = window.AddStatic(5, 0, 0, 7, 9);
  HWND b = window.AddStatic(6, 0, 0, 7, 9);
  PlaceControl(a, ini, skin.layout, u"BUTTONINFO", u"KEY_A");
  PlaceControlAt(b, ini, skin.layout, u"BUTTONINFO", u"KEY_A");
  const RECT ra = Placed(a), rb = Placed(b);
  EXPECT_EQ(ra.left, 10);
  EXPECT_EQ(ra.right - ra.left, 30);
  EXPECT_EQ(rb.left, 10);
  EXPECT_EQ(rb.top, 20);
  EXPECT_EQ(rb.right - rb.left, 7);
  EXPECT_EQ(rb.bottom - rb.top, 9);
}

}  // namespace
}  // namespace keyloom
