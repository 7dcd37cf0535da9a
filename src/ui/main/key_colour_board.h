// What the key buttons of the keyboard view show as lighting: a colour frame
// or none. The board remembers what every button shows and asks the painter
// to repaint a button only when that changes, so the preview, the lighting
// panel and the per-key colours can set every button at every tick while
// only the buttons whose colour moved are drawn again.
//
// Only the board changes the buttons' colour frames; the keyboard view's
// other looks (selected, tooltips) are its own.
#pragma once

#include <array>
#include <cstdint>

#include "model/key_buttons.h"
#include "model/lighting.h"

namespace keyloom {

// The buttons' side: the Win32 keyboard view, or a recording in tests.
class KeyButtonPainter {
 public:
  virtual ~KeyButtonPainter() = default;
  virtual void ShowKeyColour(uint16_t control_id, Colour colour) = 0;
  virtual void ClearKeyColour(uint16_t control_id) = 0;
  // Clearing the colours also takes away the selected look (assigned keys).
  virtual void ClearSelectedLooks() = 0;
  // The colours changed since the last call are all given: a painter that
  // gathers changes draws them now.
  virtual void EndOfChanges() {}
};

// One value per key-button slot (KeyButtonSlot: main keys, G keys, Fn).
inline constexpr int32_t kFrameKeep = -2;  // the button keeps what it shows
inline constexpr int32_t kFrameNone = -1;  // no colour frame
using KeyFrame = std::array<int32_t, kKeyButtonSlots>;

// The control id of a key-button slot.
uint16_t ControlOfSlot(int slot);

class KeyColourBoard {
 public:
  explicit KeyColourBoard(KeyButtonPainter& painter) : painter_(painter) { shown_.fill(kFrameNone); }

  // Every main, G and Fn button loses its colour and its selected look.
  void ClearAll();
  // One button shows `colour`; a control that is no key button is ignored.
  void Show(uint16_t control_id, Colour colour);
  // Every main key button shows the colour of its LED in the lighting
  // profile's per-key table, the G keys that of LED 125, Fn that of LED 91.
  void ShowPerKeyColours(const LightingModel& lighting);
  // Each slot takes its frame value (kFrameKeep leaves it).
  void Apply(const KeyFrame& frame);

  // kFrameNone or the colour the slot's button shows.
  int32_t shown(int slot) const { return shown_[slot]; }
  // The buttons were drawn afresh by someone else (a new window): they show
  // no colour now.
  void Forget() { shown_.fill(kFrameNone); }

 private:
  void Set(int slot, int32_t value);

  KeyButtonPainter& painter_;
  KeyFrame shown_;
};

}  // namespace keyloom
