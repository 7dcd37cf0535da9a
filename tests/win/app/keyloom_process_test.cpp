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
#include "ui/ui_test_support.h"

namespace keyloom {
namespace {

constexpr DWORD kStartMs = 15000;

class Child {
 public:
  Child(const std::u16string& exe, const std::u16string& arguments) {
    std::u16string command = u"\"" + exe + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(AsWide(exe), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_.reset(pi.hProcess);
      CloseHandle(pi.hThread);
      id_ = pi.dwProcessId;
    }
  }
  ~Child() {
    if (running()) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  bool started() const { return static_cast<bool>(process_); }
  uint32_t id() const { return id_; }
  bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitExit(DWORD ms) const {
    if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueHandle process_;
  uint32_t id_ = 0;
};

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);  // another process's progress can only be awaited in real time
  }
  return true;
}

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
  // The child inherits the variable; no state folder: a fresh keyboard.
  ASSERT_TRUE(SetEnvironmentVariableW(L"KEYLOOM_SIMULATE", L"B"));
  first = std::make_unique<Child>(exe, u"");
  SetEnvironmentVariableW(L"KEYLOOM_SIMULATE", nullptr);
  ASSERT_TRUE(first->started());
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        main = FindMainWindowOf(first->id());
        return main && IsWindowVisible(main);
      },
      kStartMs))
      << "the main window shows itself when the keyboard is there at start";
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

}  // namespace
}  // namespace keyloom
