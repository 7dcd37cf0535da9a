// The fixed tables the lighting preview draws from: the 192-colour wheel,
// the level ramps of the effects, the keyboard's LED grid (6 rows of 23
// columns of key buttons) and the twelve rings around the O key.
#pragma once

#include <array>
#include <cstdint>

#include "model/lighting.h"

namespace keyloom::preview {

inline constexpr int kPaletteSize = 192;
inline constexpr int kGridRows = 6;
inline constexpr int kGridColumns = 23;
inline constexpr int kRingCount = 12;
inline constexpr int kRingWidth = 12;

// Six segments of 32 entries around the colour wheel, red first.
extern const std::array<Colour, kPaletteSize> kPalette;

// Level ramps (0..255).
extern const std::array<uint8_t, 96> kWaveRamp;
extern const std::array<uint8_t, 129> kSecondFormRamp;
extern const std::array<uint8_t, 128> kBreathingRamp;
extern const std::array<uint8_t, 192> kRowRamp;
extern const std::array<uint8_t, 192> kRingRamp;

// Control ids of the key buttons by row and column; 0 is an empty cell. A
// key that spans two columns is listed in both.
extern const std::array<std::array<uint16_t, kGridColumns>, kGridRows> kKeyGrid;
// Rings 0..11 around the O key; 0 is an empty place.
extern const std::array<std::array<uint16_t, kRingWidth>, kRingCount> kRings;

// The 6 x 21 cells of the key-cell effects: the keys of the grid, each in
// exactly one cell (a two-column key in one), rows as in the grid; 0 is an
// empty cell.
inline constexpr int kCellRows = 6;
inline constexpr int kCellColumns = 21;
inline constexpr int kCellCount = kCellRows * kCellColumns;
extern const std::array<std::array<uint16_t, kCellColumns>, kCellRows> kCellLayout;

// Each component x of c becomes floor(x * level / 255).
Colour ScaleColour(Colour c, int level);

// phase +/- step mod n: direction 255 adds, direction 0 (or anything other
// than 255) subtracts.
int AdvancePhase(int phase, int step, int n, int direction);

}  // namespace keyloom::preview
