#include "ui/controls/bitmap_slider_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/controls/picture_win32.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kSubclassId = 0x534C44;  // 'SLD'

SliderKey KeyFor(WPARAM vk) {
  switch (vk) {
    case VK_PRIOR: return SliderKey::kPageUp;
    case VK_NEXT: return SliderKey::kPageDown;
    case VK_END: return SliderKey::kEnd;
    case VK_HOME: return SliderKey::kHome;
    case VK_RIGHT: return SliderKey::kRight;
    case VK_DOWN: return SliderKey::kDown;
    case VK_LEFT: return SliderKey::kLeft;
    case VK_UP: return SliderKey::kUp;
    default: return SliderKey::kOther;
  }
}
}  // namespace

CBitmapSlider::~CBitmapSlider() { Detach(); }

bool CBitmapSlider::Attach(HWND control) {
  Detach();
  if (!control || !SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = control;
  SyncSize();
  return true;
}

void CBitmapSlider::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

void CBitmapSlider::SyncSize() {
  RECT client{};
  if (hwnd_) GetClientRect(hwnd_, &client);
  logic_.SetSize(client.right, client.bottom);
}

void CBitmapSlider::SetPicture(GdiBitmap picture, bool resize) {
  picture_ = std::move(picture);
  if (resize && hwnd_ && picture_) {
    const SIZE size = BitmapSize(picture_.get());
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SyncSize();
  }
  Redraw();
}

void CBitmapSlider::SetPosition(int position) {
  logic_.SetPosition(position);
  Redraw();
}

void CBitmapSlider::Redraw() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void CBitmapSlider::Apply(const SliderOutcome& outcome) {
  if (outcome.redraw) Redraw();
  // Posted after the redraw, so the parent always sees a control that
  // already shows the position it is told about.
  if (outcome.notify && hwnd_)
    PostMessageW(GetParent(hwnd_), kSliderMessage, static_cast<WPARAM>(GetDlgCtrlID(hwnd_)),
                 static_cast<LPARAM>(logic_.position()));
}

void CBitmapSlider::Paint(HDC dc) {
  // The frame is inverted on a fresh copy of the picture, never on what the
  // screen showed before, so the same state always gives the same pixels.
  PaintBuffered(hwnd_, dc, [&](HDC buffer, const RECT& client) {
    PaintParentBackground(hwnd_, buffer, client);
    if (picture_) {
      MemoryDc source(dc);
      SelectedObject selected(source.get(), picture_.get());
      const SIZE size = BitmapSize(picture_.get());
      BitBlt(buffer, 0, 0, std::min<LONG>(size.cx, client.right), std::min<LONG>(size.cy, client.bottom),
             source.get(), 0, 0, SRCCOPY);
    }
    if (logic_.mouse_over()) DrawFocusRect(buffer, &client);
  });
}

LRESULT CALLBACK CBitmapSlider::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                             DWORD_PTR self) {
  auto* slider = reinterpret_cast<CBitmapSlider*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    slider->hwnd_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return slider->OnMessage(message, wparam, lparam);
}

LRESULT CBitmapSlider::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST: return HTCLIENT;  // a static is otherwise transparent to the mouse
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_SIZE: SyncSize(); break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wparam)); return 0;
    case WM_LBUTTONDOWN:
      if (!logic_.enabled()) break;
      SetCapture(hwnd_);
      SetFocus(hwnd_);
      Apply(logic_.Press(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)));
      Redraw();
      return 0;
    case WM_MOUSEMOVE: {
      if (!logic_.enabled()) break;
      TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, HOVER_DEFAULT};
      TrackMouseEvent(&track);
      // The pointer is over the control now: the wheel need not wait for the
      // hover notification.
      if (!logic_.mouse_over()) {
        logic_.Enter();
        Redraw();
      }
      Apply(logic_.Move(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)));
      return 0;
    }
    case WM_MOUSEHOVER:
      if (logic_.enabled() && !logic_.mouse_over()) {
        logic_.Enter();
        Redraw();
      }
      return 0;
    case WM_LBUTTONUP:
      if (!logic_.enabled()) break;
      ReleaseCapture();
      Apply(logic_.Release());
      return 0;
    case WM_MOUSELEAVE:
      logic_.Leave();
      Redraw();
      return 0;
    case WM_MOUSEWHEEL: {
      const SliderOutcome outcome = logic_.Wheel(GET_WHEEL_DELTA_WPARAM(wparam));
      if (!outcome.handled) break;
      Apply(outcome);
      return 0;
    }
    case WM_KEYDOWN: {
      const SliderOutcome outcome = logic_.Key(KeyFor(wparam));
      if (!outcome.handled) break;
      Apply(outcome);
      return 0;
    }
    default: break;
  }
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

}  // namespace keyloom
