#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "base/text.h"
#include "storage/skin_layout.h"
#include "ui/dialogs/about_dlg_win32.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using testing::MainWindowFixture;
using testing::PumpUntil;

TEST_F(MainWindowFixture, StartsHiddenAsATaggedToolWindowWithItsSkinTrayAndEvents) {
  Start();
  EXPECT_EQ(silent_exits, 0);
  EXPECT_FALSE(IsWindowVisible(hwnd()));
  EXPECT_EQ(static_cast<uint32_t>(GetWindowLongPtrW(hwnd(), GWLP_USERDATA)), 0x4D41494Eu);
  const LONG_PTR ex = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_MINIMIZEBOX);
  wchar_t title[128] = L"";
  GetWindowTextW(hwnd(), title, 128);
  EXPECT_STREQ(title, L"Valdric RGB Mechanical Keyboard");

  // The background's size, and a shape from the mask.
  RECT r{};
  GetWindowRect(hwnd(), &r);
  const SIZE background = BitmapSize(window->background());
  EXPECT_EQ(r.right - r.left, background.cx);
  EXPECT_EQ(r.bottom - r.top, background.cy);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(hwnd(), shape), ERROR);
  DeleteObject(shape);

  // "&About..." after a separator at the end of the system menu.
  HMENU system = GetSystemMenu(hwnd(), FALSE);
  const int items = GetMenuItemCount(system);
  EXPECT_EQ(GetMenuItemID(system, items - 1), kSysCmdAbout);
  wchar_t about[32] = L"";
  GetMenuStringW(system, items - 1, about, 32, MF_BYPOSITION);
  EXPECT_STREQ(about, L"&About...");

  for (size_t i = 0; i < kMainSurfaceFiles.size(); ++i) EXPECT_TRUE(window->surface(i)->has_picture()) << i;
  CPngButton* close = window->button(kCmdClose);
  RECT box{};
  GetWindowRect(close->hwnd(), &box);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, 990);  // CONTROL_CLOSE=990,11,34,32
  EXPECT_EQ(box.top, 11);
  EXPECT_EQ(close->tooltip_text(), u"Close");
  EXPECT_FALSE(IsWindowEnabled(window->button(1006)->hwnd()));  // nothing to apply

  ASSERT_TRUE(window->tray().created());
  EXPECT_EQ(notifier.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(notifier.calls[0].tip, u"Valdric RGB Mechanical Keyboard");
  EXPECT_EQ(window->tray_image().current(), 128);

  EXPECT_EQ(window->named_events(), 210u);
  for (int n : {1, 99, 210}) {
    UniqueHandle event(OpenEventW(EVENT_ALL_ACCESS, FALSE, AsWide(MainEventName(n))));
    EXPECT_TRUE(event) << n;
  }
}

TEST_F(MainWindowFixture, TaggedMessagesNeedTheirExactTag) {
  Start();
  presence.last_reported = 1;
  SendMessageW(hwnd(), kMainMsgOpen, 0x4F50454F, 0);  // wrong tag
  EXPECT_FALSE(IsWindowVisible(hwnd()));
  SendMessageW(hwnd(), kMainMsgOpen, kMainTagOpen, 0);
  EXPECT_TRUE(IsWindowVisible(hwnd()));
  const LONG_PTR ex = GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);
  EXPECT_FALSE(ex & WS_EX_TOOLWINDOW);
  // Later paints no longer hide it.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  testing::PumpPending();
  EXPECT_TRUE(IsWindowVisible(hwnd()));

  SendMessageW(hwnd(), kMainMsgInit, 0x494E4955, 0);
  EXPECT_TRUE(IsWindowVisible(hwnd()));
  SendMessageW(hwnd(), kMainMsgKill, kMainTagOpen, 0);
  EXPECT_TRUE(IsWindow(hwnd()));
  SendMessageW(hwnd(), kMainMsgLanguage, 0, 0);
  EXPECT_TRUE(boxes.shown.empty());

  presence.last_reported = 0;
  SendMessageW(hwnd(), kMainMsgOpen, kMainTagOpen, 0);
  EXPECT_EQ(boxes.shown, std::vector<std::u16string>{u"MAIN_NO_DEVICE_PROMPT"});
}

