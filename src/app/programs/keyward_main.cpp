// Keyward.exe: the companion Keyloom starts hidden beside itself. It has no
// work of its own yet and ends at once.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
