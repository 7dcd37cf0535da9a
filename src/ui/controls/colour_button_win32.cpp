#include "ui/controls/colour_button_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include "base/text.h"
#include "ui/controls/gdi_win32.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/reflect_win32.h"

namespace keyloom {

namespace {

constexpr wchar_t kPopupClass[] = L"KeyloomColourDropDown";

// The panel's dark look.
constexpr COLORREF kFace = RGB(0x23, 0x26, 0x2E);
constexpr COLORREF kEdge = RGB(0x3A, 0x40, 0x4C);
constexpr COLORREF kAccent = RGB(0x5C, 0xC0, 0xF8);
constexpr COLORREF kGround = RGB(0x1B, 0x1E, 0x24);
constexpr COLORREF kSwatchEdge = RGB(0x0C, 0x0E, 0x11);
constexpr COLORREF kText = RGB(0xE4, 0xE8, 0xEE);
constexpr COLORREF kArrow = RGB(0xC8, 0xCD, 0xD6);

void FillBox(HDC dc, const RECT& r, COLORREF colour) {
  GdiBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void FrameBox(HDC dc, RECT r, COLORREF colour, int width) {
  GdiBrush brush(CreateSolidBrush(colour));
  for (int i = 0; i < width; ++i) {
    FrameRect(dc, &r, brush.get());
    InflateRect(&r, -1, -1);
  }
}

void RoundBox(HDC dc, const RECT& r, COLORREF fill, COLORREF edge, int radius) {
  GdiBrush brush(CreateSolidBrush(fill));
  GdiPen pen(CreatePen(PS_SOLID, 1, edge));
  SelectedObject b(dc, brush.get()), p(dc, pen.get());
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
}

RECT ToRect(const ColourPalette::Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

bool RegisterPopupClass() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kPopupClass, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPopupClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

std::optional<PaletteColour> SystemColourDialog::Choose(HWND owner, PaletteColour initial) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = owner;
  cc.rgbResult = initial & 0xFFFFFF;  // COLORREF keeps red in the low byte as well
  cc.lpCustColors = custom_.data();
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&cc)) return std::nullopt;
  return static_cast<PaletteColour>(cc.rgbResult & 0xFFFFFF);
}

CColourButton::~CColourButton() {
  if (popup_) DestroyWindow(popup_);
}

bool CColourButton::Attach(HWND button) {
  if (!Bind(button)) return false;
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  InvalidateRect(button, nullptr, FALSE);
  return true;
}

void CColourButton::SetColour(PaletteColour colour) {
  colour_ = colour & 0xFFFFFF;
  if (hwnd()) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
}

void CColourButton::Choose(PaletteColour colour) {
  SetColour(colour);
  if (!hwnd()) return;
  SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd()), kColourButtonChosen),
               reinterpret_cast<LPARAM>(hwnd()));
}

void CColourButton::Paint(HDC dc) {
  PaintBuffered(hwnd(), dc, [&](HDC buffer, const RECT& client) {
    PaintParentBackground(hwnd(), buffer, client);
    const bool active = hot_ || open_ || GetFocus() == hwnd();
    RECT body = client;
    InflateRect(&body, -1, -1);
    RoundBox(buffer, body, kFace, active ? kAccent : kEdge, 8);
    const int arrow_room = 16;
    RECT swatch{client.left + 6, client.top + 6, client.right - 6 - arrow_room, client.bottom - 6};
    if (swatch.right > swatch.left && swatch.bottom > swatch.top) {
      const PaletteColour c = colour();
      FillBox(buffer, swatch, IsWindowEnabled(hwnd()) ? c : RGB(0x50, 0x55, 0x5E));
      FrameBox(buffer, swatch, kSwatchEdge, 1);
    }
    const int cx = client.right - 6 - arrow_room / 2, cy = (client.top + client.bottom) / 2;
    const POINT arrow[] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
    GdiBrush brush(CreateSolidBrush(kArrow));
    GdiPen pen(CreatePen(PS_SOLID, 1, kArrow));
    SelectedObject b(buffer, brush.get()), p(buffer, pen.get());
    Polygon(buffer, arrow, 3);
  });
}

