// The key editor's two keyboard hooks: one on the dialog's own thread for
// every key message it receives, one for the whole desktop for the keys the
// system keeps from threads (the Win keys). Both live exactly as long as a
// KeyboardHooks object, so every way out of the dialog removes them.
#pragma once

#include <windows.h>

#include "ui/controls/gdi_win32.h"
#include "ui/dialogs/key_hook_logic.h"

namespace keyloom {

// Where the hooks hand their key messages; it answers whether the key is
// swallowed. Called on the thread that installed the hooks.
class KeyHookSink {
 public:
  virtual ~KeyHookSink() = default;
  virtual HookAction OnThreadHookKey(const HookKey& key) = 0;
  virtual HookAction OnDesktopHookKey(uint32_t virtual_key, bool release) = 0;
};

class KeyboardHooks {
 public:
  // Installs both hooks on the calling thread for `sink`.
  explicit KeyboardHooks(KeyHookSink& sink);
  ~KeyboardHooks();
  KeyboardHooks(const KeyboardHooks&) = delete;
  KeyboardHooks& operator=(const KeyboardHooks&) = delete;

  bool thread_hook_installed() const { return static_cast<bool>(thread_); }
  bool desktop_hook_installed() const { return static_cast<bool>(desktop_); }

 private:
  static LRESULT CALLBACK ThreadProc(int code, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK DesktopProc(int code, WPARAM wparam, LPARAM lparam);

  KeyHookSink& sink_;
  // A hook procedure gets no context of its own: the owner installed last on
  // this thread is the one the procedures serve; the one before it comes
  // back when this one goes.
  KeyboardHooks* previous_;
  WindowsHook thread_;
  WindowsHook desktop_;
};

}  // namespace keyloom
