// Small controls that draw themselves on a skinned window: a picture that
// reacts to clicks, a text label, and the look of combo boxes and edit
// fields on the dark panel. Each paints the parent's background behind it,
// so it sits on the skin picture without a box of its own.
#pragma once

#include <windows.h>

#include "ui/controls/gdi_win32.h"
#include "ui/controls/subclass_win32.h"

namespace keyloom {

// Colours of the fields the panel draws itself.
namespace skin_look {
inline constexpr COLORREF kField = RGB(0x23, 0x26, 0x2E);
inline constexpr COLORREF kFieldEdge = RGB(0x3A, 0x40, 0x4C);
inline constexpr COLORREF kFieldFocus = RGB(0x5C, 0xC0, 0xF8);
inline constexpr COLORREF kText = RGB(0xE4, 0xE8, 0xEE);
inline constexpr COLORREF kLabel = RGB(0xA4, 0xAC, 0xB9);
inline constexpr COLORREF kList = RGB(0x1B, 0x1E, 0x24);
}  // namespace skin_look

// A static that shows a picture (not owned) at its top-left corner and, when
// clickable, tells its parent of a click with WM_COMMAND / STN_CLICKED (a
// double click counts as a click).
class CPictureControl final : public Subclassed<CPictureControl, 0x504943> {
 public:
  bool Attach(HWND control, bool clickable);
  void SetPicture(HBITMAP picture);
  HBITMAP picture() const { return picture_; }

 private:
  friend Subclassed;
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc);
  HBITMAP picture_ = nullptr;
  bool clickable_ = false;
};

// A static whose window text is drawn as the skin's picture labels are (in
// capitals, spaced, in the label colour), left aligned and centred
// vertically, on the parent's background.
class CTextLabel final : public Subclassed<CTextLabel, 0x4C424C> {
 public:
  bool Attach(HWND control, HFONT font);

 private:
  friend Subclassed;
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc);
  HFONT font_ = nullptr;
};

// A combo box (drop-down list, or with an edit field) drawn dark: its closed
// face, its list and its edit field. The combo's own behaviour is unchanged.
class CSkinCombo final : public Subclassed<CSkinCombo, 0x434D42> {
 public:
  bool Attach(HWND combo);

 private:
  friend Subclassed;
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc);
  GdiBrush field_brush_;
  GdiBrush list_brush_;
};

// The brush and colours an edit field of the panel takes for
// WM_CTLCOLOREDIT (owned by the caller, alive as long as the field).
HBRUSH ColourSkinField(HDC dc, HBRUSH field_brush);

}  // namespace keyloom
