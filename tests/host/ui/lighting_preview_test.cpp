#include "ui/main/lighting_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "ui/main/preview_tables.h"
#include "ui/preview_support.h"

namespace keyloom {
namespace {

using namespace preview;
using testing::RecordingPainter;

constexpr Colour kRed = 0x0000FF, kWhiteColour = 0xFFFFFF;

struct Preview {
  explicit Preview(int mode, bool colourful = false, int direction = kDirectionLeft, Colour colour = kRed) {
    state.mode = mode;
    state.colourful = colourful;
    state.direction = direction;
    state.colour = colour;
    state.lighting_view = true;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) preview.Tick(state, true);
  }
  std::optional<Colour> at(uint16_t id) const { return painter.at(id); }

  LightingState state;
  RecordingPainter painter;
  KeyColourBoard board{painter};
  LightingPreview preview{board, 12345};
};

// The keys the grid holds, each once.
std::set<uint16_t> GridKeys() {
  std::set<uint16_t> keys;
  for (const auto& row : kKeyGrid)
    for (uint16_t id : row)
      if (id) keys.insert(id);
  return keys;
}

TEST(PreviewTables, PaletteRampsAndLayoutsHoldTheirDefiningValues) {
  // The wheel: red rising to yellow, then round to red again.
  EXPECT_EQ(kPalette[0], 0x0001FFu);
  EXPECT_EQ(kPalette[31], 0x00FFFFu);
  EXPECT_EQ(kPalette[32], 0x00FFF8u);
  EXPECT_EQ(kPalette[64 + 31], 0xFFFF00u);
  EXPECT_EQ(kPalette[128], 0xFF0001u);
  EXPECT_EQ(kPalette[191], 0x0000FFu);
  const std::pair<const uint8_t*, std::vector<std::pair<int, int>>> ramps[] = {
      {kWaveRamp.data(), {{0, 22}, {47, 255}, {48, 255}, {95, 22}}},
      {kBreathingRamp.data(), {{0, 3}, {63, 255}, {64, 255}, {127, 3}}},
      {kSecondFormRamp.data(), {{16, 255}, {79, 1}, {80, 0}, {128, 0}}},
      {kRowRamp.data(), {{0, 8}, {55, 255}, {56, 255}, {111, 8}, {112, 0}, {191, 0}}},
      {kRingRamp.data(), {{95, 22}, {96, 8}, {151, 255}, {191, 45}}},
  };
  for (const auto& [ramp, values] : ramps)
    for (auto [index, level] : values) EXPECT_EQ(ramp[index], level) << "index " << index;

  // Every main key but the right Win key is on the grid, and Fn; every grid
  // key is in exactly one ring and exactly one cell.
  std::set<uint16_t> expected{kFnButtonId};
  for (const KeyButton& b : kMainKeyButtons)
    if (b.control_id != 1087) expected.insert(b.control_id);
  EXPECT_EQ(GridKeys(), expected);
  std::multiset<uint16_t> in_rings, in_cells;
  for (const auto& ring : kRings)
    for (uint16_t id : ring)
      if (id) in_rings.insert(id);
  for (const auto& row : kCellLayout)
    for (uint16_t id : row)
      if (id) in_cells.insert(id);
  EXPECT_EQ(in_rings, std::multiset<uint16_t>(expected.begin(), expected.end()));
  EXPECT_EQ(in_cells, std::multiset<uint16_t>(expected.begin(), expected.end()));
}

TEST(PreviewTables, ScalingAndPhaseAdvance) {
  EXPECT_EQ(ScaleColour(0x80FF40, 128), 0x408020u);  // floor(x * 128 / 255)
  EXPECT_EQ(ScaleColour(0xFFFFFF, 0), 0u);
  EXPECT_EQ(AdvancePhase(190, 4, 192, kDirectionLeft), 2);
  EXPECT_EQ(AdvancePhase(2, 4, 192, kDirectionRight), 190);
  EXPECT_EQ(AdvancePhase(10, 4, 192, kDirectionRight), 6);
}

TEST(PreviewTables, FadeSteps) {
  const std::pair<int, int> normal[] = {{255, 235}, {128, 108}, {127, 111}, {64, 48}, {63, 53},
                                        {32, 22},   {31, 26},   {17, 12},   {16, 15}, {1, 0}, {0, 0}};
  for (auto [in, out] : normal) EXPECT_EQ(FadeLevel(static_cast<uint8_t>(in)), out) << in;
  EXPECT_EQ(FadeLevel(128, 30, 20), 98);
  EXPECT_EQ(FadeLevel(64, 30, 20), 44);
  EXPECT_EQ(FadeLevel(63, 30, 20), 53);
}

TEST(LightingPreview, ColumnWaveColourfulMovesNinePaletteEntriesPerTick) {
  Preview p(1, true, kDirectionLeft);
  p.Ticks(1);
  EXPECT_EQ(p.at(1082), kPalette[9]);   // column 0 (left Shift)
  EXPECT_EQ(p.at(1083), kPalette[9]);   // column 0 (left Ctrl)
  EXPECT_EQ(p.at(1029), kPalette[18]);  // column 1
  // Backspace spans columns 14 and 15 and ends with the second one's colour.
  EXPECT_EQ(p.at(1043), kPalette[(9 + 9 * 15) % 192]);

  Preview back(1, true, kDirectionRight);
  back.Ticks(1);
  EXPECT_EQ(back.at(1083), kPalette[183]);
}

TEST(LightingPreview, KeysSpanningTwoColumnsTakeTheSecondColumnsColour) {
  Preview p(1, false, kDirectionLeft, kWhiteColour);
  p.Ticks(1);  // phase 7: column k at level W[(7 + 7k) mod 96]
  const std::pair<uint16_t, int> keys[] = {{1043, 15}, {1081, 15}, {1086, 10}, {1089, 15}, {1120, 20}};
  for (auto [id, column] : keys)
    EXPECT_EQ(p.at(id), ScaleColour(kWhiteColour, kWaveRamp[(7 + 7 * column) % 96])) << id;
}

TEST(LightingPreview, ColourCycleShowsOneColourAndTurnsIn96Ticks) {
  Preview p(4, false);
  p.Ticks(1);
  for (uint16_t id : GridKeys()) EXPECT_EQ(p.at(id), kPalette[2]) << id;
  const auto first = p.painter.shown;
  p.Ticks(95);
  EXPECT_NE(p.painter.shown, first);
  p.Ticks(1);
  EXPECT_EQ(p.painter.shown, first);
}

TEST(LightingPreview, BreathingIgnoresTheDirection) {
  for (bool colourful : {false, true}) {
    Preview left(5, colourful, kDirectionLeft), right(5, colourful, kDirectionRight);
    for (int i = 0; i < 70; ++i) {
      left.Ticks(1);
      right.Ticks(1);
      ASSERT_EQ(left.painter.shown, right.painter.shown) << "tick " << i;
    }
    // Tick 1: phase 2, level B[2] = 4; colourful column k uses palette[7k].
    Preview once(5, colourful);
    once.Ticks(1);
    EXPECT_EQ(once.at(1029), ScaleColour(colourful ? kPalette[7] : kRed, 4));
  }
}

TEST(LightingPreview, ClearModesLeaveEveryKeyWithoutColour) {
  for (int mode : {7, 8, 9, 17, 19, 0, 42}) {
    Preview p(1, true);
    p.board.Show(1000, kRed);  // a G key
    p.Ticks(1);
    ASSERT_FALSE(p.painter.shown.empty());
    p.state.mode = mode;
    p.Ticks(1);
    EXPECT_TRUE(p.painter.shown.empty()) << "mode " << mode;
  }
}

TEST(LightingPreview, StaticRingsAndRowAndRingWaves) {
  Preview fixed(6, true);
  fixed.Ticks(1);
  EXPECT_EQ(fixed.at(1052), kPalette[135]);  // ring 0, the O key
  EXPECT_EQ(fixed.at(1010), kPalette[170]);  // ring 9
  EXPECT_EQ(fixed.at(1118), kPalette[140]);  // ring 11

  Preview rows(12, false, kDirectionRight, kWhiteColour);
  rows.Ticks(1);  // phase 189; row r at R[(189 + 24r) mod 192]
  EXPECT_EQ(rows.at(1022), ScaleColour(kWhiteColour, kRowRamp[189]));
  EXPECT_EQ(rows.at(1029), ScaleColour(kWhiteColour, kRowRamp[21]));

  Preview rings(18, true);
  rings.Ticks(1);  // phase 2; ring r at palette[(2 + 21(r + 1)) mod 192]
  EXPECT_EQ(rings.at(1052), kPalette[23]);
  EXPECT_EQ(rings.at(1118), kPalette[(2 + 21 * 12) % 192]);
}

TEST(LightingPreview, SecondFormWalksTheRampPerColumn) {
  Preview p(2, false, kDirectionRight, kWhiteColour);
  p.Ticks(1);  // phase 4; column 0 at index 4 - 5 + 128 = 127, column 1 at 122
  EXPECT_EQ(p.at(1083), ScaleColour(kWhiteColour, kSecondFormRamp[127]));
  EXPECT_EQ(p.at(1029), ScaleColour(kWhiteColour, kSecondFormRamp[122]));
  Preview fwd(2, false, kDirectionLeft, kWhiteColour);
  fwd.Ticks(1);  // phase 4; column 0 at index 9
  EXPECT_EQ(fwd.at(1083), ScaleColour(kWhiteColour, kSecondFormRamp[9]));
}

TEST(LightingPreview, CellWaveSeedsOnceAndSparkleLightsThreeKeysPerTick) {
  Preview wave(11, true);
  wave.Ticks(1);  // seeded 33, 66, 99, 132, 165, 6 ... then each grows by 3
  EXPECT_EQ(wave.at(kMainKeyButtons[0].control_id), kPalette[36]);
  EXPECT_EQ(wave.at(kMainKeyButtons[4].control_id), kPalette[168]);
  EXPECT_EQ(wave.at(kMainKeyButtons[5].control_id), kPalette[9]);

  Preview sparkle(10, false, kDirectionLeft, kWhiteColour);
  sparkle.Ticks(1);
  int lit = 0;
  for (const auto& [id, colour] : sparkle.painter.shown) {
    if (colour == ScaleColour(kWhiteColour, 235)) ++lit;
    else EXPECT_EQ(colour, 0u) << id;
  }
  EXPECT_EQ(lit, 3);
  // Colourful sparkles take their colour from the 192-entry palette only.
  Preview colourful(10, true, kDirectionLeft, kWhiteColour);
  colourful.Ticks(200);
  for (const auto& [id, colour] : colourful.painter.shown) {
    if (colour == 0) continue;
    bool from_palette = false;
    for (int level = 0; level <= 255 && !from_palette; ++level)
      for (Colour c : kPalette) from_palette = from_palette || ScaleColour(c, level) == colour;
    EXPECT_TRUE(from_palette) << id;
  }
}

TEST(LightingPreview, RepaintsOnlyButtonsWhoseColourChanged) {
  Preview p(6, false);
  p.Ticks(1);
  EXPECT_EQ(p.painter.repaints.size(), GridKeys().size());
  p.painter.repaints.clear();
  p.Ticks(5);
  EXPECT_TRUE(p.painter.repaints.empty());

  // Per-key mode: the preview leaves the buttons alone.
  Preview per_key(kModePerKey);
  per_key.board.Show(1058, kRed);
  per_key.painter.repaints.clear();
  per_key.Ticks(3);
  EXPECT_TRUE(per_key.painter.repaints.empty());
  EXPECT_EQ(per_key.at(1058), kRed);
}

TEST(KeyColourBoard, PerKeyColoursShowEachKeysLedAndEveryChangeIsEndedForThePainter) {
  RecordingPainter painter;
  KeyColourBoard board{painter};
  LightingModel lighting;
  lighting.state.lighting_profile = 1;
  const uint8_t orange[3] = {0xFF, 0x80, 0x00};
  std::copy(orange, orange + 3, lighting.key_colours.begin() + kKeyColourBlockSize + 112 * 3);
  board.ShowPerKeyColours(lighting);
  // Right Win (1087) shares LED 112 with Page Up (1096).
  EXPECT_EQ(painter.at(1087), 0x0080FFu);
  EXPECT_EQ(painter.at(1096), 0x0080FFu);
  EXPECT_EQ(painter.at(1058), 0u);
  // A painter that gathers changes is told once per operation that they are all given.
  EXPECT_EQ(painter.change_ends, 1);
  board.Show(1058, kRed);
  EXPECT_EQ(painter.change_ends, 2);
  board.ClearAll();
  EXPECT_EQ(painter.change_ends, 3);
  EXPECT_FALSE(painter.at(1096));
  EXPECT_EQ(painter.selection_clears, 1);
}

TEST(LightingPreview, DoesNothingWhileTheViewIsOffOrTheWindowHidden) {
  Preview p(1, true);
  p.state.lighting_view = false;
  p.Ticks(3);
  p.state.lighting_view = true;
  p.preview.Tick(p.state, false);
  EXPECT_TRUE(p.painter.repaints.empty());
  EXPECT_EQ(p.preview.phase(PreviewStep::kColumnWave), 0);
  EXPECT_FALSE(p.preview.started());
}

TEST(LightingPreview, AStepThatIsStillDrawingIsNotRunAgain) {
  Preview p(1, true);
  int nested = 0;
  p.painter.during_paint = [&] {
    if (nested++ == 0) p.preview.Tick(p.state, true);
  };
  p.Ticks(1);
  EXPECT_EQ(p.preview.phase(PreviewStep::kColumnWave), 9);
}

TEST(LightingPreview, RestartStartsTheKeyCellEffectsAfresh) {
  Preview p(13, true);
  p.Ticks(40);
  auto lit = [&] {
    int n = 0;
    for (int c = 0; c < kCellCount; ++c) n += p.preview.key_cells().level(c) > 0;
    return n;
  };
  EXPECT_GT(lit(), 5);
  // Phases of the other steps survive a restart; the cells do not.
  p.state.mode = 1;
  p.Ticks(1);
  p.preview.Restart();
  p.state.mode = 13;
  p.Ticks(1);
  EXPECT_EQ(lit(), 1);  // only the new press
  EXPECT_EQ(p.preview.phase(PreviewStep::kColumnWave), 9);
}

// The first press of each reaction effect, followed tick by tick: the cells
// lit at tick t (their level rose) lie where the effect says.
TEST(KeyCellEffects, PressesSpreadAlongTheRows) {
  struct Case {
    int mode;
    int ticks;  // before the second press
    std::function<bool(int dr, int dc, int age)> lit_at;
  };
  const Case cases[] = {
      {13, 9,
       [](int dr, int dc, int age) {
         const int d2 = 4 * (dr * dr + dc * dc);
         return d2 >= (2 * age - 1) * (2 * age - 1) && d2 < (2 * age + 1) * (2 * age + 1);
       }},
      {14, 15, [](int dr, int dc, int age) { return std::abs(dr) + std::abs(dc) == age; }},
      {15, 2, [](int dr, int dc, int age) { return dr == 0 && dc == age; }},
      {16, 1, [](int dr, int dc, int age) { return dr == 0 && std::abs(dc) == age; }},
  };
  for (const Case& c : cases) {
    KeyCellEffects cells;
    cells.Reset();
    PreviewRandom random(99);
    LightingState state;
    state.colour = kWhiteColour;
    KeyFrame frame{};
    cells.Step(c.mode, state, random, frame);
    int press = -1;
    for (int i = 0; i < kCellCount; ++i)
      if (cells.level(i) > 0) press = i;
    ASSERT_GE(press, 0) << c.mode;
    for (int age = 1; age <= c.ticks; ++age) {
      std::array<uint8_t, kCellCount> before{};
      for (int i = 0; i < kCellCount; ++i) before[i] = cells.level(i);
      cells.Step(c.mode, state, random, frame);
      for (int i = 0; i < kCellCount; ++i) {
        if (cells.level(i) <= before[i]) continue;
        const int dr = i / kCellColumns - press / kCellColumns, dc = i % kCellColumns - press % kCellColumns;
        EXPECT_TRUE(c.lit_at(dr, dc, age)) << "mode " << c.mode << " age " << age << " dr " << dr << " dc " << dc;
      }
    }
  }
}

}  // namespace
}  // namespace keyloom
