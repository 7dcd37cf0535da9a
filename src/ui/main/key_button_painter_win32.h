// The key buttons' side of the key colour board on a window: a colour is
// the image button's colour frame, and clearing the
// colours also takes the selected look away. The window that owns the
// buttons hands in how to find the button of a control id.
//
// A preview tick changes the colour of most key buttons at once. They are
// drawn together through one device context of the window when the board
// ends its changes, not each in a paint of its own: under Wine a paint of a
// child window costs several calls to the window server, and a hundred keys
// twenty times a second kept a core half busy.
#pragma once

#include <functional>
#include <vector>

#include "ui/controls/png_button_win32.h"
#include "ui/main/key_colour_board.h"

namespace keyloom {

class CKeyButtonPainter final : public KeyButtonPainter {
 public:
  // `window` gives the window that holds the buttons, `button_of` the button
  // of a key's control id, or null.
  CKeyButtonPainter(std::function<HWND()> window, std::function<CPngButton*(uint16_t)> button_of)
      : window_(std::move(window)), button_of_(std::move(button_of)) {}

  void ShowKeyColour(uint16_t control_id, Colour colour) override;
  void ClearKeyColour(uint16_t control_id) override;
  void ClearSelectedLooks() override;
  void EndOfChanges() override;

 private:
  void SetFrame(uint16_t control_id, Colour colour, bool on);

  std::function<HWND()> window_;
  std::function<CPngButton*(uint16_t)> button_of_;
  std::vector<CPngButton*> changed_;
};

}  // namespace keyloom
