#include "ui/controls/base_dialog_win32.h"

#include <windowsx.h>

#include "storage/ini.h"
#include "storage/skin_layout.h"
#include "ui/controls/picture_win32.h"

namespace keyloom {

namespace {

// A window that hides or minimises under the pointer gets no mouse move
// that would end a control's wait for the mouse to leave, and Wine keeps
// polling for that leave while the window is hidden. End the wait and tell
// the control the mouse has left, so it shows its normal look and asks
// again when the pointer next comes.
void EndMouseTrackingWithin(HWND window) {
  TRACKMOUSEEVENT tracked{sizeof(tracked), TME_QUERY, nullptr, 0};
  if (!TrackMouseEvent(&tracked) || !tracked.hwndTrack || !(tracked.dwFlags & TME_LEAVE)) return;
  if (tracked.hwndTrack != window && !IsChild(window, tracked.hwndTrack)) return;
  TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | (tracked.dwFlags & (TME_HOVER | TME_LEAVE)), tracked.hwndTrack,
                         0};
  TrackMouseEvent(&cancel);
  PostMessageW(tracked.hwndTrack, WM_MOUSELEAVE, 0, 0);
}

}  // namespace

std::u16string CIniFile::ReadString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view default_value) const {
  std::u16string value = ini_.GetString(path_, section, key, u"", kSkinScreenCapacity);
  if (value.empty()) return std::u16string(default_value);
  return value;
}

CBaseDialog::CBaseDialog(HINSTANCE resources, int template_id, HWND parent, std::u16string layout_file,
                         std::u16string skin_folder, SkinEnvironment environment)
    : Win32Dialog(resources, template_id, parent),
      layout_file_(std::move(layout_file)),
      skin_folder_(std::move(skin_folder)),
      environment_(std::move(environment)),
      ini_(environment_.ini, layout_file_) {}

BOOL CBaseDialog::OnInitDialog() {
  Win32Dialog::OnInitDialog();
  LoadSkin();
  return TRUE;
}

bool CBaseDialog::LoadSkin() {
  loading_ = true;
  const std::u16string main = ini_.ReadString(kScreenSection, u"Main", u"");
  const std::u16string mask = ini_.ReadString(kScreenSection, u"Mask", main);
  background_ = LoadPicture(skin_folder_ + main);
  mask_ = LoadPicture(skin_folder_ + mask);
  if (!background_ || !mask_) {
    loading_ = false;
    if (environment_.on_missing_picture) environment_.on_missing_picture();
    return false;
  }
  const SIZE size = BitmapSize(background_.get());
  SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW);
  GdiRegion shape = RegionFromMask(mask_.get());
  // Without a region the window keeps its rectangle.
  if (shape && SetWindowRgn(hwnd(), shape.get(), TRUE)) shape.release();
  loading_ = false;
  return true;
}

void CBaseDialog::ReleasePictures() {
  background_.reset();
  mask_.reset();
}

void CBaseDialog::OnOK() {
  ReleasePictures();
  Win32Dialog::OnOK();
}

void CBaseDialog::OnCancel() {
  ReleasePictures();
  Win32Dialog::OnCancel();
}

void CBaseDialog::PaintBackground(HDC dc) const {
  if (!background_) return;
  MemoryDc source(dc);
  SelectedObject selected(source.get(), background_.get());
  const SIZE size = BitmapSize(background_.get());
  BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
}

bool CBaseDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
      result = TRUE;  // the paint covers everything
      return true;
    case WM_NCPAINT:
      result = 0;
      return true;
    case WM_PAINT: {
      PaintDc paint(hwnd());
      PaintBackground(paint.get());
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      PaintBackground(reinterpret_cast<HDC>(wparam));
      result = 0;
      return true;
    case WM_SHOWWINDOW:
      if (!wparam) EndMouseTrackingWithin(hwnd());
      return false;
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) EndMouseTrackingWithin(hwnd());
      return false;
    case WM_LBUTTONDOWN:
      // A press on the background moves the window, as a press on a caption
      // would; presses on controls go to the controls.
      {
        POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        ClientToScreen(hwnd(), &at);
        PostMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
      }
      UpdateWindow(hwnd());
      return false;
    default:
      return false;
  }
}

}  // namespace keyloom
