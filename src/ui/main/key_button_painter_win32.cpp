#include "ui/main/key_button_painter_win32.h"

namespace keyloom {

namespace {
// The frame's strength is stored by the button but does not change the drawing.
constexpr int kFrameStrength = 50;
// The buttons a preview tick changes are painted together in the window's
// next paints, not one by one while the tick runs.
constexpr bool kPaintAtOnce = false;
}  // namespace

void CKeyButtonPainter::ShowKeyColour(uint16_t control_id, Colour colour) {
  if (CPngButton* button = button_of_(control_id)) button->SetColourFrame(colour, kFrameStrength, true, kPaintAtOnce);
}

void CKeyButtonPainter::ClearKeyColour(uint16_t control_id) {
  if (CPngButton* button = button_of_(control_id)) button->SetColourFrame(0, kFrameStrength, false, kPaintAtOnce);
}

void CKeyButtonPainter::ClearSelectedLooks() {
  for (int slot = 0; slot < kKeyButtonSlots; ++slot) {
    CPngButton* button = button_of_(ControlOfSlot(slot));
    if (button && button->state().selected) button->SetSelected(false, true);
  }
}

}  // namespace keyloom
