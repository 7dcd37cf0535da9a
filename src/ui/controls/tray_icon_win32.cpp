#include "ui/controls/tray_icon_win32.h"

#include <commctrl.h>

#include "base/text.h"
#include "ui/controls/gdi_win32.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kHookId = 0x545259;  // 'TRY'
}

// --- CSubclassWnd ---

CSubclassWnd::~CSubclassWnd() { Unhook(); }

bool CSubclassWnd::HookWindow(HWND window) {
  Unhook();
  if (!window || !SetWindowSubclass(window, Proc, kHookId, reinterpret_cast<DWORD_PTR>(this))) return false;
  window_ = window;
  return true;
}

void CSubclassWnd::Unhook() {
  if (window_) RemoveWindowSubclass(window_, Proc, kHookId);
  window_ = nullptr;
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefSubclassProc(window_, message, wparam, lparam);
}

LRESULT CALLBACK CSubclassWnd::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR self) {
  auto* hook = reinterpret_cast<CSubclassWnd*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, Proc, kHookId);
    hook->window_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return hook->WindowProc(message, wparam, lparam);
}

// --- CTrayHook ---

LRESULT CTrayHook::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == tray_.callback_message() && hooked() == tray_.notify_window()) {
    tray_.OnTrayNotification(wparam, lparam);
  } else if (message == tray_.taskbar_created_message()) {
    tray_.ReAdd();
  }
  return Default(message, wparam, lparam);
}

// --- CTrayIcon ---

CTrayIcon::CTrayIcon(HINSTANCE resources, ShellNotifier& shell)
    : resources_(resources), shell_(shell), taskbar_created_(RegisterWindowMessageW(L"TaskbarCreated")) {}

CTrayIcon::~CTrayIcon() { Remove(); }

bool CTrayIcon::Send(DWORD message, UINT flags) {
  data_.uFlags = flags;
  return shell_.Notify(message, data_);
}

bool CTrayIcon::Create(HWND notify, UINT callback_message, std::u16string_view tip, HICON icon, UINT id,
                       int icon_resource) {
  std::lock_guard lock(mutex_);
  if (!notify || !IsWindow(notify)) return false;
  data_ = {};
  // The record as the shell knows it with balloon fields and an identifying GUID.
  data_.cbSize = NOTIFYICONDATAW_V3_SIZE;
  data_.hWnd = notify;
  data_.uID = id;
  data_.uCallbackMessage = callback_message;
  data_.hIcon = icon;
  const std::u16string fitted = FitTrayTip(tip);
  std::copy(fitted.begin(), fitted.end(), data_.szTip);
  data_.szTip[fitted.size()] = L'\0';
  if (!Send(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP)) return false;
  created_ = true;
  icon_resource_ = icon_resource;
  hidden_ = false;
  window_hook_.HookWindow(notify);
  HWND top = GetAncestor(notify, GA_ROOT);
  if (top && top != notify) parent_hook_.HookWindow(top);
  return true;
}

bool CTrayIcon::SetIcon(int resource_id) {
  std::lock_guard lock(mutex_);
  if (!created_) return false;
  // Icons loaded from resources are shared: nothing to free.
  data_.hIcon = static_cast<HICON>(LoadImageW(resources_, MAKEINTRESOURCEW(resource_id), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                              LR_SHARED));
  icon_resource_ = resource_id;
  return Send(NIM_MODIFY, NIF_ICON);
}

bool CTrayIcon::SetTip(std::u16string_view tip) {
  std::lock_guard lock(mutex_);
  if (!created_) return false;
  const std::u16string fitted = FitTrayTip(tip);
  std::copy(fitted.begin(), fitted.end(), data_.szTip);
  data_.szTip[fitted.size()] = L'\0';
  return Send(NIM_MODIFY, NIF_TIP);
}

std::u16string CTrayIcon::tip() const {
  std::lock_guard lock(mutex_);
  return FromWide(data_.szTip);
}

void CTrayIcon::Remove() {
  window_hook_.Unhook();
  parent_hook_.Unhook();
  std::lock_guard lock(mutex_);
  if (!created_) return;
  Send(NIM_DELETE, 0);
  created_ = false;
  hidden_ = false;
}

void CTrayIcon::ReAdd() {
  std::lock_guard lock(mutex_);
  if (!created_ || hidden_) return;
  Send(NIM_DELETE, 0);
  hidden_ = true;
  Send(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  hidden_ = false;
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM icon_id, LPARAM mouse_message) {
  const TrayDecision decision = DecideTrayNotification(data_.uID, icon_id, static_cast<uint64_t>(mouse_message));
  if (decision.action == TrayAction::kNone) return decision.result;
  UniqueMenu menu(LoadMenuW(resources_, MAKEINTRESOURCEW(data_.uID)));
  HMENU items = menu.get() ? GetSubMenu(menu.get(), 0) : nullptr;
  if (!items) return decision.result;  // no menu resource: the click does nothing
  if (prepare_menu) prepare_menu(items);
  HWND window = data_.hWnd;
  if (decision.action == TrayAction::kShowMenu) {
    SetMenuDefaultItem(items, default_item_, TRUE);
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(window);
    TrackPopupMenu(items, TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
    // Lets the menu close when the user clicks elsewhere.
    PostMessageW(window, WM_NULL, 0, 0);
  } else {
    SetForegroundWindow(window);
    SendMessageW(window, WM_COMMAND, GetMenuItemID(items, static_cast<int>(default_item_)), 0);
  }
  return decision.result;
}

}  // namespace keyloom
