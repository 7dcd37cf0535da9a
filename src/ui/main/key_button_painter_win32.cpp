#include "ui/main/key_button_painter_win32.h"

namespace keyloom {

namespace {
// The frame's strength is stored by the button but does not change the drawing.
constexpr int kFrameStrength = 50;
}  // namespace

void CKeyButtonPainter::SetFrame(uint16_t control_id, Colour colour, bool on) {
  CPngButton* button = button_of_(control_id);
  if (!button) return;
  button->SetColourFrame(colour, kFrameStrength, on, false);
  changed_.push_back(button);
}

void CKeyButtonPainter::ShowKeyColour(uint16_t control_id, Colour colour) { SetFrame(control_id, colour, true); }

void CKeyButtonPainter::ClearKeyColour(uint16_t control_id) { SetFrame(control_id, 0, false); }

void CKeyButtonPainter::EndOfChanges() {
  if (HWND window = window_()) DrawButtonsTogether(window, changed_);
  changed_.clear();
}

void CKeyButtonPainter::ClearSelectedLooks() {
  for (int slot = 0; slot < kKeyButtonSlots; ++slot) {
    CPngButton* button = button_of_(ControlOfSlot(slot));
    if (button && button->state().selected) button->SetSelected(false, true);
  }
}

}  // namespace keyloom
