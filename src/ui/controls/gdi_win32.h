// Owners for GDI objects, device contexts, hooks and other user-interface
// handles: move-only, released exactly once.
//
// Every owner also counts what it holds in a process-wide ledger, readable
// with LiveGdiCount() and LiveHookCount(). The operating system keeps the
// same figure per process (GetGuiResources), but not every platform reports
// it, and tests need it to prove that long sessions leak nothing. The ledger
// counts only what these owners hold.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace keyloom {

namespace gdi_detail {
// The process-wide ledger: atomic counters, like the system's own.
inline std::atomic<int>& GdiCounter() {
  static std::atomic<int> count{0};
  return count;
}
inline std::atomic<int>& HookCounter() {
  static std::atomic<int> count{0};
  return count;
}
}  // namespace gdi_detail

// GDI objects (bitmaps, fonts, pens, brushes, regions) and device contexts
// held by the owners below.
inline int LiveGdiCount() { return gdi_detail::GdiCounter().load(); }
inline int LiveHookCount() { return gdi_detail::HookCounter().load(); }

// A GDI object deleted with DeleteObject.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : h_(h) {
    if (h_) ++gdi_detail::GdiCounter();
  }
  ~GdiObject() { reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset() {
    if (h_) {
      DeleteObject(h_);
      --gdi_detail::GdiCounter();
    }
    h_ = nullptr;
  }
  // Hands the object to a new owner that deletes it itself (SetWindowRgn).
  H release() {
    if (h_) --gdi_detail::GdiCounter();
    return std::exchange(h_, nullptr);
  }

 private:
  H h_ = nullptr;
};

using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;
using GdiPen = GdiObject<HPEN>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiRegion = GdiObject<HRGN>;

// A memory device context (CreateCompatibleDC / DeleteDC).
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {
    if (dc_) ++gdi_detail::GdiCounter();
  }
  ~MemoryDc() { reset(); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset() {
    if (dc_) {
      DeleteDC(dc_);
      --gdi_detail::GdiCounter();
    }
    dc_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
};

// A window's (or the screen's) device context: GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {
    if (dc_) ++gdi_detail::GdiCounter();
  }
  // GetDCEx with `flags` (DCX_*).
  WindowDc(HWND window, DWORD flags) : window_(window), dc_(GetDCEx(window, nullptr, flags)) {
    if (dc_) ++gdi_detail::GdiCounter();
  }
  ~WindowDc() {
    if (dc_) {
      ReleaseDC(window_, dc_);
      --gdi_detail::GdiCounter();
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {
    if (dc_) ++gdi_detail::GdiCounter();
  }
  ~PaintDc() {
    EndPaint(window_, &ps_);
    if (dc_) --gdi_detail::GdiCounter();
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return ps_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Saves a DC's state (text colour, background mode, ...) and restores it.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// A windows hook (SetWindowsHookExW / UnhookWindowsHookEx).
class WindowsHook {
 public:
  WindowsHook() = default;
  WindowsHook(int id, HOOKPROC proc, HINSTANCE module, DWORD thread)
      : hook_(SetWindowsHookExW(id, proc, module, thread)) {
    if (hook_) ++gdi_detail::HookCounter();
  }
  ~WindowsHook() { reset(); }
  WindowsHook(const WindowsHook&) = delete;
  WindowsHook& operator=(const WindowsHook&) = delete;
  WindowsHook(WindowsHook&& other) noexcept : hook_(std::exchange(other.hook_, nullptr)) {}
  WindowsHook& operator=(WindowsHook&& other) noexcept {
    if (this != &other) {
      reset();
      hook_ = std::exchange(other.hook_, nullptr);
    }
    return *this;
  }
  HHOOK get() const { return hook_; }
  explicit operator bool() const { return hook_ != nullptr; }
  void reset() {
    if (hook_) {
      UnhookWindowsHookEx(hook_);
      --gdi_detail::HookCounter();
    }
    hook_ = nullptr;
  }

 private:
  HHOOK hook_ = nullptr;
};

// An icon loaded as its own copy (DestroyIcon); shared icons from LoadIcon
// need no owner.
class UniqueIcon {
 public:
  UniqueIcon() = default;
  explicit UniqueIcon(HICON icon) : icon_(icon) {}
  ~UniqueIcon() { reset(); }
  UniqueIcon(const UniqueIcon&) = delete;
  UniqueIcon& operator=(const UniqueIcon&) = delete;
  UniqueIcon(UniqueIcon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
  UniqueIcon& operator=(UniqueIcon&& other) noexcept {
    if (this != &other) {
      reset();
      icon_ = std::exchange(other.icon_, nullptr);
    }
    return *this;
  }
  HICON get() const { return icon_; }
  void reset(HICON icon = nullptr) {
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
  }

 private:
  HICON icon_ = nullptr;
};

// A menu loaded from resources (DestroyMenu).
class UniqueMenu {
 public:
  explicit UniqueMenu(HMENU menu) : menu_(menu) {}
  ~UniqueMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  UniqueMenu(const UniqueMenu&) = delete;
  UniqueMenu& operator=(const UniqueMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// The system's message font at `pixel_height` pixels and `weight`, in
// `face_name` when one is given.
inline GdiFont MessageFont(int pixel_height, int weight, const wchar_t* face_name = nullptr) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW face{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) face = metrics.lfMessageFont;
  face.lfHeight = -pixel_height;
  face.lfWidth = 0;
  face.lfWeight = weight;
  if (face_name) lstrcpynW(face.lfFaceName, face_name, LF_FACESIZE);
  return GdiFont(CreateFontIndirectW(&face));
}

}  // namespace keyloom
