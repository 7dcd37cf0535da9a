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
