// The bitmap slider: a static control that shows one picture chosen by its
// owner and keeps a position that the mouse, the wheel and the keys change.
// Every change reaches the parent as a posted kSliderMessage, after the
// control has redrawn.
#pragma once

#include <windows.h>

#include "ui/controls/gdi_win32.h"
#include "ui/controls/slider_logic.h"

namespace keyloom {

class CBitmapSlider {
 public:
  CBitmapSlider() = default;
  ~CBitmapSlider();
  CBitmapSlider(const CBitmapSlider&) = delete;
  CBitmapSlider& operator=(const CBitmapSlider&) = delete;

  bool Attach(HWND control);
  void Detach();
  HWND hwnd() const { return hwnd_; }

  // Takes the picture; with `resize` the control takes the picture's size.
  void SetPicture(GdiBitmap picture, bool resize = false);
  void SetPosition(int position);
  void SetRange(int minimum, int maximum) { logic_.SetRange(minimum, maximum); }
  void SetPageSize(int page) { logic_.SetPageSize(page); }
  void SetVertical(bool vertical) { logic_.SetVertical(vertical); }
  void SetEnabled(bool enabled) { logic_.SetEnabled(enabled); }
  int position() const { return logic_.position(); }
  const SliderLogic& logic() const { return logic_; }
  HBITMAP picture() const { return picture_.get(); }

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Apply(const SliderOutcome& outcome);
  void Paint(HDC dc);
  void Redraw();
  void SyncSize();

  HWND hwnd_ = nullptr;
  SliderLogic logic_;
  GdiBitmap picture_;
};

}  // namespace keyloom
