#include "ui/controls/png_button_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "base/text.h"
#include "ui/controls/reflect_win32.h"
#include "ui/controls/window_text_win32.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kSubclassId = 0x504E47;  // 'PNG'
constexpr UINT_PTR kToolId = 1;
constexpr int kTooltipDelayMs = 300;
}  // namespace

CPngButton::~CPngButton() { Detach(); }

bool CPngButton::Attach(HWND button) {
  Detach();
  if (!button || !SetWindowSubclass(button, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = button;
  const LONG style = GetWindowLongW(button, GWL_STYLE);
  SetWindowLongW(button, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
  SetWindowPos(button, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return true;
}

void CPngButton::Detach() {
  DestroyTooltip();
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
  mouse_over_ = tracking_ = pressed_ = false;
  shown_.reset();
  bounds_.reset();
}

void CPngButton::SetStateSurfaces(const StateSurfaces& surfaces, bool redraw) {
  surfaces_ = surfaces;
  mouse_over_ = tracking_ = pressed_ = false;
  if (redraw) Redraw();
}

void CPngButton::SetOrigin(int x, int y, bool redraw) {
  origin_x_ = x;
  origin_y_ = y;
  if (redraw) Redraw();
}

void CPngButton::Place(int x, int y, const StateSurfaces& surfaces, bool redraw) {
  SetOrigin(x, y, false);
  SetStateSurfaces(surfaces, redraw);
}

void CPngButton::SetSelected(bool selected, bool redraw) {
  selected_ = selected;
  if (redraw) Redraw();
}

void CPngButton::SetColourFrame(uint32_t colour, int strength, bool on, bool redraw) {
  frame_ = MakeColourFrame(colour, strength, on);
  if (redraw) Redraw();
}

FramePens::~FramePens() {
  if (original_) SelectObject(dc_, original_);
}

void FramePens::Use(COLORREF colour) {
  if (selected_ == colour) return;
  auto made = std::find_if(pens_.begin(), pens_.end(), [colour](const auto& p) { return p.first == colour; });
  if (made == pens_.end()) {
    pens_.emplace_back(colour, GdiPen(CreatePen(PS_SOLID, 2, colour)));
    made = std::prev(pens_.end());
  }
  HGDIOBJ previous = SelectObject(dc_, made->second.get());
  if (!previous) return;  // not selected: the next frame tries again
  if (!original_) original_ = previous;
  selected_ = colour;
}

void DrawButtonsTogether(HWND parent, std::span<CPngButton* const> buttons) {
  if (buttons.empty()) return;
  // The parent's context without its children clipped: each button is drawn
  // in its own place, as its own paint would draw it.
  WindowDc dc(parent, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc.get()) return;
  // Frames of one colour one after the other: each pen is selected once.
  std::vector<CPngButton*> order(buttons.begin(), buttons.end());
  std::stable_sort(order.begin(), order.end(), [](const CPngButton* a, const CPngButton* b) {
    return a->colour_frame().colour < b->colour_frame().colour;
  });
  SelectedObject hollow(dc.get(), GetStockObject(NULL_BRUSH));
  FramePens pens(dc.get());
  for (CPngButton* button : order) {
    HWND window = button->hwnd();
    if (window && IsWindowVisible(window)) button->DrawOnScreen(dc.get(), pens);
  }
}

void CPngButton::SetCaptionStyle(bool show, int size_points, std::u16string_view face, uint32_t normal, uint32_t over,
                                 uint32_t pressed, uint32_t disabled, uint32_t selected, uint32_t format) {
  caption_.show = show;
  caption_.size_points = size_points;
  caption_.face = std::u16string(face);
  caption_.colours = {normal, over, pressed, disabled, selected};
  caption_.format = format;
  Redraw();
}

void CPngButton::SetRotation(int tenths_of_degree, bool rotated) {
  caption_.rotation = tenths_of_degree;
  caption_.rotated = rotated;
  Redraw();
}

void CPngButton::SetMargins(int left, int right, int top, int bottom) {
  caption_.margins = {left, right, top, bottom};
  Redraw();
}

ButtonState CPngButton::state() const {
  ButtonState s;
  s.disabled = hwnd_ && !IsWindowEnabled(hwnd_);
  s.pressed = pressed_;
  s.mouse_over = mouse_over_;
  s.selected = selected_;
  return s;
}

void CPngButton::Redraw() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void CPngButton::Draw(HDC dc) {
  if (!hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  DrawWhole(dc, client, FaceNow(client));
}

void CPngButton::DrawWhole(HDC dc, const RECT& client, const ShownFace& face) {
  // The face is copied under the frame too: a button first painted with its
  // frame on (a window shown in the per-key mode, or uncovered) would
  // otherwise show an empty black face.
  if (face.surface)
    BitBlt(dc, 0, 0, client.right, client.bottom, face.surface->dc(), face.from.x, face.from.y, SRCCOPY);
  if (frame_.on) DrawFrame(dc, client);
  if (caption_.show) DrawCaption(dc, client, look());
}

void CPngButton::DrawFrame(HDC dc, const RECT& client) const {
  GdiPen pen(CreatePen(PS_SOLID, 2, frame_.colour));
  SelectedObject with_pen(dc, pen.get());
  SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 1, 1, client.right - 1, client.bottom - 1);
}

CPngButton::ShownFace CPngButton::FaceNow(const RECT& client) const {
  const SkinSurface* surface = surfaces_[static_cast<size_t>(look())];
  if (surface && !surface->has_picture()) surface = nullptr;
  // A caption is drawn over the frame: it never counts as the same face.
  return ShownFace{surface, face_source(), client.right, client.bottom, frame_.on && !caption_.show};
}

const CPngButton::Bounds& CPngButton::BoundsInParent() {
  if (!bounds_) {
    RECT place{};
    GetWindowRect(hwnd_, &place);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(hwnd_, GA_PARENT), reinterpret_cast<POINT*>(&place), 2);
    Bounds b{{place.left, place.top}, {}};
    GetClientRect(hwnd_, &b.client);
    bounds_ = b;
  }
  return *bounds_;
}

void CPngButton::DrawOnScreen(HDC dc, FramePens& pens) {
  if (!hwnd_) return;
  const auto [at, client] = BoundsInParent();
  const ShownFace now = FaceNow(client);
  // The frame covers the same pixels in every colour, over the same face,
  // and lies inside the button: it needs neither a clip nor an origin.
  if (now.framed && shown_ == now) {
    pens.Use(frame_.colour);
    Rectangle(dc, at.x + 1, at.y + 1, at.x + client.right - 1, at.y + client.bottom - 1);
    return;
  }
  // Clip and origin are set and taken back by hand: restoring a saved state
  // also selects the font again, which costs a look-up of the X resources
  // under Wine.
  IntersectClipRect(dc, at.x, at.y, at.x + client.right, at.y + client.bottom);
  SetViewportOrgEx(dc, at.x, at.y, nullptr);
  DrawWhole(dc, client, now);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SelectClipRgn(dc, nullptr);
  shown_ = now;
}

void CPngButton::DrawCaption(HDC dc, const RECT& client, ButtonLook look) {
  const std::u16string text = WindowText(hwnd_);
  SavedDcState saved(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, CaptionColour(caption_, look));
  GdiFont font(CreateFontW(CaptionFontHeight(caption_.size_points, GetDeviceCaps(dc, LOGPIXELSY)), 0,
                           caption_.rotation, 0, CaptionFontWeight(caption_), FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           AsWide(caption_.face)));
  SelectedObject with_font(dc, font.get());
  CaptionBox box = ApplyCaptionMargins({client.left, client.top, client.right, client.bottom}, caption_.margins);
  if (caption_.rotated) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, AsWide(text), static_cast<int>(text.size()), &extent);
    box = PlaceRotatedCaption(box, extent.cx, extent.cy, caption_.rotation);
  }
  RECT rect{box.left, box.top, box.right, box.bottom};
  DrawTextW(dc, AsWide(text), -1, &rect, caption_.format);
}

void CPngButton::CreateTooltip() {
  if (tooltip_ || !hwnd_) return;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  tool_added_ = false;
}

void CPngButton::DestroyTooltip() {
  if (tooltip_) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  tool_added_ = false;
}

void CPngButton::SetTooltipText(std::u16string_view text, bool activate) {
  if (text.empty() || !hwnd_) return;
  CreateTooltip();
  if (!tooltip_) return;
  tooltip_text_ = std::u16string(text);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd_;
  tool.uId = kToolId;
  tool.lpszText = const_cast<wchar_t*>(AsWide(tooltip_text_));
  GetClientRect(hwnd_, &tool.rect);
  if (!tool_added_) tool_added_ = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(kTooltipDelayMs, 0));
  SendMessageW(tooltip_, TTM_ACTIVATE, activate ? TRUE : FALSE, 0);
}

