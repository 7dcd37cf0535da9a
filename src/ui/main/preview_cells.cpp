#include "ui/main/preview_cells.h"

#include <cstdlib>
#include <vector>

namespace keyloom::preview {
namespace {

// Ticks between simulated presses, and how far a press travels before it
// ends (in ticks).
struct Rhythm {
  int period;
  int lifetime;
};
constexpr Rhythm kRipple{10, kCellColumns + 2};
constexpr Rhythm kShockwave{16, kCellColumns + kCellRows};
constexpr Rhythm kTrail{3, kCellColumns};
constexpr Rhythm kReactive{2, 3};

// A multiple of every period, so the press clock can wrap.
constexpr int kPressClockCycle = 240;

Rhythm RhythmOf(int mode) {
  switch (mode) {
    case 13: return kRipple;
    case 14: return kShockwave;
    case 15: return kTrail;
    default: return kReactive;
  }
}

struct CellMap {
  std::array<int16_t, kCellCount> slot{};  // key-button slot, -1 for an empty cell
  std::vector<int16_t> occupied;           // cells holding a key
  CellMap() {
    for (int r = 0; r < kCellRows; ++r)
      for (int c = 0; c < kCellColumns; ++c) {
        const int cell = r * kCellColumns + c;
        const uint16_t id = kCellLayout[r][c];
        slot[cell] = static_cast<int16_t>(id ? KeyButtonSlot(id) : -1);
        if (slot[cell] >= 0) occupied.push_back(static_cast<int16_t>(cell));
      }
  }
};

const CellMap& Cells() {
  static const CellMap map;
  return map;
}

}  // namespace

uint8_t FadeLevel(uint8_t level, int high, int middle) {
  int l = level;
  if (l >= 128) {
    l -= high;
  } else if (l >= 64) {
    l -= middle;
  } else if (l >= 32) {
    l -= 10;
  } else if (l >= 17) {
    l -= 5;
  } else if (l >= 1) {
    l -= 1;
  }
  return static_cast<uint8_t>(l < 0 ? 0 : l);
}

void KeyCellEffects::Reset() {
  level_.fill(0);
  colour_.fill(0);
  presses_.fill(Press{});
  ticks_ = 0;
}

void KeyCellEffects::Light(int row, int column, uint8_t level, uint8_t colour) {
  if (row < 0 || row >= kCellRows || column < 0 || column >= kCellColumns) return;
  const int cell = row * kCellColumns + column;
  if (Cells().slot[cell] < 0) return;
  // A weaker light never dims or recolours a brighter one.
  if (level < level_[cell]) return;
  level_[cell] = level;
  colour_[cell] = colour;
}

void KeyCellEffects::StartPress(PreviewRandom& random, int limit) {
  const auto& occupied = Cells().occupied;
  const int cell = occupied[random.Next() % occupied.size()];
  Press press;
  press.active = true;
  press.row = static_cast<int8_t>(cell / kCellColumns);
  press.column = static_cast<int8_t>(cell % kCellColumns);
  press.colour = static_cast<uint8_t>(random.Next() % kPaletteSize);
  // A free place, or the oldest press gives way.
  Press* target = &presses_[0];
  for (int i = 0; i < limit; ++i) {
    if (!presses_[i].active) {
      target = &presses_[i];
      break;
    }
    if (presses_[i].age > target->age) target = &presses_[i];
  }
  *target = press;
}

void KeyCellEffects::Spread(int mode) {
  for (Press& p : presses_) {
    if (!p.active) continue;
    const int age = p.age;
    switch (mode) {
      case 13:  // cells whose distance rounds to the age: 2a-1 <= 2d < 2a+1
        for (int cell : Cells().occupied) {
          const int dr = cell / kCellColumns - p.row, dc = cell % kCellColumns - p.column;
          const int d2 = 4 * (dr * dr + dc * dc);
          const int inner = 2 * age - 1, outer = 2 * age + 1;
          if ((age == 0 ? d2 == 0 : d2 >= inner * inner) && d2 < outer * outer)
            Light(cell / kCellColumns, cell % kCellColumns, 255, p.colour);
        }
        break;
      case 14:  // |dr| + |dc| == age, the colour turning with the distance
        for (int dr = -age; dr <= age; ++dr) {
          const int dc = age - std::abs(dr);
          const uint8_t colour = static_cast<uint8_t>((p.colour + age * 8) % kPaletteSize);
          Light(p.row + dr, p.column + dc, 255, colour);
          if (dc != 0) Light(p.row + dr, p.column - dc, 255, colour);
        }
        break;
      case 15:
        Light(p.row, p.column + age, 255, p.colour);
        break;
      default: {  // 16: the key, then its neighbours dimmer
        static constexpr uint8_t kLevels[] = {255, 160, 80};
        if (age == 0) {
          Light(p.row, p.column, kLevels[0], p.colour);
        } else {
          Light(p.row, p.column - age, kLevels[age], p.colour);
          Light(p.row, p.column + age, kLevels[age], p.colour);
        }
        break;
      }
    }
    if (++p.age >= RhythmOf(mode).lifetime) p.active = false;
  }
}

void KeyCellEffects::Step(int mode, const LightingState& state, PreviewRandom& random, KeyFrame& frame) {
  const Rhythm rhythm = RhythmOf(mode);
  const int limit = mode == 15 ? 8 : 6;
  if (ticks_ % rhythm.period == 0) StartPress(random, limit);
  ticks_ = (ticks_ + 1) % kPressClockCycle;
  Spread(mode);

  const int high = mode == 14 ? 30 : 20, middle = mode == 14 ? 20 : 16;
  const CellMap& cells = Cells();
  for (int cell : cells.occupied) {
    level_[cell] = FadeLevel(level_[cell], high, middle);
    const Colour base = state.colourful ? kPalette[colour_[cell]] : state.colour;
    frame[cells.slot[cell]] = static_cast<int32_t>(ScaleColour(base, level_[cell]));
  }
}

}  // namespace keyloom::preview
