// winshow show|hide|minimize TIMEOUT_MS
//
// Waits until a top-level window tagged 'MAIN' (Keyloom's main window)
// exists, then shows, hides or minimises it. A developer tool for measuring
// the program in each of those states.
//
// Exit codes: 0 done; 11 no main window within the time; 2 bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "main_window_find.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: winshow show|hide|minimize TIMEOUT_MS\n");
    return 2;
  }
  int command = -1;
  if (wcscmp(argv[1], L"show") == 0) command = SW_SHOWNORMAL;
  if (wcscmp(argv[1], L"hide") == 0) command = SW_HIDE;
  if (wcscmp(argv[1], L"minimize") == 0) command = SW_MINIMIZE;
  if (command < 0) {
    fwprintf(stderr, L"winshow: show, hide or minimize, not %ls\n", argv[1]);
    return 2;
  }
  const DWORD timeout = static_cast<DWORD>(wcstoul(argv[2], nullptr, 10));
  const DWORD start = GetTickCount();
  HWND window = keyloom_tools::FindMainWindow().window;
  while (!window && GetTickCount() - start < timeout) {
    Sleep(100);  // another process's window can only be awaited in real time
    window = keyloom_tools::FindMainWindow().window;
  }
  if (!window) return 11;
  ShowWindow(window, command);
  if (command == SW_SHOWNORMAL) {
    // A window that hides itself at its first paints is shown again until
    // it stays.
    for (int stayed = 0; stayed < 5 && GetTickCount() - start < timeout + 5000;) {
      Sleep(100);
      if (IsWindowVisible(window)) {
        ++stayed;
      } else {
        stayed = 0;
        ShowWindow(window, command);
      }
    }
    SetForegroundWindow(window);
  }
  wprintf(L"%ls\n", argv[1]);
  return 0;
}
