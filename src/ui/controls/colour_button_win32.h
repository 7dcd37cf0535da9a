// The colour button: a button that shows a colour and, when pressed, drops
// down a palette of five columns with an "other" entry that opens the
// platform's colour dialog. A chosen colour becomes the button's colour and
// reaches the parent as WM_COMMAND with the notification kColourButtonChosen.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "ui/controls/colour_palette.h"
#include "ui/controls/subclass_win32.h"

namespace keyloom {

// WM_COMMAND notification code (high word of wParam) of a chosen colour.
inline constexpr WORD kColourButtonChosen = 0x0C01;

// Picks a free colour; tests replace the platform's dialog.
class ColourDialog {
 public:
  virtual ~ColourDialog() = default;
  // The colour the user took, or nothing when the dialog was cancelled.
  virtual std::optional<PaletteColour> Choose(HWND owner, PaletteColour initial) = 0;
};

// The system's colour dialog (ChooseColorW); it keeps the user's sixteen
// custom colours for as long as it lives.
class SystemColourDialog final : public ColourDialog {
 public:
  std::optional<PaletteColour> Choose(HWND owner, PaletteColour initial) override;

 private:
  std::array<COLORREF, 16> custom_{};
};

class CColourButton final : public Subclassed<CColourButton, 0x434F4C> {
 public:
  explicit CColourButton(ColourDialog& dialog) : dialog_(dialog) {}
  ~CColourButton();

  // Takes over a push button and draws it itself.
  bool Attach(HWND button);

  // The button's colour, or its automatic colour while none was set.
  PaletteColour colour() const { return colour_.value_or(automatic_); }
  bool has_colour() const { return colour_.has_value(); }
  void SetColour(PaletteColour colour);
  void SetAutomaticColour(PaletteColour colour) { automatic_ = colour & 0xFFFFFF; }
  // The caption of the "other" entry.
  void SetOtherText(std::u16string text) { other_text_ = std::move(text); }

  // Drops the palette down and runs it until the user picks or leaves it.
  void DropDown();
  // The drop-down while it is open (for tests), else null.
  HWND drop_down() const { return popup_; }
  // The entry the drop-down highlights.
  int highlighted() const { return highlight_; }

 private:
  friend Subclassed;
  static LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnPopupMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc);
  void PaintPopup(HDC dc);
  void OnPopupKey(WPARAM key);
  void ClosePopup(int result);
  void Choose(PaletteColour colour);

  ColourDialog& dialog_;
  std::optional<PaletteColour> colour_;
  PaletteColour automatic_ = 0;
  std::u16string other_text_ = u"Other...";
  bool hot_ = false;  // the mouse is over the button

  HWND popup_ = nullptr;
  int highlight_ = ColourPalette::kNone;
  bool pressed_inside_ = false;
  bool open_ = false;
  int result_ = ColourPalette::kNone;
};

}  // namespace keyloom
