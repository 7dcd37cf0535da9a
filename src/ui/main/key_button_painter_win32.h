// The key buttons' side of the key colour board on a window: a colour is
// the image button's colour frame, and clearing the
// colours also takes the selected look away. The window that owns the
// buttons hands in how to find the button of a control id.
#pragma once

#include <functional>

#include "ui/controls/png_button_win32.h"
#include "ui/main/key_colour_board.h"

namespace keyloom {

class CKeyButtonPainter final : public KeyButtonPainter {
 public:
  // `button_of` gives the button of a key's control id, or null.
  explicit CKeyButtonPainter(std::function<CPngButton*(uint16_t)> button_of) : button_of_(std::move(button_of)) {}

  void ShowKeyColour(uint16_t control_id, Colour colour) override;
  void ClearKeyColour(uint16_t control_id) override;
  void ClearSelectedLooks() override;

 private:
  std::function<CPngButton*(uint16_t)> button_of_;
};

}  // namespace keyloom
