#include "ui/controls/dialog_win32.h"

#include "ui/controls/reflect_win32.h"

namespace keyloom {

namespace {
constexpr wchar_t kDialogProperty[] = L"KeyloomDialog";
}

Win32Dialog::Win32Dialog(HINSTANCE resources, int template_id, HWND parent)
    : resources_(resources), template_id_(template_id), parent_(parent) {}

Win32Dialog::~Win32Dialog() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    RemovePropW(hwnd_, kDialogProperty);
    DestroyWindow(hwnd_);
  }
}

Win32Dialog* Win32Dialog::FromHandle(HWND window) {
  return window ? static_cast<Win32Dialog*>(GetPropW(window, kDialogProperty)) : nullptr;
}

HWND Win32Dialog::Create() {
  ended_ = false;
  if (in_memory_) {
    CreateDialogIndirectParamW(resources_, in_memory_, parent_, DialogProc, reinterpret_cast<LPARAM>(this));
  } else {
    CreateDialogParamW(resources_, MAKEINTRESOURCEW(template_id_), parent_, DialogProc,
                       reinterpret_cast<LPARAM>(this));
  }
  return hwnd_;
}

INT_PTR Win32Dialog::DoModal() {
  const bool reenable = parent_ && IsWindowEnabled(parent_);
  if (!Create()) return -1;
  modal_ = true;
  if (reenable) EnableWindow(parent_, FALSE);
  bool show_on_idle = !(GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE);
  while (!ended_ && IsWindow(hwnd_)) {
    MSG msg;
    if (show_on_idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // A dialog created hidden shows when its queue first runs empty, so
      // its initialisation can post messages that run before it is seen.
      show_on_idle = false;
      ShowWindow(hwnd_, SW_SHOWNORMAL);
      UpdateWindow(hwnd_);
      continue;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (got == -1) break;
    if (msg.message == WM_TIMER) {
      // A timer needs neither a dialog's own translation nor dialog
      // navigation, and every window looked up on the way costs a request
      // to the window server under Wine: at 20 ticks a second it shows.
      DispatchMessageW(&msg);
      continue;
    }
    if (PreTranslateChain(msg)) continue;
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top && FromHandle(top) && IsDialogMessageW(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_ = false;
  if (reenable) {
    EnableWindow(parent_, TRUE);
    if (hwnd_ && GetActiveWindow() == hwnd_) SetActiveWindow(parent_);
  }
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  return result_;
}

void Win32Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (!modal_ && hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  // Wake a loop that waits in GetMessage.
  if (modal_ && hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool Win32Dialog::PreTranslateChain(MSG& msg) {
  for (HWND w = msg.hwnd; w; w = GetAncestor(w, GA_PARENT)) {
    if (Win32Dialog* dialog = FromHandle(w))
      if (dialog->PreTranslateMessage(msg)) return true;
    if (w == GetDesktopWindow()) break;
  }
  return false;
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only our dialogs run this procedure: the object is in the dialog's own
  // long, which is read without a request to the window server. The
  // property is for FromHandle, which is asked about any window.
  auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Win32Dialog*>(lparam);
    self->hwnd_ = window;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    SetPropW(window, kDialogProperty, self);
  }
  if (!self) return FALSE;
  const INT_PTR handled = self->Route(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    RemovePropW(window, kDialogProperty);
    self->hwnd_ = nullptr;
    self->ended_ = true;
    self->OnDestroyed();
  }
  return handled;
}

INT_PTR Win32Dialog::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (OnMessage(message, wparam, lparam, result)) {
    // Messages whose result is the return value itself.
    switch (message) {
      case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
      case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return static_cast<INT_PTR>(result);
      default:
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
  }
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_DRAWITEM:
      if (ReflectDrawItem(lparam)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (lparam == 0 || HIWORD(wparam) == BN_CLICKED) {
        if (LOWORD(wparam) == IDOK) {
          OnOK();
          return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace keyloom