void CPngButton::SetTooltipText(HINSTANCE resources, UINT string_id, bool activate) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(resources, string_id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length > 0 && text) SetTooltipText(std::u16string(reinterpret_cast<const char16_t*>(text), length), activate);
}

void CPngButton::OnHover() {
  mouse_over_ = true;
  // The hover was asked for after 1 ms, and Wine keeps checking for the
  // leave at that interval (about 100 times a second) for as long as the
  // pointer rests on the button. From now on only the leave is wanted: ask
  // for it alone, which the system checks at its own hover time.
  TRACKMOUSEEVENT leave{sizeof(leave), TME_LEAVE, hwnd_, HOVER_DEFAULT};
  TrackMouseEvent(&leave);
  Redraw();
  // A fresh tooltip, so it shows for this button even after another
  // button's tooltip was shown.
  DestroyTooltip();
  if (!tooltip_text_.empty()) {
    const std::u16string text = tooltip_text_;
    SetTooltipText(text, true);
    if (tooltip_) SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
  }
}

void CPngButton::OnLeave() {
  tracking_ = false;
  mouse_over_ = false;
  Redraw();
}

LRESULT CALLBACK CPngButton::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR self) {
  auto* button = reinterpret_cast<CPngButton*>(self);
  if (message == WM_NCDESTROY) {
    button->DestroyTooltip();
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    button->hwnd_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return button->OnMessage(message, wparam, lparam);
}

LRESULT CPngButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  // A fast second click is a second press, not a double-click.
  if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && tooltip_) {
    MSG relay{hwnd_, message, wparam, lparam, 0, {}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
  }
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      pressed_ = (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
      RECT client{};
      GetClientRect(hwnd_, &client);
      const RECT& part = paint.paint().rcPaint;
      const bool whole = part.left <= 0 && part.top <= 0 && part.right >= client.right && part.bottom >= client.bottom;
      const ShownFace now = FaceNow(client);
      DrawWhole(paint.get(), client, now);
      // After a partial paint the screen may show two faces.
      if (whole) {
        shown_ = now;
      } else {
        shown_.reset();
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      Draw(reinterpret_cast<HDC>(wparam));
      return 0;
    case kReflectedDrawItem: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      pressed_ = (item->itemState & ODS_SELECTED) != 0;
      Draw(item->hDC);
      shown_.reset();  // drawn as the parent's context allowed
      return TRUE;
    }
    case BM_SETSTATE: {
      const LRESULT result = DefSubclassProc(hwnd_, message, wparam, lparam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return result;
    }
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, 1};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_WINDOWPOSCHANGED: bounds_.reset(); break;
    case WM_MOUSEHOVER:
      OnHover();
      return 0;
    case WM_MOUSELEAVE:
      OnLeave();
      return 0;
    default: break;
  }
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

}  // namespace keyloom
