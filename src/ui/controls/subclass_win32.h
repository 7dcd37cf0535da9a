// Binding a control object to an existing window with a comctl32 subclass:
// the object sees every message first and passes on what it does not take.
// The binding ends with Detach or when the window goes away.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace keyloom {

// Derived has `LRESULT OnMessage(UINT, WPARAM, LPARAM)` and calls Default
// for what it leaves to the window.
template <typename Derived, UINT_PTR kId>
class Subclassed {
 public:
  Subclassed() = default;
  Subclassed(const Subclassed&) = delete;
  Subclassed& operator=(const Subclassed&) = delete;
  ~Subclassed() { Detach(); }

  HWND hwnd() const { return hwnd_; }
  void Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, Proc, kId);
    hwnd_ = nullptr;
  }

 protected:
  bool Bind(HWND window) {
    Detach();
    if (!window || !SetWindowSubclass(window, Proc, kId, reinterpret_cast<DWORD_PTR>(this))) return false;
    hwnd_ = window;
    return true;
  }
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefSubclassProc(hwnd_, message, wparam, lparam);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Subclassed*>(data);
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(window, Proc, kId);
      self->hwnd_ = nullptr;
      return DefSubclassProc(window, message, wparam, lparam);
    }
    return static_cast<Derived*>(self)->OnMessage(message, wparam, lparam);
  }

  HWND hwnd_ = nullptr;
};

}  // namespace keyloom
