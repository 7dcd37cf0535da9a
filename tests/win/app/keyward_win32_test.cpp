// Keyward's notice window in this process (time through a manual clock), and
// Keyward.exe as a child process beside a stand-in for Keyloom's mutex.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/child_process.h"
#include "app/keyward_win32.h"
#include "app/startup.h"
#include "base/handle_win32.h"
#include "base/text.h"
#include "storage/persist_support.h"
#include "ui/controls/window_text_win32.h"
#include "ui/main/keyward_link.h"
#include "ui/ui_test_support.h"

namespace keyloom {
namespace {

using persist_test::FixedTexts;
using testing::Child;
using testing::WaitFor;

void TapKey(WORD vk, WORD scan) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[0].ki.wScan = in[1].ki.wScan = scan;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}
void TapCapsLock() { TapKey(VK_CAPITAL, 0x3A); }
bool CapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

// Leaves Caps Lock as it found it, so later tests type what they mean.
struct CapsLockGuard {
  bool was_on = CapsLockOn();
  ~CapsLockGuard() {
    if (CapsLockOn() == was_on) return;
    TapCapsLock();
    testing::PumpUntil([&] { return CapsLockOn() == was_on; }, 2000);
  }
};

// A Keyward that Keyloom.exe started in an earlier test ends within a tick
// of that Keyloom; wait for it, so that it neither receives this test's
// messages nor counts as the running copy.
bool NoKeywardRunning() {
  return WaitFor(
      [] {
        const std::u16string name(kKeywardMutexName);
        UniqueHandle running(OpenMutexW(SYNCHRONIZE, FALSE, AsWide(name)));
        return !running;
      },
      5000);
}

struct WindowFixture : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(NoKeywardRunning());
    owner.reset(CreateMutexW(nullptr, FALSE, AsWide(owner_name)));
    ASSERT_TRUE(owner);
    window = std::make_unique<KeywardWindow>(GetModuleHandleW(nullptr), texts, clock, owner_name, false);
    ASSERT_TRUE(window->Create());
    ASSERT_FALSE(IsWindowVisible(window->hwnd()));
  }
  bool Shown() const { return window->hwnd() && IsWindowVisible(window->hwnd()); }
  std::u16string Shows() const { return WindowText(window->hwnd()); }
  void Tick() { SendMessageW(window->hwnd(), WM_TIMER, 1, 0); }

  std::u16string owner_name = u"KeywardTest.Owner";
  UniqueHandle owner;
  FixedTexts texts;  // none: the notices read in English
  ManualClock clock;
  std::unique_ptr<KeywardWindow> window;
};

TEST_F(WindowFixture, InjectedCapsLockShowsANoticeThatEndsAfterTwoSeconds) {
  CapsLockGuard guard;
  const bool on_after = !CapsLockOn();
  TapCapsLock();
  ASSERT_TRUE(testing::PumpUntil([&] { return Shown(); }));
  EXPECT_EQ(Shows(), on_after ? u"Caps Lock on" : u"Caps Lock off");
  ASSERT_TRUE(testing::PumpUntilPainted(window->hwnd()));

  // Near the notification area (bottom right of the work area), never active.
  RECT work{}, at{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window->hwnd(), &at);
  EXPECT_EQ(at.right, work.right - 16);
  EXPECT_EQ(at.bottom, work.bottom - 16);
  EXPECT_NE(GetForegroundWindow(), window->hwnd());
  EXPECT_TRUE(GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  testing::CaptureWindow(window->hwnd(), testing::ShotFolder() + u"keyward_notice.bmp");

  clock.Advance(kNoticeMs - 1);
  Tick();
  EXPECT_TRUE(Shown());
  clock.Advance(1);
  Tick();
  EXPECT_FALSE(Shown());

  // Back again: the other notice.
  TapCapsLock();
  ASSERT_TRUE(testing::PumpUntil([&] { return Shown(); }));
  EXPECT_EQ(Shows(), on_after ? u"Caps Lock off" : u"Caps Lock on");
  ASSERT_TRUE(testing::PumpUntilPainted(window->hwnd()));
  testing::CaptureWindow(window->hwnd(), testing::ShotFolder() + u"keyward_notice_again.bmp");
}

TEST_F(WindowFixture, KeyloomsProfileMessageShowsTheProfile) {
  NotifyKeywardProfile(1);
  ASSERT_TRUE(testing::PumpUntil([&] { return Shown(); }));
  EXPECT_EQ(Shows(), u"Profile 2");
  ASSERT_TRUE(testing::PumpUntilPainted(window->hwnd()));
  testing::CaptureWindow(window->hwnd(), testing::ShotFolder() + u"keyward_profile.bmp");
}

TEST_F(WindowFixture, EndsOnceKeyloomsMutexIsGone) {
  Tick();
  EXPECT_FALSE(window->quit());
  owner.reset();
  ASSERT_TRUE(testing::PumpUntil([&] { return window->quit(); }, 1000));
  EXPECT_EQ(window->hwnd(), nullptr);
}

// ---- Keyward.exe ------------------------------------------------------------

HWND NoticeOf(DWORD process_id) {
  const std::u16string window_class(kKeywardWindowClass);
  for (HWND w = FindWindowW(AsWide(window_class), nullptr); w;
       w = FindWindowExW(nullptr, w, AsWide(window_class), nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process_id) return w;
  }
  return nullptr;
}

struct ProgramFixture : ::testing::Test {
  void SetUp() override {
    exe = testing::ProgramFolder() + u"Keyward.exe";
    ASSERT_NE(GetFileAttributesW(AsWide(exe)), INVALID_FILE_ATTRIBUTES) << "Keyward.exe must be built";
    ASSERT_TRUE(NoKeywardRunning());
  }
  std::u16string exe;
};

TEST_F(ProgramFixture, WithoutKeyloomItEndsAtOnce) {
  Child keyward(exe, u"");
  ASSERT_TRUE(keyward.started());
  EXPECT_EQ(keyward.WaitExit(15000), 0u);
}

TEST_F(ProgramFixture, RunsOnceShowsLockKeysAndProfilesAndEndsWithKeyloom) {
  CapsLockGuard guard;
  const std::u16string keyloom_mutex(kInstanceMutexName);
  UniqueHandle keyloom(CreateMutexW(nullptr, TRUE, AsWide(keyloom_mutex)));
  ASSERT_TRUE(keyloom);
  Child keyward(exe, u"");
  ASSERT_TRUE(keyward.started());
  HWND notice = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (notice = NoticeOf(keyward.id())) != nullptr; }, 15000));

  // A second start ends at once, and the first keeps running.
  Child second(exe, u"");
  EXPECT_EQ(second.WaitExit(15000), 0u);
  EXPECT_EQ(NoticeOf(second.id()), nullptr);
  EXPECT_EQ(keyward.WaitExit(0), STILL_ACTIVE);

  // Caps Lock: the notice shows, and is gone again after about two seconds.
  TapCapsLock();
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(notice) != FALSE; }, 3000));
  const DWORD shown = GetTickCount();
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(notice); }, 6000));
  const DWORD lasted = GetTickCount() - shown;
  EXPECT_GE(lasted, 1500u);
  EXPECT_LE(lasted, 4000u);

  NotifyKeywardProfile(1);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(notice) != FALSE; }, 3000));
  EXPECT_EQ(WindowText(notice), u"Profile 2");

  // Keyloom's quit closes its mutex: Keyward ends within a second.
  keyloom.reset();
  EXPECT_EQ(keyward.WaitExit(1000), 0u);
}

}  // namespace
}  // namespace keyloom
