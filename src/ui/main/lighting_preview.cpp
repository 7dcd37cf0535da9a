#include "ui/main/lighting_preview.h"

#include "ui/main/preview_tables.h"

namespace keyloom {

using namespace preview;

namespace {

// The grid and the rings as key-button slots (-1 for an empty place), and
// the fixed shuffled order in which the sparkle lights the key positions.
struct Layout {
  std::array<std::array<int16_t, kGridColumns>, kGridRows> grid{};
  std::array<std::array<int16_t, kRingWidth>, kRingCount> rings{};
  std::array<uint8_t, kMainKeyButtonCount> sparkle_order{};

  Layout() {
    for (int r = 0; r < kGridRows; ++r)
      for (int c = 0; c < kGridColumns; ++c)
        grid[r][c] = static_cast<int16_t>(kKeyGrid[r][c] ? KeyButtonSlot(kKeyGrid[r][c]) : -1);
    for (int r = 0; r < kRingCount; ++r)
      for (int i = 0; i < kRingWidth; ++i)
        rings[r][i] = static_cast<int16_t>(kRings[r][i] ? KeyButtonSlot(kRings[r][i]) : -1);
    for (int k = 0; k < kMainKeyButtonCount; ++k) sparkle_order[k] = static_cast<uint8_t>(k);
    PreviewRandom shuffle(0x5EED1234u);  // fixed: the order is the same in every run
    for (int k = kMainKeyButtonCount - 1; k > 0; --k) std::swap(sparkle_order[k], sparkle_order[shuffle.Next() % (k + 1)]);
  }
};

const Layout& TheLayout() {
  static const Layout layout;
  return layout;
}

int32_t FrameValue(Colour c) { return static_cast<int32_t>(c & 0xFFFFFF); }

// Colours every key of grid column k with colour_of(k); a key listed in two
// columns ends with the second one's colour.
template <typename ColourOf>
void ColourColumns(KeyFrame& f, ColourOf colour_of) {
  const Layout& layout = TheLayout();
  for (int k = 0; k < kGridColumns; ++k) {
    const int32_t value = FrameValue(colour_of(k));
    for (int r = 0; r < kGridRows; ++r)
      if (const int slot = layout.grid[r][k]; slot >= 0) f[slot] = value;
  }
}

// Colours every key of group g (a grid row, a ring) with colour_of(g).
template <typename Groups, typename ColourOf>
void ColourGroups(KeyFrame& f, const Groups& groups, ColourOf colour_of) {
  for (size_t g = 0; g < groups.size(); ++g) {
    const int32_t value = FrameValue(colour_of(static_cast<int>(g)));
    for (const int slot : groups[g])
      if (slot >= 0) f[slot] = value;
  }
}

}  // namespace

PreviewStep PreviewStepOf(int mode) {
  switch (mode) {
    case 1: return PreviewStep::kColumnWave;
    case 2: return PreviewStep::kSecondForm;
    case 3: return PreviewStep::kKeyOrder;
    case 4: return PreviewStep::kColourCycle;
    case 5: return PreviewStep::kBreathing;
    case 6: return PreviewStep::kStatic;
    case 10: return PreviewStep::kSparkle;
    case 11: return PreviewStep::kCellWave;
    case 12: return PreviewStep::kRowWave;
    case 13:
    case 14:
    case 15:
    case 16: return PreviewStep::kKeyCells;
    case 18: return PreviewStep::kRingWave;
    case kModePerKey: return PreviewStep::kPerKey;
    default: return PreviewStep::kClear;
  }
}

LightingPreview::LightingPreview(KeyColourBoard& board, uint32_t seed) : board_(board), random_(seed) {}

void LightingPreview::Tick(const LightingState& state, bool window_shown) {
  if (!state.lighting_view || !window_shown) return;
  if (!started_) {
    cells_.Reset();
    started_ = true;
  }
  const size_t step = static_cast<size_t>(PreviewStepOf(state.mode));
  if (busy_[step]) return;
  busy_[step] = true;
  KeyFrame frame;
  frame.fill(kFrameKeep);
  Step(state, frame);
  board_.Apply(frame);
  busy_[step] = false;
}

void LightingPreview::Step(const LightingState& s, KeyFrame& f) {
  switch (PreviewStepOf(s.mode)) {
    case PreviewStep::kColumnWave: ColumnWave(s, f); break;
    case PreviewStep::kSecondForm: SecondForm(s, f); break;
    case PreviewStep::kKeyOrder: KeyOrder(s, f); break;
    case PreviewStep::kColourCycle: ColourCycle(f); break;
    case PreviewStep::kBreathing: Breathing(s, f); break;
    case PreviewStep::kStatic: Static(s, f); break;
    case PreviewStep::kSparkle: Sparkle(s, f); break;
    case PreviewStep::kCellWave: CellWave(s, f); break;
    case PreviewStep::kRowWave: RowWave(s, f); break;
    case PreviewStep::kKeyCells: cells_.Step(s.mode, s, random_, f); break;
    case PreviewStep::kRingWave: RingWave(s, f); break;
    case PreviewStep::kPerKey: break;
    case PreviewStep::kClear:
    case PreviewStep::kCount: f.fill(kFrameNone); break;
  }
}

void LightingPreview::ColumnWave(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kColumnWave);
  if (s.colourful) {
    phase = AdvancePhase(phase, 9, kPaletteSize, s.direction);
    ColourColumns(f, [&](int k) { return kPalette[(phase + 9 * k) % kPaletteSize]; });
  } else {
    phase = AdvancePhase(phase, 7, 96, s.direction);
    ColourColumns(f, [&](int k) { return ScaleColour(s.colour, kWaveRamp[(phase + 7 * k) % 96]); });
  }
}