void CColourButton::PaintPopup(HDC dc) {
  PaintBuffered(popup_, dc, [&](HDC buffer, const RECT& client) {
    FillBox(buffer, client, kGround);
    FrameBox(buffer, client, kEdge, 1);
    const int current = ColourPalette::IndexOf(colour());
    for (int i = 0; i < ColourPalette::kColours; ++i) {
      RECT cell = ToRect(ColourPalette::CellBox(i));
      FillBox(buffer, cell, ColourPalette::ColourAt(i));
      FrameBox(buffer, cell, kSwatchEdge, 1);
      RECT around = cell;
      InflateRect(&around, 2, 2);
      if (i == highlight_) {
        FrameBox(buffer, around, RGB(0xFF, 0xFF, 0xFF), 2);
      } else if (i == current) {
        FrameBox(buffer, around, kAccent, 1);
      }
    }
    const RECT other = ToRect(ColourPalette::OtherBox());
    const bool lit = highlight_ == ColourPalette::kOther;
    RoundBox(buffer, other, lit ? RGB(0x2A, 0x8A, 0xD0) : kFace, lit ? kAccent : kEdge, 6);
    SavedDcState saved(buffer);
    SelectObject(buffer, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, kText);
    RECT text = other;
    DrawTextW(buffer, AsWide(other_text_), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  });
}

void CColourButton::DropDown() {
  if (open_ || !hwnd() || !RegisterPopupClass()) return;
  RECT button{};
  GetWindowRect(hwnd(), &button);
  const int width = ColourPalette::Width(), height = ColourPalette::Height();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  int x = button.left, y = button.bottom + 2;
  if (y + height > work.bottom) y = button.top - height - 2;
  if (x + width > work.right) x = work.right - width;
  if (x < work.left) x = work.left;

  popup_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, L"", WS_POPUP, x, y, width, height,
                           GetAncestor(hwnd(), GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!popup_) return;
  SetWindowLongPtrW(popup_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(popup_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PopupProc));
  highlight_ = ColourPalette::IndexOf(colour());
  result_ = ColourPalette::kNone;
  pressed_inside_ = false;
  open_ = true;
  InvalidateRect(hwnd(), nullptr, FALSE);
  ShowWindow(popup_, SW_SHOWNA);
  UpdateWindow(popup_);
  SetCapture(popup_);

  // The drop-down's own loop, as a menu has: keys go to the palette, every
  // other message (timers, paints) is dispatched as usual.
  MSG msg;
  while (open_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      ClosePopup(ColourPalette::kNone);
      break;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      OnPopupKey(msg.wParam);
      continue;
    }
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR || msg.message == WM_KEYUP ||
        msg.message == WM_SYSKEYUP)
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (open_ && GetCapture() != popup_) ClosePopup(ColourPalette::kNone);
  }

  HWND popup = popup_;
  popup_ = nullptr;
  if (GetCapture() == popup) ReleaseCapture();
  DestroyWindow(popup);
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);

  const int result = result_;
  if (result >= 0 && result < ColourPalette::kColours) {
    Choose(ColourPalette::ColourAt(result));
  } else if (result == ColourPalette::kOther) {
    if (auto chosen = dialog_.Choose(hwnd() ? GetAncestor(hwnd(), GA_ROOT) : nullptr, colour())) Choose(*chosen);
  }
}

void CColourButton::ClosePopup(int result) {
  result_ = result;
  open_ = false;
}

void CColourButton::OnPopupKey(WPARAM key) {
  using Key = ColourPalette::Key;
  int next = highlight_;
  switch (key) {
    case VK_ESCAPE:
    case VK_F4:
      ClosePopup(ColourPalette::kNone);
      return;
    case VK_RETURN:
    case VK_SPACE:
      ClosePopup(highlight_);
      return;
    case VK_LEFT: next = ColourPalette::Move(highlight_, Key::kLeft); break;
    case VK_RIGHT: next = ColourPalette::Move(highlight_, Key::kRight); break;
    case VK_UP: next = ColourPalette::Move(highlight_, Key::kUp); break;
    case VK_DOWN: next = ColourPalette::Move(highlight_, Key::kDown); break;
    case VK_HOME: next = ColourPalette::Move(highlight_, Key::kHome); break;
    case VK_END: next = ColourPalette::Move(highlight_, Key::kEnd); break;
    default: return;
  }
  if (next != highlight_) {
    highlight_ = next;
    InvalidateRect(popup_, nullptr, FALSE);
  }
}

LRESULT CALLBACK CColourButton::PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<CColourButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->popup_ != window) return DefWindowProcW(window, message, wparam, lparam);
  return self->OnPopupMessage(message, wparam, lparam);
}

LRESULT CColourButton::OnPopupMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  RECT client{};
  GetClientRect(popup_, &client);
  const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const bool inside = PtInRect(&client, at);
  if (HandlePaintMessage(popup_, message, wparam, [this](HDC dc) { PaintPopup(dc); }))
    return message == WM_ERASEBKGND ? 1 : 0;
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
      if (inside) {
        const int hit = ColourPalette::HitTest(at.x, at.y);
        if (hit != ColourPalette::kNone && hit != highlight_) {
          highlight_ = hit;
          InvalidateRect(popup_, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // A press outside closes the drop-down, as it does a menu.
      if (!inside) ClosePopup(ColourPalette::kNone);
      pressed_inside_ = inside;
      return 0;
    case WM_LBUTTONUP:
      // The release of the press that opened it (on the button) is ignored;
      // a release on an entry takes it.
      if (inside) {
        const int hit = ColourPalette::HitTest(at.x, at.y);
        if (hit != ColourPalette::kNone) ClosePopup(hit);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (open_ && reinterpret_cast<HWND>(lparam) != popup_) ClosePopup(ColourPalette::kNone);
      return 0;
    case WM_CANCELMODE:
      ClosePopup(ColourPalette::kNone);
      return 0;
    default: break;
  }
  return DefWindowProcW(popup_, message, wparam, lparam);
}

LRESULT CColourButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (HandlePaintMessage(hwnd(), message, wparam, [this](HDC dc) { Paint(dc); }))
    return message == WM_ERASEBKGND ? 1 : 0;
  switch (message) {
    case kReflectedDrawItem: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      Paint(item->hDC);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!IsWindowEnabled(hwnd())) return 0;
      SetFocus(hwnd());
      DropDown();
      return 0;
    case WM_LBUTTONUP: return 0;  // no click notification: a chosen colour is the notification
    case WM_KEYDOWN:
      if (wparam == VK_SPACE || wparam == VK_RETURN || wparam == VK_F4 || wparam == VK_DOWN) {
        DropDown();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wparam == L' ' || wparam == L'\r') return 0;
      break;
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
        TrackMouseEvent(&track);
        InvalidateRect(hwnd(), nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      InvalidateRect(hwnd(), nullptr, FALSE);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd(), nullptr, FALSE);
      break;
    default: break;
  }
  return Default(message, wparam, lparam);
}

}  // namespace keyloom
