// Keyward.exe: the companion Keyloom starts hidden beside itself. It shows a
// short notice when a lock key or the keyboard's onboard profile changes, and
// ends when Keyloom does.
#include <windows.h>

#include "app/keyward_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return keyloom::RunKeyward(instance); }
