// Pictures from files (through GDI+), window shapes from mask pictures, and
// the off-screen surfaces that hold a window's full-size state pictures.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/gdi_win32.h"

namespace keyloom {

// GDI+ for the life of the object; the pictures below need one running.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

// Reads the whole file and decodes it (BMP, JPEG, PNG, GIF, ...) into a
// device-dependent bitmap; none when the file cannot be opened, read or
// decoded. Transparent pixels become white.
GdiBitmap LoadPicture(const std::u16string& path);

SIZE BitmapSize(HBITMAP bitmap);

// The region of the mask's pixels whose red, green and blue are not all 255;
// none when it cannot be built. An all-white mask gives an empty region.
GdiRegion RegionFromMask(HBITMAP mask);

// Fills `dc` (the control's client coordinates, `client` its client
// rectangle) with what the parent shows behind `control`: the parent's class
// brush, then whatever the parent paints for WM_PRINTCLIENT (a skinned
// dialog paints its background picture). For controls that draw their own
// face on a skinned window.
void PaintParentBackground(HWND control, HDC dc, const RECT& client);

// Paints a window's whole client area off screen with draw(buffer, client)
// and copies it to `dc` at once: no flicker, and the same state always
// gives the same pixels.
template <typename Draw>
void PaintBuffered(HWND window, HDC dc, Draw draw) {
  RECT client{};
  GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  MemoryDc buffer(dc);
  GdiBitmap surface(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!buffer || !surface) return;
  SelectedObject target(buffer.get(), surface.get());
  draw(buffer.get(), client);
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}

// For a control that paints its whole face with paint(dc): answers
// WM_ERASEBKGND (nothing to erase), WM_PAINT and WM_PRINTCLIENT. True when
// `message` was one of them.
template <typename Paint>
bool HandlePaintMessage(HWND window, UINT message, WPARAM wparam, Paint paint) {
  switch (message) {
    case WM_ERASEBKGND: return true;
    case WM_PAINT: {
      PaintDc dc(window);
      paint(dc.get());
      return true;
    }
    case WM_PRINTCLIENT: paint(reinterpret_cast<HDC>(wparam)); return true;
    default: return false;
  }
}

// A memory surface of a given size holding one picture drawn at (0, 0):
// a window's full-size state picture, from which buttons copy their faces.
// A picture that cannot be loaded leaves the surface without a picture.
class SkinSurface {
 public:
  SkinSurface(HWND window, int width, int height);
  ~SkinSurface();
  SkinSurface(const SkinSurface&) = delete;
  SkinSurface& operator=(const SkinSurface&) = delete;

  // Draws the picture into the surface; false when it could not be loaded.
  bool DrawPicture(const std::u16string& path);
  // Draws an already decoded picture.
  void DrawBitmap(HBITMAP picture);
  // The surface's contents were drawn by the caller (copied from another).
  void MarkDrawn() { has_picture_ = true; }

  HDC dc() const { return dc_.get(); }
  bool has_picture() const { return has_picture_; }
  bool ok() const { return dc_ && bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  MemoryDc dc_;
  GdiBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  int width_, height_;
  bool has_picture_ = false;
};

}  // namespace keyloom
