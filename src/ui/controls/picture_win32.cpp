#include "ui/controls/picture_win32.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "base/handle_win32.h"
#include "base/text.h"
#include "storage/skin_layout.h"

namespace keyloom {

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

namespace {

// A COM stream, released once.
struct StreamRelease {
  void operator()(IStream* s) const { s->Release(); }
};

bool ReadWholeFile(const std::u16string& path, std::vector<BYTE>& bytes) {
  UniqueHandle file(CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 256 * 1024 * 1024) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
}

}  // namespace

GdiBitmap LoadPicture(const std::u16string& path) {
  std::vector<BYTE> bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return {};
  if (void* p = GlobalLock(memory)) {
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  IStream* raw = nullptr;
  // The stream frees the memory when it is released.
  if (CreateStreamOnHGlobal(memory, TRUE, &raw) != S_OK) {
    GlobalFree(memory);
    return {};
  }
  std::unique_ptr<IStream, StreamRelease> stream(raw);
  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return {};
  HBITMAP bitmap = nullptr;
  if (picture->GetHBITMAP(Gdiplus::Color(255, 255, 255), &bitmap) != Gdiplus::Ok) return {};
  return GdiBitmap(bitmap);
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

GdiRegion RegionFromMask(HBITMAP mask) {
  const SIZE size = BitmapSize(mask);
  if (size.cx <= 0 || size.cy <= 0) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(size.cx) * size.cy);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  {
    WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), mask, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS) != size.cy) return {};
  }
  const std::vector<MaskRun> runs = MaskRuns(pixels, size.cx, size.cy);
  if (runs.empty()) return GdiRegion(CreateRectRgn(0, 0, 0, 0));

  // One region from all the one-pixel-high rectangles at once.
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header->rcBound = {0, 0, size.cx, size.cy};
  auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  for (size_t i = 0; i < runs.size(); ++i) rects[i] = {runs[i].x_begin, runs[i].y, runs[i].x_end, runs[i].y + 1};
  if (HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())))
    return GdiRegion(region);

  // Some systems limit the rectangles per call: combine them one by one.
  GdiRegion all(CreateRectRgn(0, 0, 0, 0));
  if (!all) return {};
  for (const MaskRun& run : runs) {
    GdiRegion row(CreateRectRgn(run.x_begin, run.y, run.x_end, run.y + 1));
    if (!row || CombineRgn(all.get(), all.get(), row.get(), RGN_OR) == ERROR) return {};
  }
  return all;
}

void PaintParentBackground(HWND control, HDC dc, const RECT& client) {
  HWND parent = GetParent(control);
  auto brush = parent ? reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND)) : nullptr;
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  if (!parent) return;
  POINT origin{0, 0};
  MapWindowPoints(control, parent, &origin, 1);
  POINT previous{};
  SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

SkinSurface::SkinSurface(HWND window, int width, int height) : width_(width), height_(height) {
  WindowDc window_dc(window);
  dc_ = MemoryDc(window_dc.get());
  if (dc_ && width > 0 && height > 0) bitmap_ = GdiBitmap(CreateCompatibleBitmap(window_dc.get(), width, height));
  if (bitmap_) previous_ = SelectObject(dc_.get(), bitmap_.get());
}

SkinSurface::~SkinSurface() {
  // The bitmap must leave the DC before either is deleted.
  if (previous_) SelectObject(dc_.get(), previous_);
  bitmap_.reset();
  dc_.reset();
}

void SkinSurface::DrawBitmap(HBITMAP picture) {
  if (!ok() || !picture) return;
  MemoryDc source(dc_.get());
  SelectedObject selected(source.get(), picture);
  const SIZE size = BitmapSize(picture);
  BitBlt(dc_.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
  has_picture_ = true;
}

bool SkinSurface::DrawPicture(const std::u16string& path) {
  GdiBitmap picture = LoadPicture(path);
  if (!picture) return false;
  DrawBitmap(picture.get());
  return true;
}

}  // namespace keyloom
