// Keyloom.exe: the configuration utility.
#include <windows.h>

#include <commctrl.h>

#include "app/keyloom_app_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return keyloom::RunKeyloom(instance, keyloom::CommandLineArguments());
}
