// Keyloom.exe started as a child process: the single running copy, "/Kill"
// and the silent exit without a skin. Every wait is bounded; a child still
// running at the end of a test is ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/single_instance_win32.h"
#include "base/handle_win32.h"
#include "base/text.h"
#include "app/child_process.h"
#include "ui/ui_test_support.h"

namespace keyloom {
namespace {

constexpr DWORD kStartMs = 15000;

using testing::Child;
using testing::WaitFor;

// A visible dialog window of the process other than its main window: the
// message box a copy shows when asked to open without a keyboard.
HWND MessageBoxOf(uint32_t process_id) {
  struct Search {
    uint32_t pid;
    HWND found;
  } search{process_id, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[32] = L"";
        GetClassNameW(w, cls, 32);
        if (owner == s->pid && IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0 &&
            static_cast<uint32_t>(GetWindowLongPtrW(w, GWLP_USERDATA)) != 0x4D41494E) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ProcessFixture : ::testing::Test {
  void SetUp() override {
    exe = testing::ProgramFolder() + u"Keyloom.exe";
    ASSERT_NE(GetFileAttributesW(AsWide(exe)), INVALID_FILE_ATTRIBUTES) << "Keyloom.exe must be built";
  }
  // Starts the first copy and waits for its tagged main window.
  void StartFirst() {
    first = std::make_unique<Child>(exe, u"");
    ASSERT_TRUE(first->started());
    ASSERT_TRUE(WaitFor([&] { return FindMainWindowOf(first->id()) != nullptr; }, kStartMs));
  }
  // Starts the first copy on a fresh simulated keyboard and waits for its
  // main window, which shows itself when the keyboard is there at start.
  void StartOnSimulatedKeyboard(HWND& main) {
    // The child inherits the variable; no state folder: a fresh keyboard.
    ASSERT_TRUE(SetEnvironmentVariableW(L"KEYLOOM_SIMULATE", L"B"));
    first = std::make_unique<Child>(exe, u"");
    SetEnvironmentVariableW(L"KEYLOOM_SIMULATE", nullptr);
    ASSERT_TRUE(first->started());
    ASSERT_TRUE(WaitFor([&] { return (main = FindMainWindowOf(first->id())) && IsWindowVisible(main); }, kStartMs))
        << "the main window shows itself when the keyboard is there at start";
  }
  void TearDown() override {
    if (first && first->running()) {
      Child killer(exe, u"/Kill");
      killer.WaitExit(kStartMs);
      first->WaitExit(kStartMs);
    }
  }
  std::u16string exe;
  std::unique_ptr<Child> first;
};

TEST_F(ProcessFixture, ASecondStartAsksTheFirstToOpenAndEndsWithCodeZero) {
  StartFirst();
  // "/Killer" is not "/Kill": it starts like any second copy.
  for (const char16_t* arguments : {u"", u"/Killer"}) {
    Child second(exe, arguments);
    ASSERT_TRUE(second.started());
    // Without a keyboard the first copy answers 'OPEN' with its no-keyboard
    // message; the second waits for that answer.
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(first->id())) != nullptr; }, kStartMs)) << Utf16ToUtf8(arguments);
    EXPECT_EQ(FindMainWindowOf(second.id()), nullptr);
    EXPECT_EQ(MessageBoxOf(second.id()), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.WaitExit(kStartMs), 0u) << Utf16ToUtf8(arguments);
    EXPECT_TRUE(first->running());
  }
}

TEST_F(ProcessFixture, KillInAnyCaseEndsTheRunningCopy) {
  for (const char16_t* kill : {u"/Kill", u"/kill"}) {
    StartFirst();
    Child killer(exe, kill);
    EXPECT_EQ(killer.WaitExit(kStartMs), 0u) << Utf16ToUtf8(kill);
    EXPECT_EQ(first->WaitExit(kStartMs), 0u) << Utf16ToUtf8(kill);
  }
}

TEST_F(ProcessFixture, WithoutItsSkinTheProgramEndsSilentlyWithCodeZero) {
  // A copy of the program alone in a folder: no skin, no language file and
  // no companion beside it (whose absence is not noticed).
  const std::u16string folder = testing::TestFolder(u"lonely");
  const std::u16string lonely = folder + u"Keyloom.exe";
  ASSERT_TRUE(CopyFileW(AsWide(exe), AsWide(lonely), FALSE));
  Child alone(lonely, u"");
  ASSERT_TRUE(alone.started());
  EXPECT_EQ(alone.WaitExit(kStartMs), 0u);
  EXPECT_EQ(MessageBoxOf(alone.id()), nullptr);
}

TEST_F(ProcessFixture, OnTheSimulatedKeyboardTheMainWindowOpensByItselfInsideTheScreen) {
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartOnSimulatedKeyboard(main));
  RECT r{};
  GetWindowRect(main, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor));
  EXPECT_GE(r.left, monitor.rcWork.left);
  EXPECT_GE(r.top, monitor.rcWork.top);
  EXPECT_LE(r.right, monitor.rcWork.right);
  EXPECT_LE(r.bottom, monitor.rcWork.bottom);
  EXPECT_EQ(MessageBoxOf(first->id()), nullptr);
}

TEST_F(ProcessFixture, TheMacrosButtonOpensTheKeyEditorOfTheProgram) {
  HWND main = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartOnSimulatedKeyboard(main));
  PostMessageW(main, WM_COMMAND, 1007, 0);
  // The editor: a visible window the main window owns.
  struct Search {
    HWND owner;
    HWND found = nullptr;
  } search{main};
  auto find = [&] {
    search.found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(p);
          if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == s.owner) s.found = w;
          return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  };
  ASSERT_TRUE(WaitFor(find, kStartMs)) << "the key editor opened";
  EXPECT_FALSE(IsWindowEnabled(main));
  const HWND editor = search.found;
  // Painted: nothing left to paint in it or any of its controls.
  auto painted = [editor] {
    BOOL clean = !GetUpdateRect(editor, nullptr, FALSE);
    EnumChildWindows(
        editor,
        [](HWND w, LPARAM p) -> BOOL {
          if (IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE)) *reinterpret_cast<BOOL*>(p) = FALSE;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&clean));
    return clean != FALSE;
  };
  EXPECT_TRUE(WaitFor(painted, kStartMs));
  EXPECT_TRUE(testing::CaptureWindow(GetDesktopWindow(), testing::ShotFolder() + u"program_macro_page.bmp"));
  PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && !find(); }, kStartMs));
  EXPECT_TRUE(first->running());
}

}  // namespace
}  // namespace keyloom