TEST_F(MainWindowFixture, CommandsAndSwallowedKeys) {
  Start();
  presence.last_reported = 1;
  SendMessageW(hwnd(), WM_COMMAND, kCmdOpen, 0);
  ASSERT_TRUE(IsWindowVisible(hwnd()));

  // Enter and Escape never reach the dialog.
  for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
    MSG msg{hwnd(), WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(Win32Dialog::PreTranslateChain(msg));
  }
  MSG letter{hwnd(), WM_KEYDOWN, 'A', 0, 0, {}};
  EXPECT_FALSE(Win32Dialog::PreTranslateChain(letter));

  SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(kCmdHelp, BN_CLICKED), reinterpret_cast<LPARAM>(window->button(kCmdHelp)->hwnd()));
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_EQ(launcher.calls[0].verb, u"open");
  EXPECT_EQ(launcher.calls[0].file, testing::ProgramFolder() + u"Help\\index.html");
  EXPECT_EQ(launcher.calls[0].folder, testing::ProgramFolder() + u"Help\\");

  SendMessageW(hwnd(), WM_COMMAND, kCmdMinimize, 0);
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(hwnd()) != FALSE; }));
  SendMessageW(hwnd(), WM_COMMAND, kCmdOpen, 0);  // the tray's Open brings it back
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(hwnd()) && IsWindowVisible(hwnd()); }));
  SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindowVisible(hwnd()));
  EXPECT_TRUE(IsWindow(hwnd()));  // Cancel never ends the program
  EXPECT_TRUE(window->tray().created());
}

TEST_F(MainWindowFixture, TrayImageChangesReachTheShellOnlyWhenTheyChange) {
  Start();
  const size_t before = Count(NIM_MODIFY);
  window->SetTrayImage(0, 141);  // arrival
  window->SetTrayImage(0, 141);
  window->SetTrayImage(1, 0);    // the keyboard's temporary state
  window->SetTrayImage(1, 0);
  window->SetTrayImage(0, 0);    // its end: back to 141
  window->SetTrayImage(1, 0);
  window->SetTrayImage(0, 128);  // removal while 142 shows
  window->SetTrayImage(0, 0);
  EXPECT_EQ(Count(NIM_MODIFY) - before, 5u);  // 141, 142, 141, 142, 128
  EXPECT_EQ(window->tray().icon_resource(), 128);
  EXPECT_EQ(window->tray_image().remembered(), 128);
}

TEST_F(MainWindowFixture, TheTrayMenuSpeaksTheUsersLanguage) {
  Start();
  UniqueMenu menu(LoadMenuW(resources, MAKEINTRESOURCEW(kTrayIconId)));
  HMENU items = GetSubMenu(menu.get(), 0);
  ASSERT_NE(items, nullptr);
  ASSERT_TRUE(window->tray().prepare_menu);
  window->tray().prepare_menu(items);
  std::vector<std::wstring> captions;
  for (int i = 0; i < GetMenuItemCount(items); ++i) {
    wchar_t text[64] = L"";
    GetMenuStringW(items, i, text, 64, MF_BYPOSITION);
    captions.push_back(text);
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"&Open", L"&About", L"E&xit"}));
  EXPECT_EQ(GetMenuItemID(items, 0), static_cast<UINT>(kCmdOpen));
  EXPECT_EQ(GetMenuItemID(items, 2), static_cast<UINT>(kCmdExit));
}

TEST_F(MainWindowFixture, AboutOpensOnceWithItsTextsAndClosesWithOk) {
  Start();
  int about_windows = 0;
  std::u16string title, description, link;
  bool asked_again = false;
  testing::TimerDriver driver([&] {
    CAboutDlg* about = window->about();
    if (!about || !about->hwnd() || !IsWindowVisible(about->hwnd())) return false;
    if (!asked_again) {
      asked_again = true;
      SendMessageW(hwnd(), WM_COMMAND, kCmdAbout, 0);  // returns at once
      SendMessageW(hwnd(), WM_SYSCOMMAND, kSysCmdAbout, 0);
      return false;
    }
    EnumWindows(
        [](HWND w, LPARAM counter) {
          wchar_t text[64] = L"";
          GetWindowTextW(w, text, 64);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid == GetCurrentProcessId() && IsWindowVisible(w) && lstrcmpW(text, L"About") == 0)
            ++*reinterpret_cast<int*>(counter);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&about_windows));
    wchar_t text[256] = L"";
    GetWindowTextW(about->hwnd(), text, 256);
    title = FromWide(text);
    GetDlgItemTextW(about->hwnd(), kAboutDescriptionId, text, 256);
    description = FromWide(text);
    GetDlgItemTextW(about->hwnd(), kAboutLinkId, text, 256);
    link = FromWide(text);
    testing::CaptureWindow(about->hwnd(), testing::ShotFolder() + u"about.bmp");
    SendMessageW(about->hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  });
  testing::TimerDriver watchdog([this, start = GetTickCount()] {
    if (GetTickCount() - start < 5000) return false;
    if (window->about()) window->about()->EndDialog(IDCANCEL);
    return true;
  }, 200);
  SendMessageW(hwnd(), WM_COMMAND, kCmdAbout, 0);  // runs until the box closes
  EXPECT_EQ(window->about(), nullptr);
  EXPECT_TRUE(asked_again);
  EXPECT_EQ(about_windows, 1);
  EXPECT_EQ(title, u"About");
  EXPECT_EQ(description, u"Configuration software for the Valdric RGB Mechanical Keyboard");
  EXPECT_EQ(link, ReadSkinLink(world->ini, context->layout_file, 0));
  EXPECT_TRUE(IsWindowEnabled(hwnd()));
}

