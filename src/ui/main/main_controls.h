// The main window's controls as its logic sees them: by control id. The
// Win32 window applies each call to the control's image button; a test
// view records them. Calls for an id the window does not have do nothing.
#pragma once

#include <string_view>

#include "model/lighting.h"

namespace keyloom {

class MainControls {
 public:
  virtual ~MainControls() = default;
  virtual void SetEnabled(int id, bool enabled) = 0;
  // The image button's selected look, redrawn at once.
  virtual void SetSelected(int id, bool selected) = 0;
  virtual void SetTooltip(int id, std::u16string_view text) = 0;
  virtual void SetCaption(int id, std::u16string_view text) = 0;
  virtual void SetVisible(int id, bool visible) = 0;
  virtual void Redraw(int id) = 0;
};

// What the main window's parts tell and ask the user, in message boxes over
// the main window with language texts.
class MainPrompts {
 public:
  virtual ~MainPrompts() = default;
  // OK button.
  virtual void ShowMessage(std::u16string_view text_key) = 0;
  // A finished text (a language text already used as a format), OK button.
  virtual void ShowText(std::u16string_view text) = 0;
  // Yes and No buttons, No the default; true for Yes.
  virtual bool AskYesNo(std::u16string_view text_key) = 0;
};

}  // namespace keyloom
