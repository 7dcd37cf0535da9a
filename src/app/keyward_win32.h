// Keyward's window: the notice itself, hidden until there is something to
// say. A timer samples the lock keys and Keyloom's mutex every
// kKeywardTickMs; Keyloom's profile message arrives as a registered message.
// The decisions are KeywardLogic's.
#pragma once

#include <windows.h>

#include <string>

#include "app/keyward_logic.h"
#include "ui/controls/gdi_win32.h"

namespace keyloom {

class KeywardWindow final : private KeywardView {
 public:
  // `keyloom_mutex` is the mutex whose end ends Keyward. `post_quit`: the
  // window ends the thread's message loop when it quits.
  KeywardWindow(HINSTANCE instance, const TextSource& texts, const Clock& clock, std::u16string keyloom_mutex,
                bool post_quit);
  ~KeywardWindow() override;
  KeywardWindow(const KeywardWindow&) = delete;
  KeywardWindow& operator=(const KeywardWindow&) = delete;

  // Creates the hidden window, takes the lock keys as they are and starts
  // the timer. False when the window cannot be created.
  bool Create();

  HWND hwnd() const { return hwnd_; }
  bool quit() const { return quit_; }
  const Notice& notice() const { return notice_; }
  KeywardLogic& logic() { return logic_; }

  // The lock keys' toggle states as this thread sees them.
  static LockKeys ReadLockKeys();
  // Whether a mutex of that name exists (opened and closed at once, so
  // Keyward never keeps Keyloom's mutex alive).
  static bool MutexExists(const std::u16string& name);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc) const;
  SIZE MeasureNotice() const;
  // A size at 96 dpi on this screen.
  int Px(int at_96_dpi) const { return MulDiv(at_96_dpi, dpi_, 96); }

  // KeywardView
  void ShowNotice(const Notice& notice) override;
  void HideNotice() override;
  void Quit() override;

  HINSTANCE instance_;
  std::u16string keyloom_mutex_;
  bool post_quit_;
  KeywardLogic logic_;
  HWND hwnd_ = nullptr;
  UINT profile_message_ = 0;
  Notice notice_;
  GdiFont font_;
  int dpi_ = 96;
  bool quit_ = false;
};

// The program: one running copy, only while Keyloom runs. Returns the exit
// code (0).
int RunKeyward(HINSTANCE instance);

}  // namespace keyloom
