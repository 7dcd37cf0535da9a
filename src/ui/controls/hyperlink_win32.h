// A hyperlink label: a static control that shows its caption underlined in
// link colour, shows the hand cursor, and opens its target when clicked.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/gdi_win32.h"
#include "ui/controls/shell_win32.h"

namespace keyloom {

class CHyperlink {
 public:
  explicit CHyperlink(ShellLauncher& shell) : shell_(shell) {}
  ~CHyperlink();
  CHyperlink(const CHyperlink&) = delete;
  CHyperlink& operator=(const CHyperlink&) = delete;

  bool Attach(HWND label);
  void Detach();
  void SetTarget(std::u16string target) { target_ = std::move(target); }
  const std::u16string& target() const { return target_; }
  // Opens the target with the "open" verb.
  void Open();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc);

  ShellLauncher& shell_;
  HWND hwnd_ = nullptr;
  std::u16string target_;
};

}  // namespace keyloom
