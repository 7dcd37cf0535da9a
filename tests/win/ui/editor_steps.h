// Driving the modal key editor from a test: steps that run one a timer tick
// while the editor's own loop runs, injected keys and clicks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs/composite_editor_win32.h"
#include "ui_test_support.h"

namespace keyloom::testing {

// Returns true when it is done; it runs again on the next tick otherwise.
using EditorStep = std::function<bool(Keyloom_DlgComposite&)>;

// Keys as the keyboard sends them: both the virtual key and the scan code.
inline void InjectKey(WORD vk, WORD scan, bool extended, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  SendInput(1, &in, sizeof(in));
}
inline void Tap(WORD vk, WORD scan, bool extended = false) {
  InjectKey(vk, scan, extended, false);
  InjectKey(vk, scan, extended, true);
}

// A click on a control of `dialog`, as its button reports it.
inline void ClickControl(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The editor in front (the hooks take keys only then), no button under the
// mouse from an earlier test.
inline EditorStep Foreground() {
  return [](Keyloom_DlgComposite& d) {
    SetCursorPos(0, 0);
    SetForegroundWindow(d.hwnd());
    return GetForegroundWindow() == d.hwnd();
  };
}
inline EditorStep Do(std::function<void(Keyloom_DlgComposite&)> action) {
  return [action](Keyloom_DlgComposite& d) {
    action(d);
    return true;
  };
}
// A screenshot of the editor, or of the whole screen, once it is painted.
inline EditorStep Shot(const char16_t* name, bool whole_screen = false) {
  return [name, whole_screen](Keyloom_DlgComposite& d) {
    RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (!IsPainted(d.hwnd())) return false;
    EXPECT_TRUE(CaptureWindow(whole_screen ? GetDesktopWindow() : d.hwnd(), ShotFolder() + name));
    return true;
  };
}

// Runs `open`, which returns when the editor closed, and `steps` in the
// editor meanwhile. An editor still open after `limit_ms` (a step that did
// not finish, or steps that should have closed it) is cancelled and the test
// fails. True when every step ran.
inline bool RunEditorSteps(const CompositeEditor& editor, std::vector<EditorStep> steps,
                           const std::function<void()>& open, DWORD limit_ms = 20000) {
  size_t next = 0;
  bool finished = steps.empty();
  const DWORD start = GetTickCount();
  TimerDriver driver(
      [&] {
        Keyloom_DlgComposite* d = editor.dialog();
        if (!d || !d->hwnd() || !IsWindowVisible(d->hwnd())) return false;
        if (GetTickCount() - start > limit_ms) {
          ADD_FAILURE() << (finished ? "the editor did not close" : "a step did not finish") << " (step " << next << ")";
          d->logic().Cancel();
          return true;
        }
        if (next < steps.size() && steps[next](*d)) ++next;
        finished = next == steps.size();
        return false;
      },
      20);
  open();
  return finished;
}

}  // namespace keyloom::testing
