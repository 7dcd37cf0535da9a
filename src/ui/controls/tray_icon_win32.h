// The notification-area icon: its record, its hooks on the notify window
// (and that window's top-level parent), its menu, and the re-add after the
// taskbar restarts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "ui/controls/shell_win32.h"
#include "ui/controls/tray_logic.h"

namespace keyloom {

// Sees every message of the window it hooks before the window does, then
// passes it on unchanged.
class CSubclassWnd {
 public:
  CSubclassWnd() = default;
  virtual ~CSubclassWnd();
  CSubclassWnd(const CSubclassWnd&) = delete;
  CSubclassWnd& operator=(const CSubclassWnd&) = delete;

  bool HookWindow(HWND window);
  void Unhook();
  HWND hooked() const { return window_; }

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return Default(message, wparam, lparam);
  }
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                               DWORD_PTR self);
  HWND window_ = nullptr;
};

class CTrayIcon;

class CTrayHook final : public CSubclassWnd {
 public:
  explicit CTrayHook(CTrayIcon& tray) : tray_(tray) {}

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  CTrayIcon& tray_;
};

class CTrayIcon {
 public:
  // `resources` holds the icons and the tray menu.
  CTrayIcon(HINSTANCE resources, ShellNotifier& shell);
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon (flags message, icon and tip) and hooks the notify window;
  // false, with nothing added, when `notify` is not a window or the shell
  // refuses. The tip is cut to the record. `icon_resource` is the resource
  // `icon` was loaded from, when there is one.
  bool Create(HWND notify, UINT callback_message, std::u16string_view tip, HICON icon, UINT id,
              int icon_resource = 0);
  // Each does nothing unless the icon was created.
  bool SetIcon(int resource_id);
  bool SetTip(std::u16string_view tip);
  void Remove();

  // The shell's callback: (icon id, mouse message).
  LRESULT OnTrayNotification(WPARAM icon_id, LPARAM mouse_message);

  // Called with the tray menu's items each time the menu is loaded, before
  // it is shown or its default item runs (the captions in the user's
  // language).
  std::function<void(HMENU)> prepare_menu;

  bool created() const { return created_; }
  bool hidden() const { return hidden_; }
  HWND notify_window() const { return data_.hWnd; }
  UINT callback_message() const { return data_.uCallbackMessage; }
  UINT taskbar_created_message() const { return taskbar_created_; }
  std::u16string tip() const;
  HICON icon() const { return data_.hIcon; }
  int icon_resource() const { return icon_resource_; }

 private:
  friend class CTrayHook;
  void ReAdd();
  bool Send(DWORD message, UINT flags);

  HINSTANCE resources_;
  ShellNotifier& shell_;
  UINT taskbar_created_;
  mutable std::recursive_mutex mutex_;  // the keyboard threads change the icon too
  NOTIFYICONDATAW data_{};
  bool created_ = false;
  bool hidden_ = false;
  int icon_resource_ = 0;
  UINT default_item_ = 0;
  CTrayHook window_hook_{*this};
  CTrayHook parent_hook_{*this};
};

}  // namespace keyloom
