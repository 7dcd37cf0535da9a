// The reaction effects of the preview (modes 13 to 16): simulated key
// presses on the 6 x 21 cell layout light cells that spread from the press,
// and every cell fades a little at every tick.
//
//   13 ripple     a ring that grows one cell per tick around the press
//   14 shockwave  a diamond front (one cell per tick along the rows, a tick
//                 later per row away) that fades fast
//   15 key trail  the pressed key's light runs to the end of its row
//   16 reactive   the pressed key lights, its row neighbours a tick later
#pragma once

#include <array>
#include <cstdint>

#include "model/lighting.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/preview_tables.h"

namespace keyloom::preview {

// A small deterministic random sequence (xorshift), seeded once.
class PreviewRandom {
 public:
  explicit PreviewRandom(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  uint32_t state_;
};

// One fade step on an 8-bit level: at 128 or more it loses `high`, at
// 64..127 `middle`, at 32..63 10, at 17..31 5, at 1..16 1.
uint8_t FadeLevel(uint8_t level, int high = 20, int middle = 16);

inline bool IsKeyCellMode(int mode) { return mode >= 13 && mode <= 16; }

class KeyCellEffects {
 public:
  // Every cell dark and without colour, no press under way, the press clock
  // at its start.
  void Reset();
  // One tick of mode 13..16: presses, spreading, fading; every key of the
  // cell layout gets its colour (the palette colour of its cell when
  // colourful, else the lighting colour) scaled by its cell's level.
  void Step(int mode, const LightingState& state, PreviewRandom& random, KeyFrame& frame);

  uint8_t level(int cell) const { return level_[cell]; }

 private:
  struct Press {
    bool active = false;
    int8_t row = 0, column = 0;
    int16_t age = 0;
    uint8_t colour = 0;  // palette index
  };
  void StartPress(PreviewRandom& random, int limit);
  void Light(int row, int column, uint8_t level, uint8_t colour);
  void Spread(int mode);

  std::array<uint8_t, kCellCount> level_{};
  std::array<uint8_t, kCellCount> colour_{};
  std::array<Press, 8> presses_{};
  int ticks_ = 0;
};

}  // namespace keyloom::preview
