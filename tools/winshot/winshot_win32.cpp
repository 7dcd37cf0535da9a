// winshot OUTPUT.bmp TIMEOUT_MS
//
// Waits until a top-level window tagged 'MAIN' (Keyloom's main window) is
// shown, then saves what the screen shows of it as a 24-bit BMP. When the
// time runs out it saves the whole screen instead.
//
// Exit codes: 0 the main window was shown and saved; 10 the main window
// exists but stayed hidden (the screen was saved); 11 no main window was
// ever created (the screen was saved); 2 bad arguments or the file could
// not be written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <vector>

namespace {

constexpr LONG_PTR kMainWindowTag = 0x4D41494E;  // 'MAIN'

struct Found {
  HWND window = nullptr;
  bool visible = false;
};

Found FindMainWindow() {
  Found found;
  EnumWindows(
      [](HWND window, LPARAM param) {
        auto* f = reinterpret_cast<Found*>(param);
        if (GetWindowLongPtrW(window, GWLP_USERDATA) != kMainWindowTag) return TRUE;
        f->window = window;
        f->visible = IsWindowVisible(window) && !IsIconic(window);
        return f->visible ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool SaveScreenRect(const RECT& r, const wchar_t* path) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD image = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + image;
    if (FILE* out = _wfopen(path, L"wb")) {
      ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
           fwrite(bits, 1, image, out) == image;
      ok = (fclose(out) == 0) && ok;
    }
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: winshot OUTPUT.bmp TIMEOUT_MS\n");
    return 2;
  }
  const DWORD timeout = static_cast<DWORD>(wcstoul(argv[2], nullptr, 10));
  const DWORD start = GetTickCount();
  Found found = FindMainWindow();
  while (!found.visible && GetTickCount() - start < timeout) {
    Sleep(100);  // another process's window can only be awaited in real time
    found = FindMainWindow();
  }
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (found.visible) {
    Sleep(300);  // let it finish painting after it became visible
    GetWindowRect(found.window, &area);
    wprintf(L"shown %ld,%ld %ldx%ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
  }
  if (!SaveScreenRect(area, argv[1])) {
    fwprintf(stderr, L"winshot: cannot write %ls\n", argv[1]);
    return 2;
  }
  if (found.visible) return 0;
  return found.window ? 10 : 11;
}
