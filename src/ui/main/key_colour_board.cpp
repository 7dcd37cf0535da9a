#include "ui/main/key_colour_board.h"

namespace keyloom {

uint16_t ControlOfSlot(int slot) {
  if (slot < kGKeySlot0) return kMainKeyButtons[slot].control_id;
  if (slot < kFnSlot) return kGKeyButtonIds[slot - kGKeySlot0];
  return kFnButtonId;
}

void KeyColourBoard::Set(int slot, int32_t value) {
  if (value == kFrameKeep || shown_[slot] == value) return;
  shown_[slot] = value;
  if (value == kFrameNone) {
    painter_.ClearKeyColour(ControlOfSlot(slot));
  } else {
    painter_.ShowKeyColour(ControlOfSlot(slot), static_cast<Colour>(value));
  }
}

void KeyColourBoard::ClearAll() {
  for (int slot = 0; slot < kKeyButtonSlots; ++slot) Set(slot, kFrameNone);
  painter_.EndOfChanges();
  painter_.ClearSelectedLooks();
}

void KeyColourBoard::Show(uint16_t control_id, Colour colour) {
  const int slot = KeyButtonSlot(control_id);
  if (slot < 0) return;
  Set(slot, static_cast<int32_t>(colour & 0xFFFFFF));
  painter_.EndOfChanges();
}

void KeyColourBoard::ShowPerKeyColours(const LightingModel& lighting) {
  const int profile = lighting.state.lighting_profile;
  if (!IsValidLightingProfile(profile)) return;
  const uint8_t* block = lighting.key_colours.data() + profile * kKeyColourBlockSize;
  auto colour_of = [&](int led) { return static_cast<int32_t>(ColourFromBytes(block + led * 3)); };
  for (int slot = 0; slot < kKeyButtonSlots; ++slot) {
    int led = kFnLed;
    if (slot < kGKeySlot0) {
      led = kMainKeyButtons[slot].led;
    } else if (slot < kFnSlot) {
      led = kGKeyLed;
    }
    Set(slot, colour_of(led));
  }
  painter_.EndOfChanges();
}

void KeyColourBoard::Apply(const KeyFrame& frame) {
  for (int slot = 0; slot < kKeyButtonSlots; ++slot) Set(slot, frame[slot]);
  painter_.EndOfChanges();
}

}  // namespace keyloom