TEST_F(MainWindowFixture, QuitFromTheTrayMenuTakesEverythingDown) {
  Start();
  const int gdi_running = LiveGdiCount();
  SendMessageW(hwnd(), WM_COMMAND, kCmdExit, 0);
  EXPECT_TRUE(PumpUntil([&] { return window->hwnd() == nullptr; }));  // the dialog ended
  EXPECT_FALSE(window->tray().created());
  EXPECT_EQ(notifier.calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(mutex);
  EXPECT_EQ(window->named_events(), 0u);
  UniqueHandle event(OpenEventW(EVENT_ALL_ACCESS, FALSE, L"Keyloom_Event_Main_01"));
  EXPECT_FALSE(event);
  EXPECT_LT(LiveGdiCount(), gdi_running - 10);  // the eleven surfaces and the skin are gone
}

TEST_F(MainWindowFixture, KillFromAnotherCopyQuits) {
  Start();
  SendMessageW(hwnd(), kMainMsgKill, kMainTagKill, 0);
  EXPECT_TRUE(PumpUntil([&] { return window->hwnd() == nullptr; }));
  EXPECT_FALSE(window->tray().created());
}

TEST_F(MainWindowFixture, AMissingSkinEndsTheProgramSilently) {
  context->layout_file = testing::TestFolder(u"noskin") + u"Main.ini";
  context->skin_folder = testing::TestFolder(u"noskin");
  window = std::make_unique<CKeyloomDlg>(*context);
  window->Create();
  EXPECT_GE(silent_exits, 1);
}

TEST_F(MainWindowFixture, Screenshots) {
  Start();
  presence.last_reported = 1;
  SendMessageW(hwnd(), kMainMsgOpen, kMainTagOpen, 0);
  SetWindowPos(hwnd(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_TRUE(testing::PumpUntilPainted(hwnd()));
  EXPECT_TRUE(testing::CaptureWindow(hwnd(), testing::ShotFolder() + u"main_window.bmp"));

  // One button in each of its looks.
  CPngButton* button = window->button(kCmdOk);
  HWND b = button->hwnd();
  struct Look {
    const char16_t* name;
    std::function<void()> set;
  };
  const Look looks[] = {
      {u"normal", [] {}},
      {u"over", [b] { SendMessageW(b, WM_MOUSEHOVER, 0, 0); }},
      {u"pressed", [b] { SendMessageW(b, BM_SETSTATE, TRUE, 0); }},
      {u"selected", [b, button] {
         SendMessageW(b, BM_SETSTATE, FALSE, 0);
         SendMessageW(b, WM_MOUSELEAVE, 0, 0);
         button->SetSelected(true, true);
       }},
      {u"disabled", [b] { EnableWindow(b, FALSE); }},
  };
  const ButtonLook expected[] = {ButtonLook::kNormal, ButtonLook::kOver, ButtonLook::kPressed, ButtonLook::kSelected,
                                 ButtonLook::kDisabled};
  int i = 0;
  for (const Look& look : looks) {
    look.set();
    RedrawWindow(b, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpUntil([&] { return button->look() == expected[i]; }, 2000);
    EXPECT_TRUE(testing::PumpUntilPainted(b));
    EXPECT_EQ(button->look(), expected[i++]);
    EXPECT_TRUE(testing::CaptureWindow(b, testing::ShotFolder() + u"button_" + look.name + u".bmp"));
  }
}

}  // namespace
}  // namespace keyloom