void LightingPreview::SecondForm(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kSecondForm);
  if (s.colourful) {
    phase = AdvancePhase(phase, 4, kPaletteSize, s.direction);
    ColourColumns(f, [&](int k) { return kPalette[(phase + 5 * k) % kPaletteSize]; });
    return;
  }
  phase = AdvancePhase(phase, 4, 128, kDirectionLeft);  // always forward
  int index = phase;
  // The index moves before each column is coloured; columns are visited in
  // order, so the lambda keeps its running value.
  ColourColumns(f, [&](int) {
    if (s.direction == kDirectionLeft) {
      index += 5;
      if (index > 128) index -= 128;
    } else {
      index -= 5;
      if (index < 0) index += 128;
    }
    return ScaleColour(s.colour, kSecondFormRamp[index]);
  });
}

void LightingPreview::KeyOrder(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kKeyOrder);
  if (s.colourful) {
    phase = AdvancePhase(phase, 4, kPaletteSize, s.direction);
    for (int k = 0; k < kMainKeyButtonCount; ++k) f[k] = FrameValue(kPalette[(phase + 5 * k) % kPaletteSize]);
  } else {
    phase = AdvancePhase(phase, 4, 96, s.direction);
    for (int k = 0; k < kMainKeyButtonCount; ++k)
      f[k] = FrameValue(ScaleColour(s.colour, kWaveRamp[(phase + 5 * k) % 96]));
  }
}

void LightingPreview::ColourCycle(KeyFrame& f) {
  // The colour cycle ignores the colourful flag and always turns forward.
  int& phase = PhaseOf(PreviewStep::kColourCycle);
  phase = AdvancePhase(phase, 2, kPaletteSize, kDirectionLeft);
  const Colour c = kPalette[phase % kPaletteSize];
  ColourColumns(f, [&](int) { return c; });
}

void LightingPreview::Breathing(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kBreathing);
  phase = AdvancePhase(phase, 2, 128, kDirectionLeft);  // independent of the direction
  const int level = kBreathingRamp[phase % 128];
  ColourColumns(f, [&](int k) { return ScaleColour(s.colourful ? kPalette[7 * k] : s.colour, level); });
}

void LightingPreview::Static(const LightingState& s, KeyFrame& f) {
  if (!s.colourful) {
    ColourColumns(f, [&](int) { return s.colour; });
    return;
  }
  std::array<int, kRingCount> index{};
  int n = 150;
  for (int r = 0; r < kRingCount; ++r) {
    n -= 15;
    if (n <= 12) n = 170;
    index[r] = n;
  }
  ColourGroups(f, TheLayout().rings, [&](int r) { return kPalette[index[r]]; });
}

void LightingPreview::Sparkle(const LightingState& s, KeyFrame& f) {
  const Layout& layout = TheLayout();
  for (int i = 0; i < 3; ++i) {
    const int k = layout.sparkle_order[sparkle_next_];
    sparkle_next_ = (sparkle_next_ + 1) % kMainKeyButtonCount;
    sparkle_level_[k] = 255;
    sparkle_colour_[k] = static_cast<uint8_t>(random_.Next() % kPaletteSize);
  }
  for (int k = 0; k < kMainKeyButtonCount; ++k) {
    sparkle_level_[k] = FadeLevel(sparkle_level_[k]);
    const Colour base = s.colourful ? kPalette[sparkle_colour_[k]] : s.colour;
    f[k] = FrameValue(ScaleColour(base, sparkle_level_[k]));
  }
}

void LightingPreview::CellWave(const LightingState& s, KeyFrame& f) {
  if (!wave_seeded_) {
    int running = 0;
    for (int k = 0; k < kMainKeyButtonCount; ++k) {
      running += 33;
      if (running > 192) running -= 192;
      wave_level_[k] = static_cast<uint8_t>(running);
    }
    wave_seeded_ = true;
  }
  for (int k = 0; k < kMainKeyButtonCount; ++k) {
    uint8_t& level = wave_level_[k];
    if (s.colourful) {
      level = static_cast<uint8_t>(level + 3 >= kPaletteSize ? 0 : level + 3);
      f[k] = FrameValue(kPalette[level]);
      continue;
    }
    if (!wave_falling_) {
      if (level + 3 >= 192) {
        level = 192;
        wave_falling_ = true;
      } else {
        level = static_cast<uint8_t>(level + 3);
      }
    } else {
      level = static_cast<uint8_t>(level - 12);  // 8-bit: wraps below 0
      if (level == 0) wave_falling_ = false;
    }
    f[k] = FrameValue(ScaleColour(s.colour, level));
  }
}

void LightingPreview::RowWave(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kRowWave);
  phase = AdvancePhase(phase, 3, kPaletteSize, s.direction);
  ColourGroups(f, TheLayout().grid, [&](int r) {
    const int index = (phase + 24 * r) % kPaletteSize;
    return s.colourful ? kPalette[index] : ScaleColour(s.colour, kRowRamp[index]);
  });
}

void LightingPreview::RingWave(const LightingState& s, KeyFrame& f) {
  int& phase = PhaseOf(PreviewStep::kRingWave);
  phase = AdvancePhase(phase, 2, kPaletteSize, s.direction);
  ColourGroups(f, TheLayout().rings, [&](int r) {
    const int index = (phase + 21 * (r + 1)) % kPaletteSize;
    return s.colourful ? kPalette[index] : ScaleColour(s.colour, kRingRamp[index]);
  });
}

}  // namespace keyloom
