#include "ui/controls/skin_controls_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/controls/picture_win32.h"

namespace keyloom {

namespace {

constexpr UINT_PTR kPictureSubclass = 0x504943;  // 'PIC'
constexpr UINT_PTR kLabelSubclass = 0x4C424C;    // 'LBL'
constexpr UINT_PTR kComboSubclass = 0x434D42;    // 'CMB'

// Paints a whole client area off screen, then copies it at once.
template <typename Draw>
void Buffered(HWND window, HDC dc, Draw draw) {
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

HFONT FontOf(HWND window) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DrawArrow(HDC dc, int cx, int cy, COLORREF colour) {
  const POINT arrow[] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
  GdiBrush brush(CreateSolidBrush(colour));
  GdiPen pen(CreatePen(PS_SOLID, 1, colour));
  SelectedObject b(dc, brush.get()), p(dc, pen.get());
  Polygon(dc, arrow, 3);
}

}  // namespace

HBRUSH ColourSkinField(HDC dc, HBRUSH field_brush) {
  SetTextColor(dc, skin_look::kText);
  SetBkColor(dc, skin_look::kField);
  return field_brush;
}

// ---- picture ----------------------------------------------------------------

bool CPictureControl::Attach(HWND control, bool clickable) {
  Detach();
  if (!control || !SetWindowSubclass(control, SubclassProc, kPictureSubclass, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = control;
  clickable_ = clickable;
  return true;
}

void CPictureControl::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kPictureSubclass);
  hwnd_ = nullptr;
}

void CPictureControl::SetPicture(HBITMAP picture) {
  if (picture == picture_) return;
  picture_ = picture;
  if (hwnd_ && IsWindowVisible(hwnd_)) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
  }
}

void CPictureControl::Paint(HDC dc) {
  Buffered(hwnd_, dc, [&](HDC buffer, const RECT& client) {
    PaintParentBackground(hwnd_, buffer, client);
    if (!picture_) return;
    MemoryDc source(dc);
    SelectedObject selected(source.get(), picture_);
    const SIZE size = BitmapSize(picture_);
    BitBlt(buffer, 0, 0, std::min<LONG>(size.cx, client.right), std::min<LONG>(size.cy, client.bottom),
           source.get(), 0, 0, SRCCOPY);
  });
}

LRESULT CALLBACK CPictureControl::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                               DWORD_PTR data) {
  auto* self = reinterpret_cast<CPictureControl*>(data);
  switch (message) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, kPictureSubclass);
      self->hwnd_ = nullptr;
      break;
    case WM_NCHITTEST:
      if (self->clickable_) return HTCLIENT;
      break;
    case WM_SETCURSOR:
      if (self->clickable_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!self->clickable_) break;
      SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), STN_CLICKED),
                   reinterpret_cast<LPARAM>(window));
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(window);
      self->Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: self->Paint(reinterpret_cast<HDC>(wparam)); return 0;
    default: break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

// ---- label ------------------------------------------------------------------

bool CTextLabel::Attach(HWND control, HFONT font) {
  Detach();
  if (!control || !SetWindowSubclass(control, SubclassProc, kLabelSubclass, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = control;
  font_ = font;
  return true;
}

void CTextLabel::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kLabelSubclass);
  hwnd_ = nullptr;
}

void CTextLabel::Paint(HDC dc) {
  Buffered(hwnd_, dc, [&](HDC buffer, RECT client) {
    PaintParentBackground(hwnd_, buffer, client);
    SelectedObject font(buffer, font_ ? font_ : FontOf(GetParent(hwnd_)));
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, skin_look::kLabel);
    // Written as the skin writes its picture labels: capitals, spaced.
    std::wstring text = WindowText(hwnd_);
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    SetTextCharacterExtra(buffer, 1);
    DrawTextW(buffer, text.c_str(), -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  });
}

LRESULT CALLBACK CTextLabel::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<CTextLabel*>(data);
  switch (message) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, kLabelSubclass);
      self->hwnd_ = nullptr;
      break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(window);
      self->Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: self->Paint(reinterpret_cast<HDC>(wparam)); return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
      InvalidateRect(window, nullptr, FALSE);
      return result;
    }
    default: break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

// ---- combo box --------------------------------------------------------------

bool CSkinCombo::Attach(HWND combo) {
  Detach();
  if (!combo || !SetWindowSubclass(combo, SubclassProc, kComboSubclass, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = combo;
  field_brush_ = GdiBrush(CreateSolidBrush(skin_look::kField));
  list_brush_ = GdiBrush(CreateSolidBrush(skin_look::kList));
  InvalidateRect(combo, nullptr, FALSE);
  return true;
}

void CSkinCombo::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kComboSubclass);
  hwnd_ = nullptr;
}

void CSkinCombo::Paint(HDC dc) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  GetComboBoxInfo(hwnd_, &info);
  const bool has_edit = info.hwndItem && info.hwndItem != hwnd_;
  Buffered(hwnd_, dc, [&](HDC buffer, RECT client) {
    PaintParentBackground(hwnd_, buffer, client);
    const bool focused = GetFocus() == hwnd_ || (has_edit && GetFocus() == info.hwndItem);
    {
      GdiBrush face(CreateSolidBrush(skin_look::kField));
      GdiPen edge(CreatePen(PS_SOLID, 1, focused ? skin_look::kFieldFocus : skin_look::kFieldEdge));
      SelectedObject b(buffer, face.get()), p(buffer, edge.get());
      RoundRect(buffer, client.left, client.top, client.right, client.bottom, 8, 8);
    }
    const int arrow_width = info.rcButton.right > info.rcButton.left ? info.rcButton.right - info.rcButton.left : 18;
    DrawArrow(buffer, client.right - arrow_width / 2 - 2, (client.top + client.bottom) / 2, skin_look::kText);
    if (has_edit) return;  // the edit field draws its own text
    const int selected = static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
    if (selected < 0) return;
    const int length = static_cast<int>(SendMessageW(hwnd_, CB_GETLBTEXTLEN, selected, 0));
    if (length <= 0) return;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    SelectedObject font(buffer, FontOf(hwnd_));
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, skin_look::kText);
    RECT box{client.left + 10, client.top, client.right - arrow_width - 4, client.bottom};
    DrawTextW(buffer, text.c_str(), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  });
}

LRESULT CSkinCombo::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLOREDIT: return reinterpret_cast<LRESULT>(ColourSkinField(reinterpret_cast<HDC>(wparam), field_brush_.get()));
    case WM_CTLCOLORLISTBOX: {
      auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, skin_look::kText);
      SetBkColor(dc, skin_look::kList);
      return reinterpret_cast<LRESULT>(list_brush_.get());
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wparam)); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CB_SETCURSEL:
    case WM_ENABLE:
    case WM_LBUTTONUP:
    case WM_KEYDOWN: {
      // The combo may draw its face at once with its own look; ours follows.
      const LRESULT result = DefSubclassProc(hwnd_, message, wparam, lparam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return result;
    }
    default: break;
  }
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK CSkinCombo::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<CSkinCombo*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, kComboSubclass);
    self->hwnd_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return self->OnMessage(message, wparam, lparam);
}

}  // namespace keyloom
