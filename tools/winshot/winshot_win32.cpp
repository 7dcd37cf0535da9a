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

// The screen's pixels in `r`, as the 24-bit bottom-up rows a BMP file holds.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint8_t> bits;
  bool operator==(const Capture&) const = default;
};

Capture CaptureScreenRect(const RECT& r) {
  Capture c;
  c.width = r.right - r.left;
  c.height = r.bottom - r.top;
  if (c.width <= 0 || c.height <= 0) return c;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = c.width;
  info.bmiHeader.biHeight = c.height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, c.width, c.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(c.width) * 3 + 3) & ~3u;
    const uint8_t* first = static_cast<const uint8_t*>(bits);
    c.bits.assign(first, first + stride * static_cast<DWORD>(c.height));
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return c;
}

bool SaveCapture(const Capture& c, const wchar_t* path) {
  if (c.bits.empty()) return false;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = c.width;
  info.biHeight = c.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(c.bits.size());
  bool ok = false;
  if (FILE* out = _wfopen(path, L"wb")) {
    ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
         fwrite(c.bits.data(), 1, c.bits.size(), out) == c.bits.size();
    ok = (fclose(out) == 0) && ok;
  }
  return ok;
}

bool AllBlack(const Capture& c) {
  for (uint8_t b : c.bits)
    if (b != 0) return false;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    fwprintf(stderr, L"usage: winshot OUTPUT.bmp TIMEOUT_MS\n");
    return 2;
  }
  const DWORD timeout = static_cast<DWORD>(wcstoul(argv[2], nullptr, 10));
  const DWORD start = GetTickCount();
  SetCursorPos(0, 0);  // no button under the pointer shows its mouse-over look
  Found found = FindMainWindow();
  while (!found.visible && GetTickCount() - start < timeout) {
    Sleep(100);  // another process's window can only be awaited in real time
    found = FindMainWindow();
  }
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Capture shot;
  if (found.visible) {
    GetWindowRect(found.window, &area);
    wprintf(L"shown %ld,%ld %ldx%ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
    // A window that has just appeared may still be painting: wait until two
    // captures a moment apart agree and show something.
    shot = CaptureScreenRect(area);
    do {
      Sleep(300);
      Capture again = CaptureScreenRect(area);
      const bool settled = again == shot && !AllBlack(again);
      shot = std::move(again);
      if (settled) break;
    } while (GetTickCount() - start < timeout);
  } else {
    shot = CaptureScreenRect(area);
  }
  if (!SaveCapture(shot, argv[1])) {
    fwprintf(stderr, L"winshot: cannot write %ls\n", argv[1]);
    return 2;
  }
  if (found.visible) return 0;
  return found.window ? 10 : 11;
}
