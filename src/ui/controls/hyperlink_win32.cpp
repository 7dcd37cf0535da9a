#include "ui/controls/hyperlink_win32.h"

#include <commctrl.h>

#include <vector>

#include "base/text.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kSubclassId = 0x4C4E4B;  // 'LNK'
constexpr COLORREF kLinkColour = RGB(0, 102, 204);
}  // namespace

CHyperlink::~CHyperlink() { Detach(); }

bool CHyperlink::Attach(HWND label) {
  Detach();
  if (!label || !SetWindowSubclass(label, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  hwnd_ = label;
  // A static reports clicks only with SS_NOTIFY; the subclass needs the
  // mouse messages themselves.
  SetWindowLongW(label, GWL_STYLE, GetWindowLongW(label, GWL_STYLE) | SS_NOTIFY);
  return true;
}

void CHyperlink::Detach() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

void CHyperlink::Open() {
  if (!target_.empty()) shell_.Execute(u"open", target_, u"", u"", SW_SHOWNORMAL);
}

void CHyperlink::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int length = GetWindowTextLengthW(hwnd_);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd_, text.data(), length + 1);

  // The dialog's own background behind the text.
  HWND parent = GetParent(hwnd_);
  HBRUSH background = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
  FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));

  LOGFONTW look{};
  HFONT dialog_font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  GetObjectW(dialog_font ? static_cast<HGDIOBJ>(dialog_font) : GetStockObject(DEFAULT_GUI_FONT), sizeof(look), &look);
  look.lfUnderline = TRUE;
  GdiFont font(CreateFontIndirectW(&look));
  SavedDcState saved(dc);
  SelectedObject with_font(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLinkColour);
  DrawTextW(dc, text.data(), -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT CALLBACK CHyperlink::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR self) {
  auto* link = reinterpret_cast<CHyperlink*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    link->hwnd_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return link->OnMessage(message, wparam, lparam);
}

LRESULT CHyperlink::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
    case WM_LBUTTONUP: Open(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wparam)); return 0;
    default: return DefSubclassProc(hwnd_, message, wparam, lparam);
  }
}

}  // namespace keyloom
