#include <gtest/gtest.h>

#include <windows.h>

#include "ui/controls/tray_icon_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using testing::PumpUntil;

struct TrayFixture : ::testing::Test {
  void SetUp() override {
    resources = testing::ProgramResources();
    ASSERT_NE(resources, nullptr) << "Keyloom.exe must be built beside the tests folder";
    icon = static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(128), IMAGE_ICON, 16, 16, LR_SHARED));
  }
  int Commands(int id) const {
    int n = 0;
    for (const auto& s : window.seen)
      if (s.message == WM_COMMAND && LOWORD(s.wparam) == id) ++n;
    return n;
  }
  HINSTANCE resources = nullptr;
  HICON icon = nullptr;
  testing::TestWindow window{100, 50};
  testing::RecordingNotifier shell;
};

TEST_F(TrayFixture, CreateAddsMessageIconAndTipAndFailsWithoutAWindow) {
  CTrayIcon broken(resources, shell);
  EXPECT_FALSE(broken.Create(nullptr, kTrayCallbackMessage, u"tip", icon, kTrayIconId));
  EXPECT_FALSE(broken.SetIcon(141));
  EXPECT_FALSE(broken.SetTip(u"other"));
  broken.Remove();
  EXPECT_TRUE(shell.calls.empty());

  CTrayIcon tray(resources, shell);
  ASSERT_TRUE(tray.Create(window.hwnd(), kTrayCallbackMessage, std::u16string(300, u'k'), icon, kTrayIconId));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell.calls[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(shell.calls[0].tip.size(), 127u);  // cut to the record

  EXPECT_TRUE(tray.SetIcon(141));
  EXPECT_TRUE(tray.SetTip(u"Keyboard"));
  EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_ICON));
  EXPECT_NE(shell.calls[1].icon, icon);
  EXPECT_EQ(shell.calls[2].flags, static_cast<UINT>(NIF_TIP));
  EXPECT_EQ(shell.calls[2].tip, u"Keyboard");
  tray.Remove();
  EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(tray.created());
  const size_t after = shell.calls.size();
  tray.Remove();
  tray.SetIcon(128);
  EXPECT_EQ(shell.calls.size(), after);
}

TEST_F(TrayFixture, ARefusedIconLeavesTheTrayUncreated) {
  shell.refuse = true;
  CTrayIcon tray(resources, shell);
  EXPECT_FALSE(tray.Create(window.hwnd(), kTrayCallbackMessage, u"tip", icon, kTrayIconId));
  EXPECT_FALSE(tray.created());
  EXPECT_FALSE(tray.SetIcon(141));
}

TEST_F(TrayFixture, ARestartedTaskbarGetsTheIconBackWithItsImageAndTip) {
  CTrayIcon tray(resources, shell);
  ASSERT_TRUE(tray.Create(window.hwnd(), kTrayCallbackMessage, u"Valdric", icon, kTrayIconId));
  tray.SetIcon(142);
  shell.calls.clear();
  SendMessageW(window.hwnd(), tray.taskbar_created_message(), 0, 0);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(shell.calls[1].tip, u"Valdric");
  EXPECT_EQ(shell.calls[1].icon, tray.icon());
  EXPECT_FALSE(tray.hidden());
}

TEST_F(TrayFixture, DoubleClickOpensSingleClickAndOtherIconsDoNothing) {
  CTrayIcon tray(resources, shell);
  ASSERT_TRUE(tray.Create(window.hwnd(), kTrayCallbackMessage, u"tip", icon, kTrayIconId));
  SendMessageW(window.hwnd(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
  SendMessageW(window.hwnd(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
  SendMessageW(window.hwnd(), kTrayCallbackMessage, 99, WM_LBUTTONDBLCLK);
  testing::PumpPending();
  EXPECT_EQ(Commands(kTrayCmdOpen), 0);
  SendMessageW(window.hwnd(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
  testing::PumpPending();
  EXPECT_EQ(Commands(kTrayCmdOpen), 1);
}

TEST_F(TrayFixture, RightClickShowsOpenAboutExitWithOpenBoldAndSendsTheChoice) {
  CTrayIcon tray(resources, shell);
  ASSERT_TRUE(tray.Create(window.hwnd(), kTrayCallbackMessage, u"tip", icon, kTrayIconId));
  std::vector<UINT> ids;
  UINT default_item = 0;
  bool chose = false;
  testing::TimerDriver driver([&] {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return false;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    if (!menu) return false;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    default_item = GetMenuDefaultItem(menu, FALSE, 0);
    testing::CaptureWindow(popup, testing::ShotFolder() + u"tray_menu.bmp");
    // The last item, Exit.
    keybd_event(VK_UP, 0x48, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_UP, 0x48, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    keybd_event(VK_RETURN, 0x1C, 0, 0);
    keybd_event(VK_RETURN, 0x1C, KEYEVENTF_KEYUP, 0);
    chose = true;
    return true;
  });
  // A watchdog: the menu must never stay open.
  testing::TimerDriver watchdog([start = GetTickCount()] {
    if (GetTickCount() - start < 4000) return false;
    EndMenu();
    return true;
  }, 200);
  SendMessageW(window.hwnd(), kTrayCallbackMessage, kTrayIconId, WM_RBUTTONUP);
  EXPECT_TRUE(chose);
  EXPECT_EQ(ids, (std::vector<UINT>{kTrayCmdOpen, kTrayCmdAbout, kTrayCmdExit}));
  EXPECT_EQ(default_item, static_cast<UINT>(kTrayCmdOpen));
  EXPECT_TRUE(PumpUntil([&] { return Commands(kTrayCmdExit) == 1; }, 2000));
}

}  // namespace
}  // namespace keyloom
