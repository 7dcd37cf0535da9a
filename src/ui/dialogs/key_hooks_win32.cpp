#include "ui/dialogs/key_hooks_win32.h"

namespace keyloom {

namespace {
thread_local KeyboardHooks* t_serving = nullptr;
// Set while a hook procedure of ours runs: when owners are nested, the older
// owner's hook is next in the chain and must pass the key on untouched.
thread_local bool t_in_thread_proc = false;
thread_local bool t_in_desktop_proc = false;

struct Flag {
  explicit Flag(bool& f) : f_(f) { f_ = true; }
  ~Flag() { f_ = false; }
  bool& f_;
};
}  // namespace

KeyboardHooks::KeyboardHooks(KeyHookSink& sink) : sink_(sink), previous_(t_serving) {
  t_serving = this;
  thread_ = WindowsHook(WH_KEYBOARD, ThreadProc, nullptr, GetCurrentThreadId());
  desktop_ = WindowsHook(WH_KEYBOARD_LL, DesktopProc, GetModuleHandleW(nullptr), 0);
}

KeyboardHooks::~KeyboardHooks() {
  desktop_.reset();
  thread_.reset();
  if (t_serving == this) t_serving = previous_;
}

LRESULT CALLBACK KeyboardHooks::ThreadProc(int code, WPARAM wparam, LPARAM lparam) {
  KeyboardHooks* self = t_serving;
  if (code < 0 || !self || t_in_thread_proc) return CallNextHookEx(nullptr, code, wparam, lparam);
  Flag running(t_in_thread_proc);
  // HC_NOREMOVE (a look at a message not taken yet) counts like HC_ACTION:
  // a swallowed message leaves the queue then and never comes again, and a
  // passed one (no key, a media key) changes nothing when it does.
  const HookAction action = self->sink_.OnThreadHookKey(HookKeyFromThreadMessage(wparam, lparam));
  if (action == HookAction::kSwallow) return 1;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK KeyboardHooks::DesktopProc(int code, WPARAM wparam, LPARAM lparam) {
  KeyboardHooks* self = t_serving;
  if (code != HC_ACTION || !self || t_in_desktop_proc) return CallNextHookEx(nullptr, code, wparam, lparam);
  Flag running(t_in_desktop_proc);
  const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
  const bool release = (info->flags & LLKHF_UP) != 0 || wparam == WM_KEYUP || wparam == WM_SYSKEYUP;
  if (self->sink_.OnDesktopHookKey(info->vkCode, release) == HookAction::kSwallow) return 1;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace keyloom
