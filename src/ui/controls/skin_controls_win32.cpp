#include "ui/controls/skin_controls_win32.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/window_text_win32.h"

namespace keyloom {

namespace {

HFONT FontOf(HWND window) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
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
  clickable_ = clickable;
  return Bind(control);
}

void CPictureControl::SetPicture(HBITMAP picture) {
  if (picture == picture_) return;
  picture_ = picture;
  if (hwnd() && IsWindowVisible(hwnd())) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
}

void CPictureControl::Paint(HDC dc) {
  PaintBuffered(hwnd(), dc, [&](HDC buffer, const RECT& client) {
    PaintParentBackground(hwnd(), buffer, client);
    if (!picture_) return;
    MemoryDc source(dc);
    SelectedObject selected(source.get(), picture_);
    const SIZE size = BitmapSize(picture_);
    BitBlt(buffer, 0, 0, std::min<LONG>(size.cx, client.right), std::min<LONG>(size.cy, client.bottom),
           source.get(), 0, 0, SRCCOPY);
  });
}

LRESULT CPictureControl::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (HandlePaintMessage(hwnd(), message, wparam, [this](HDC dc) { Paint(dc); }))
    return message == WM_ERASEBKGND ? 1 : 0;
  switch (message) {
    case WM_NCHITTEST:
      if (clickable_) return HTCLIENT;
      break;
    case WM_SETCURSOR:
      if (clickable_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!clickable_) break;
      SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd()), STN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd()));
      return 0;
    default: break;
  }
  return Default(message, wparam, lparam);
}

// ---- label ------------------------------------------------------------------

bool CTextLabel::Attach(HWND control, HFONT font) {
  font_ = font;
  return Bind(control);
}

void CTextLabel::Paint(HDC dc) {
  PaintBuffered(hwnd(), dc, [&](HDC buffer, RECT client) {
    PaintParentBackground(hwnd(), buffer, client);
    SelectedObject font(buffer, font_ ? font_ : FontOf(GetParent(hwnd())));
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, skin_look::kLabel);
    // Written as the skin writes its picture labels: capitals, spaced.
    std::u16string text = WindowText(hwnd());
    CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
    SetTextCharacterExtra(buffer, 1);
    DrawTextW(buffer, AsWide(text), -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  });
}

LRESULT CTextLabel::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (HandlePaintMessage(hwnd(), message, wparam, [this](HDC dc) { Paint(dc); }))
    return message == WM_ERASEBKGND ? 1 : 0;
  switch (message) {
    case WM_SETTEXT: {
      const LRESULT result = Default(message, wparam, lparam);
      InvalidateRect(hwnd(), nullptr, FALSE);
      return result;
    }
    default: break;
  }
  return Default(message, wparam, lparam);
}

// ---- combo box --------------------------------------------------------------

bool CSkinCombo::Attach(HWND combo) {
  field_brush_ = GdiBrush(CreateSolidBrush(skin_look::kField));
  list_brush_ = GdiBrush(CreateSolidBrush(skin_look::kList));
  if (!Bind(combo)) return false;
  InvalidateRect(combo, nullptr, FALSE);
  return true;
}

void CSkinCombo::Paint(HDC dc) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  GetComboBoxInfo(hwnd(), &info);
  const bool has_edit = info.hwndItem && info.hwndItem != hwnd();
  PaintBuffered(hwnd(), dc, [&](HDC buffer, RECT client) {
    PaintParentBackground(hwnd(), buffer, client);
    const bool focused = GetFocus() == hwnd() || (has_edit && GetFocus() == info.hwndItem);
    {
      GdiBrush face(CreateSolidBrush(skin_look::kField));
      GdiPen edge(CreatePen(PS_SOLID, 1, focused ? skin_look::kFieldFocus : skin_look::kFieldEdge));
      SelectedObject b(buffer, face.get()), p(buffer, edge.get());
      RoundRect(buffer, client.left, client.top, client.right, client.bottom, 8, 8);
    }
    const int arrow_width = info.rcButton.right > info.rcButton.left ? info.rcButton.right - info.rcButton.left : 18;
    DrawArrow(buffer, client.right - arrow_width / 2 - 2, (client.top + client.bottom) / 2, skin_look::kText);
    if (has_edit) return;  // the edit field draws its own text
    const int selected = static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
    if (selected < 0) return;
    const int length = static_cast<int>(SendMessageW(hwnd(), CB_GETLBTEXTLEN, selected, 0));
    if (length <= 0) return;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd(), CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    SelectedObject font(buffer, FontOf(hwnd()));
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, skin_look::kText);
    RECT box{client.left + 10, client.top, client.right - arrow_width - 4, client.bottom};
    DrawTextW(buffer, text.c_str(), -1, &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  });
}

LRESULT CSkinCombo::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (HandlePaintMessage(hwnd(), message, wparam, [this](HDC dc) { Paint(dc); }))
    return message == WM_ERASEBKGND ? 1 : 0;
  switch (message) {
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(ColourSkinField(reinterpret_cast<HDC>(wparam), field_brush_.get()));
    case WM_CTLCOLORLISTBOX: {
      auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, skin_look::kText);
      SetBkColor(dc, skin_look::kList);
      return reinterpret_cast<LRESULT>(list_brush_.get());
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CB_SETCURSEL:
    case WM_ENABLE:
    case WM_LBUTTONUP:
    case WM_KEYDOWN: {
      // The combo may draw its face at once with its own look; ours follows.
      const LRESULT result = Default(message, wparam, lparam);
      InvalidateRect(hwnd(), nullptr, FALSE);
      return result;
    }
    default: break;
  }
  return Default(message, wparam, lparam);
}

}  // namespace keyloom
