// Finding Keyloom's main window from another process: the top-level window
// tagged 'MAIN' in its user data. Shared by winshot and winshow.
#pragma once

#include <windows.h>

namespace keyloom_tools {

inline constexpr LONG_PTR kMainWindowTag = 0x4D41494E;  // 'MAIN'

struct FoundWindow {
  HWND window = nullptr;
  bool visible = false;  // shown and not minimised
};

// A shown main window when there is one, else any main window, else none.
inline FoundWindow FindMainWindow() {
  FoundWindow found;
  EnumWindows(
      [](HWND window, LPARAM param) {
        auto* f = reinterpret_cast<FoundWindow*>(param);
        if (GetWindowLongPtrW(window, GWLP_USERDATA) != kMainWindowTag) return TRUE;
        f->window = window;
        f->visible = IsWindowVisible(window) && !IsIconic(window);
        return f->visible ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace keyloom_tools
